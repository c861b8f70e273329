// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/FontConversion.h"

#include <QFontInfo>

#include <cstdlib>

namespace netsonde {

namespace {

constexpr int kDefaultCharSet = 0;
constexpr int kDefaultPitchAndFamily = 0;

} // namespace

QFont FontFromRecord(const FontRecord& record)
{
    QFont font(record.faceName);
    // A negative height is the character height, a positive one the cell
    // height; either way it is a size in pixels.
    if (record.height != 0)
        font.setPixelSize(std::abs(record.height));
    if (record.weight > 0)
        font.setWeight(static_cast<QFont::Weight>(qBound(1, record.weight, 1000)));
    font.setItalic(record.italic != 0);
    font.setUnderline(record.underline != 0);
    font.setStrikeOut(record.strikeOut != 0);
    return font;
}

FontRecord RecordFromFont(const QFont& font)
{
    FontRecord record;
    const QFontInfo info(font);
    record.height = -info.pixelSize();
    record.weight = font.weight();
    record.italic = font.italic() ? 1 : 0;
    record.underline = font.underline() ? 1 : 0;
    record.strikeOut = font.strikeOut() ? 1 : 0;
    record.charSet = kDefaultCharSet;
    record.pitchAndFamily = kDefaultPitchAndFamily;
    record.faceName = font.family().left(FontRecord::kFaceNameLimit);
    return record;
}

} // namespace netsonde
