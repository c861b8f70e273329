// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsQuery.h"

#include "dns/DnsEdns.h"
#include "dns/DnsMessageWalk.h"
#include "dns/SearchTypeTable.h"
#include "platform/net/IpAddress.h"

#include <QByteArrayList>
#include <QRandomGenerator>
#include <QUrl>

#include <algorithm>
#include <optional>
#include <span>

namespace netsonde {

namespace {

constexpr quint8 kFlagsRecursionDesired = 0x01;
constexpr quint8 kClassIn = 1;
constexpr quint16 kDnssecOk = 0x8000;
constexpr char kReverseSuffix[] = "IN-ADDR.ARPA";
constexpr char kIpv6ReverseSuffix[] = "ip6.arpa";

// The address's 32 nibbles, lowest first, each followed by ".", then the
// suffix: 2001:db8::1 gives 1.0.0.0. ... .8.b.d.0.1.0.0.2.ip6.arpa.
QByteArray Ipv6ReverseName(std::span<const std::uint8_t> address)
{
    constexpr char kHexDigits[] = "0123456789abcdef";
    QByteArray name;
    for (auto byte = address.rbegin(); byte != address.rend(); ++byte) {
        name.append(kHexDigits[*byte & 0x0F]).append('.');
        name.append(kHexDigits[*byte >> 4]).append('.');
    }
    return name.append(kIpv6ReverseSuffix);
}

// The parts of the text from the left, up to the first empty one.
QByteArrayList LeadingParts(const QByteArray& text)
{
    QByteArrayList parts;
    for (const QByteArray& part : text.split('.')) {
        if (part.isEmpty())
            break;
        parts.append(part);
    }
    return parts;
}

QByteArray ReverseName(const QByteArray& address)
{
    QByteArrayList parts = LeadingParts(address);
    std::reverse(parts.begin(), parts.end());
    QByteArray name;
    for (const QByteArray& part : parts)
        name.append(part).append('.');
    return name.append(kReverseSuffix);
}

bool IsAscii(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

// Empty when a non-ASCII name has no A-label form.
QByteArray QueryName(const QString& host)
{
    if (!IsAscii(host))
        return QUrl::toAce(host);
    const QByteArray text = host.toLatin1();
    const std::optional<IpAddress> address = ParseAddressLiteral(text.toStdString());
    if (!address)
        return text;
    return address->IsIPv6() ? Ipv6ReverseName(address->Bytes()) : ReverseName(text);
}

bool HasOverlongLabel(const QByteArrayList& labels)
{
    return std::any_of(labels.cbegin(), labels.cend(),
                       [](const QByteArray& label) { return label.size() > kDnsMaxLabelLength; });
}

void AppendU16(QByteArray& message, quint16 value)
{
    message.append(static_cast<char>(value >> 8));
    message.append(static_cast<char>(value & 0xFF));
}

QByteArray QueryHeader(quint16 id, bool withOpt)
{
    QByteArray header;
    AppendU16(header, id);
    header.append(static_cast<char>(kFlagsRecursionDesired));
    header.append('\0');
    AppendU16(header, 1);               // QDCOUNT
    AppendU16(header, 0);               // ANCOUNT
    AppendU16(header, 0);               // NSCOUNT
    AppendU16(header, withOpt ? 1 : 0); // ARCOUNT
    return header;
}

// Root name, type OPT, the payload size as class, extended RCODE and version
// 0, the flags, no options.
void AppendOptRecord(QByteArray& message, DnsQueryEdns edns)
{
    message.append('\0');
    AppendU16(message, kTypeOpt);
    AppendU16(message, static_cast<quint16>(edns.udpPayloadSize));
    AppendU16(message, 0);
    AppendU16(message, edns.dnssecOk ? kDnssecOk : 0);
    AppendU16(message, 0);
}

qsizetype EncodedNameSize(const QByteArrayList& labels)
{
    qsizetype size = 1;
    for (const QByteArray& label : labels)
        size += 1 + label.size();
    return size;
}

void AppendEncodedName(QByteArray& message, const QByteArrayList& labels)
{
    for (const QByteArray& label : labels) {
        message.append(static_cast<char>(label.size()));
        message.append(label);
    }
    message.append('\0');
}

DnsQuery Refused(const char* message)
{
    return {QByteArray(), QString::fromLatin1(message)};
}

} // namespace

DnsQuery BuildDnsQuery(const QString& host, const QString& searchType, quint16 id, DnsQueryEdns edns)
{
    const int queryType = QueryTypeOf(searchType);
    if (queryType == 0)
        return Refused(kUndefinedRecordTypeMessage);
    const QByteArray name = QueryName(host);
    if (name.isEmpty() && !host.isEmpty())
        return Refused(kNotAnIdnMessage);

    const QByteArrayList labels = LeadingParts(name);
    if (HasOverlongLabel(labels))
        return Refused(kLabelTooLongMessage);
    constexpr qsizetype kTypeAndClassSize = 4;
    if (kDnsHeaderSize + EncodedNameSize(labels) + kTypeAndClassSize > kDnsMaxQuerySize)
        return Refused(kQueryTooLongMessage);

    const bool withOpt = edns.udpPayloadSize != 0;
    QByteArray message = QueryHeader(id, withOpt);
    AppendEncodedName(message, labels);
    AppendU16(message, static_cast<quint16>(queryType));
    AppendU16(message, kClassIn);
    if (withOpt)
        AppendOptRecord(message, edns);
    return {message, QString()};
}

quint16 NewDnsQueryId()
{
    return static_cast<quint16>(QRandomGenerator::system()->generate());
}

} // namespace netsonde
