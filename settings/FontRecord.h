// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The output font as stored under "Options"/"Font": thirteen decimal
// integers and a face name, separated by commas, the face name with every
// space written as "_".

#include <QString>

#include <cstdint>
#include <optional>

namespace netsonde {

struct FontRecord {
    static constexpr int kFaceNameLimit = 31;

    int height = 0;
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    QString faceName; // at most kFaceNameLimit characters

    bool operator==(const FontRecord&) const = default;
};

QString FormatFontRecord(const FontRecord& record);

// A record that does not hold thirteen integers and a face name is ignored.
// The face name is read as one word of at most 40 characters and kept to
// its first 31; byte fields take the low byte of their integer.
std::optional<FontRecord> ParseFontRecord(const QString& text);

} // namespace netsonde
