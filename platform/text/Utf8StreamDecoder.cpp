// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/text/Utf8StreamDecoder.h"
#include "platform/text/Utf8OrLatin1.h"

#include <QChar>

namespace netsonde {

namespace {

struct SequenceRule {
    int length;       // 0: the byte cannot start a sequence
    uchar secondLow;  // the range of the second byte, which excludes
    uchar secondHigh; // overlong forms, surrogates and code points past U+10FFFF
};

SequenceRule RuleFor(uchar lead)
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

bool IsContinuation(uchar byte)
{
    return (byte & 0xC0) == 0x80;
}

enum class Match { Complete, Unfinished, Invalid };

// How the bytes at pos continue the sequence that the byte at pos starts.
Match MatchSequence(QByteArrayView bytes, qsizetype pos, const SequenceRule& rule)
{
    if (rule.length == 0)
        return Match::Invalid;
    for (qsizetype i = 1; i < rule.length; ++i) {
        if (pos + i >= bytes.size())
            return Match::Unfinished;
        const auto byte = static_cast<uchar>(bytes[pos + i]);
        const bool valid = i == 1 ? byte >= rule.secondLow && byte <= rule.secondHigh : IsContinuation(byte);
        if (!valid)
            return Match::Invalid;
    }
    return Match::Complete;
}

char32_t CodePoint(QByteArrayView sequence)
{
    static constexpr uchar leadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t value = static_cast<uchar>(sequence[0]) & leadMask[sequence.size()];
    for (qsizetype i = 1; i < sequence.size(); ++i)
        value = (value << 6) | (static_cast<uchar>(sequence[i]) & 0x3F);
    return value;
}

void AppendCodePoint(QString& text, char32_t value)
{
    if (QChar::requiresSurrogates(value)) {
        text += QChar(QChar::highSurrogate(value));
        text += QChar(QChar::lowSurrogate(value));
    } else {
        text += QChar(static_cast<char16_t>(value));
    }
}

void AppendLatin1(QString& text, QByteArrayView bytes)
{
    for (const char byte : bytes)
        text += QChar(static_cast<uchar>(byte));
}

} // namespace

QString Utf8StreamDecoder::Decode(QByteArrayView bytes)
{
    const QByteArray input = m_pending + bytes.toByteArray();
    m_pending.clear();

    QString text;
    text.reserve(input.size());
    qsizetype pos = 0;
    while (pos < input.size()) {
        const SequenceRule rule = RuleFor(static_cast<uchar>(input[pos]));
        switch (MatchSequence(input, pos, rule)) {
        case Match::Complete:
            AppendCodePoint(text, CodePoint(QByteArrayView(input).sliced(pos, rule.length)));
            pos += rule.length;
            break;
        case Match::Invalid:
            AppendLatin1(text, QByteArrayView(input).sliced(pos, 1));
            ++pos;
            break;
        case Match::Unfinished:
            m_pending = input.sliced(pos);
            return text;
        }
    }
    return text;
}

QString Utf8StreamDecoder::Flush()
{
    QString text;
    AppendLatin1(text, m_pending);
    m_pending.clear();
    return text;
}

QString DecodeUtf8OrLatin1(QByteArrayView bytes)
{
    Utf8StreamDecoder decoder;
    QString text = decoder.Decode(bytes);
    text += decoder.Flush();
    return text;
}

} // namespace netsonde
