#pragma once
// The four columns of the Ping and TraceRoute results lists: their headings,
// the sample text that sets a list column's default width, and the width a
// cell is padded to in exported text (the last cell is never padded).

#include <array>

namespace netsonde {

struct CResultColumn {
    const char* pszHeading;
    const char* pszWidthSample; // list width: this text's width plus 15 pixels
    int nExportWidth;
};

constexpr std::array<CResultColumn, 4> kResultColumns{{
    {"#", "99", 5},
    {"Address", "255.255.255.255", 16},
    {"Host Name", "WWWWWWWWWWWWWWWWWWWWWW", 50},
    {"Response Time", "Response Time", 0},
}};

} // namespace netsonde
