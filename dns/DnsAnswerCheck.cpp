// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsAnswerCheck.h"

#include "dns/DnsDomainName.h"
#include "dns/DnsEdns.h"
#include "dns/DnsWireCursor.h"

#include <algorithm>

namespace netsonde {

namespace {

constexpr qsizetype kHeaderSize = 12;
constexpr qsizetype kIdSize = 2;
constexpr qsizetype kQuestionCountOffset = 4;
constexpr quint8 kResponse = 0x80;
constexpr quint8 kTruncated = 0x02;
constexpr quint8 kFormatError = 1;
constexpr quint8 kNotImplemented = 4;
// TYPE, CLASS and TTL before a record's RDLENGTH.

struct Question {
    QByteArray name;
    quint16 type = 0;
    quint16 qclass = 0;
    bool read = false;
};

quint8 ByteAt(QByteArrayView message, qsizetype offset)
{
    return offset < message.size() ? static_cast<quint8>(message[offset]) : 0;
}

// The first question, read when the header announces one and it is whole.
Question FirstQuestion(QByteArrayView message)
{
    DnsWireCursor cursor(message, kQuestionCountOffset, message.size());
    if (cursor.ReadU16() == 0)
        return {};
    cursor = DnsWireCursor(message, kHeaderSize, message.size());
    Question question;
    question.name = DecodeDomainName(cursor);
    question.type = cursor.ReadU16();
    question.qclass = cursor.ReadU16();
    question.read = !cursor.Failed();
    return question;
}

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const QByteArray& left, const QByteArray& right)
{
    return std::equal(left.cbegin(), left.cend(), right.cbegin(), right.cend(),
                      [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

bool SameQuestion(const Question& asked, const Question& repeated)
{
    return repeated.read && SameName(asked.name, repeated.name) && asked.type == repeated.type
           && asked.qclass == repeated.qclass;
}

// Past the questions, then record by record through the three sections:
// whether one of them is an OPT record.
} // namespace

const char* AnswerMismatch(QByteArrayView query, QByteArrayView answer)
{
    if (answer.size() < kHeaderSize)
        return "too short";
    if (query.size() < kIdSize || answer.first(kIdSize) != query.first(kIdSize))
        return "wrong ID";
    if ((ByteAt(answer, kIdSize) & kResponse) == 0)
        return "not a response";
    if (!SameQuestion(FirstQuestion(query), FirstQuestion(answer)))
        return "wrong question";
    return nullptr;
}

bool IsTruncated(QByteArrayView answer)
{
    return (ByteAt(answer, kIdSize) & kTruncated) != 0;
}

bool RefusesEdns(QByteArrayView answer)
{
    const quint8 rcode = ByteAt(answer, kIdSize + 1) & 0x0F;
    return (rcode == kFormatError || rcode == kNotImplemented) && !FindEdns(answer);
}

} // namespace netsonde
