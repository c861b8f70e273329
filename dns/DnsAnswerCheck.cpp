// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsAnswerCheck.h"

#include "dns/DnsDomainName.h"
#include "dns/DnsEdns.h"
#include "dns/DnsMessageWalk.h"
#include "dns/DnsWireCursor.h"

#include <algorithm>

namespace netsonde {

namespace {

constexpr qsizetype kIdSize = 2;
constexpr qsizetype kQuestionCountOffset = 4;
constexpr quint16 kFormatError = 1;
constexpr quint16 kNotImplemented = 4;

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
    cursor = DnsWireCursor(message, kDnsHeaderSize, message.size());
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

// The flag bytes of the message's header; zero where the message is shorter.
DnsHeader FlagsOf(QByteArrayView message)
{
    DnsHeader header;
    header.flags = ByteAt(message, kIdSize);
    header.flags2 = ByteAt(message, kIdSize + 1);
    return header;
}

} // namespace

const char* AnswerMismatch(QByteArrayView query, QByteArrayView answer)
{
    if (answer.size() < kDnsHeaderSize)
        return "too short";
    if (query.size() < kIdSize || answer.first(kIdSize) != query.first(kIdSize))
        return "wrong ID";
    if (!FlagsOf(answer).Response())
        return "not a response";
    if (!SameQuestion(FirstQuestion(query), FirstQuestion(answer)))
        return "wrong question";
    return nullptr;
}

bool IsTruncated(QByteArrayView answer)
{
    return FlagsOf(answer).Truncated();
}

bool RefusesEdns(QByteArrayView answer)
{
    const quint16 rcode = FlagsOf(answer).Rcode();
    return (rcode == kFormatError || rcode == kNotImplemented) && !FindEdns(answer);
}

} // namespace netsonde
