// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The four columns of the Ping and TraceRoute results lists: their headings,
// the sample text that sets a list column's default width, and the width a
// cell is padded to in exported text (the last cell is never padded). The
// lists, their width samples, the export text and every cell a function
// writes take their columns from this one table.

#include <array>
#include <cstddef>

namespace netsonde {

enum class ResultColumn { Number = 0, Address = 1, HostName = 2, ResponseTime = 3 };

struct ResultColumnInfo {
    ResultColumn id;
    const char* heading;
    const char* widthSample; // list width: this text's width plus 15 pixels
    int exportWidth;
};

constexpr std::array<ResultColumnInfo, 4> kResultColumns{{
    {ResultColumn::Number, "#", "99", 5},
    {ResultColumn::Address, "Address", "255.255.255.255", 16},
    {ResultColumn::HostName, "Host Name", "WWWWWWWWWWWWWWWWWWWWWW", 50},
    {ResultColumn::ResponseTime, "Response Time", "Response Time", 0},
}};

constexpr int kResultColumnCount = static_cast<int>(kResultColumns.size());

// The width of the longest IPv6 address text (eight groups of four digits):
// what the Address column grows to when the window is widened.
constexpr const char* kLongestAddressSample = "8888:8888:8888:8888:8888:8888:8888:8888";

constexpr int ColumnIndex(ResultColumn column)
{
    return static_cast<int>(column);
}

} // namespace netsonde
