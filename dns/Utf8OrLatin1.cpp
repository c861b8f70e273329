#include "dns/Utf8OrLatin1.h"

namespace netsonde {

namespace {

bool IsContinuation(quint8 byte) { return byte >= 0x80 && byte <= 0xBF; }

// The allowed range of the second byte after a lead byte, which rules out
// overlong forms, surrogates and code points above U+10FFFF.
struct LeadByte {
    qsizetype length;
    quint8 secondLow;
    quint8 secondHigh;
};

LeadByte Classify(quint8 lead)
{
    if (lead < 0x80)
        return {1, 0, 0};
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2, 0x80, 0xBF};
    if (lead == 0xE0)
        return {3, 0xA0, 0xBF};
    if (lead == 0xED)
        return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF)
        return {3, 0x80, 0xBF};
    if (lead == 0xF0)
        return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3)
        return {4, 0x80, 0xBF};
    if (lead == 0xF4)
        return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// The length of the valid UTF-8 sequence at bytes[at], or 0 when there is none.
qsizetype ValidSequenceLength(QByteArrayView bytes, qsizetype at)
{
    const LeadByte lead = Classify(static_cast<quint8>(bytes[at]));
    if (lead.length <= 1 || at + lead.length > bytes.size())
        return lead.length == 1 ? 1 : 0;
    const auto second = static_cast<quint8>(bytes[at + 1]);
    if (second < lead.secondLow || second > lead.secondHigh)
        return 0;
    for (qsizetype i = 2; i < lead.length; ++i) {
        if (!IsContinuation(static_cast<quint8>(bytes[at + i])))
            return 0;
    }
    return lead.length;
}

} // namespace

QString DecodeUtf8OrLatin1(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    qsizetype runStart = 0;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype length = ValidSequenceLength(bytes, at);
        if (length > 0) {
            at += length;
            continue;
        }
        text.append(QString::fromUtf8(bytes.sliced(runStart, at - runStart)));
        text.append(QChar(static_cast<char16_t>(static_cast<quint8>(bytes[at]))));
        ++at;
        runStart = at;
    }
    text.append(QString::fromUtf8(bytes.sliced(runStart)));
    return text;
}

} // namespace netsonde
