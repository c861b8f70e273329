// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The DNS query message that Name Server LookUp sends: one question, recursion
// desired, class IN, no compression.

#include <QByteArray>
#include <QString>

namespace netsonde {

// The buffer that holds the query while it is sent and the answer when it
// arrives; a query must fit in it whole.
inline constexpr qsizetype kDnsMessageBufferSize = 1024;
// The longest label a length byte may announce in a query.
inline constexpr qsizetype kDnsMaxLabelLength = 63;

inline constexpr char kUndefinedRecordTypeMessage[] = "Internal Error: Undefined record type in NameServerLookUp";
inline constexpr char kLabelTooLongMessage[] = "A part of the host name is longer than 63 bytes";
inline constexpr char kQueryTooLongMessage[] = "The host name is too long to fit in a query";

struct DnsQuery {
    QByteArray bytes; // the message, empty when it was refused
    QString failure;  // why it was refused, empty when it was built

    bool Succeeded() const { return failure.isEmpty(); }
};

// Builds the query for the host text as typed and the search-type text as
// selected (matched exactly against the search-type table). An address
// literal (ParseAddressLiteral) is asked for by its reverse name: a dotted
// address's built part by part on the text ("10.1" gives 1.10.IN-ADDR.ARPA),
// an IPv6 address's by its nibbles under ip6.arpa; any other text is the
// name.
// The name's parts are the UTF-8 bytes between dots; an empty part (leading
// dot, two dots in a row, trailing dot) ends the name. Refused, with nothing
// built: a search type without a record type, a part over 63 bytes, a query
// longer than kDnsMessageBufferSize.
DnsQuery BuildDnsQuery(const QString& host, const QString& searchType, quint16 id);

// The query ID for a calendar time: the low 16 bits of the seconds since
// 1970-01-01 00:00 UTC.
quint16 DnsQueryIdForTime(qint64 secondsSinceEpoch);
// The query ID for now.
quint16 CurrentDnsQueryId();

} // namespace netsonde
