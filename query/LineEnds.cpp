// SPDX-License-Identifier: GPL-3.0-or-later
#include "query/LineEnds.h"

namespace netsonde {

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';

} // namespace

QByteArrayView TextBeforeNul(QByteArrayView chunk)
{
    const qsizetype nul = chunk.indexOf('\0');
    return nul < 0 ? chunk : chunk.first(nul);
}

QByteArray ConvertLineEnds(QByteArrayView text, bool afterCR)
{
    QByteArray converted;
    converted.reserve(2 * text.size());
    bool previousIsCR = afterCR;
    for (const char byte : text) {
        if (byte == kLF && !previousIsCR)
            converted += kCR;
        converted += byte;
        previousIsCR = byte == kCR;
    }
    return converted;
}

} // namespace netsonde
