// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/FontRecord.h"

#include <QStringList>

namespace netsonde {

namespace {

constexpr int kIntegerCount = 13;
constexpr int kFaceNameReadLimit = 40;

std::uint8_t LowByte(int value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}

// The face name as one word: reading stops at white space.
QString FirstWord(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text.at(start).isSpace())
        ++start;
    qsizetype end = start;
    while (end < text.size() && !text.at(end).isSpace())
        ++end;
    return text.mid(start, end - start);
}

} // namespace

QString FormatFontRecord(const FontRecord& r)
{
    QString face = r.faceName.left(FontRecord::kFaceNameLimit);
    face.replace(QLatin1Char(' '), QLatin1Char('_'));
    QStringList fields;
    for (int value :
         {r.height, r.width, r.escapement, r.orientation, r.weight, int(r.italic), int(r.underline), int(r.strikeOut),
          int(r.charSet), int(r.outPrecision), int(r.clipPrecision), int(r.quality), int(r.pitchAndFamily)})
        fields << QString::number(value);
    fields << face;
    return fields.join(QLatin1Char(','));
}

std::optional<FontRecord> ParseFontRecord(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() < kIntegerCount + 1)
        return std::nullopt;
    int values[kIntegerCount];
    for (int i = 0; i < kIntegerCount; ++i) {
        bool ok = false;
        values[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    const QString rest = parts.mid(kIntegerCount).join(QLatin1Char(','));
    QString face = FirstWord(rest).left(kFaceNameReadLimit).left(FontRecord::kFaceNameLimit);
    if (face.isEmpty())
        return std::nullopt;
    face.replace(QLatin1Char('_'), QLatin1Char(' '));

    FontRecord r;
    r.height = values[0];
    r.width = values[1];
    r.escapement = values[2];
    r.orientation = values[3];
    r.weight = values[4];
    r.italic = LowByte(values[5]);
    r.underline = LowByte(values[6]);
    r.strikeOut = LowByte(values[7]);
    r.charSet = LowByte(values[8]);
    r.outPrecision = LowByte(values[9]);
    r.clipPrecision = LowByte(values[10]);
    r.quality = LowByte(values[11]);
    r.pitchAndFamily = LowByte(values[12]);
    r.faceName = face;
    return r;
}

} // namespace netsonde
