// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The DNS query message that Name Server LookUp sends: one question, recursion
// desired, class IN, no compression, and the EDNS(0) OPT record when asked.

#include <QByteArray>
#include <QString>

namespace netsonde {

// The longest query, its OPT record not counted.
inline constexpr qsizetype kDnsMaxQuerySize = 1024;
// The longest label a length byte may announce in a query.
inline constexpr qsizetype kDnsMaxLabelLength = 63;

inline constexpr char kUndefinedRecordTypeMessage[] = "Internal Error: Undefined record type in NameServerLookUp";
inline constexpr char kLabelTooLongMessage[] = "A part of the host name is longer than 63 bytes";
inline constexpr char kQueryTooLongMessage[] = "The host name is too long to fit in a query";
inline constexpr char kNotAnIdnMessage[] = "The host name cannot be converted to an international domain name";

// The OPT record (RFC 6891) of a query: none when udpPayloadSize is 0.
struct DnsQueryEdns {
    unsigned udpPayloadSize = 0;
    bool dnssecOk = false; // the DO bit
};

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
// A name with a non-ASCII character is sent as A-labels (UTS #46); any other
// name as typed. The name's parts are the bytes between dots; an empty part
// (leading dot, two dots in a row, trailing dot) ends the name. Refused, with
// nothing built: a search type without a record type, a name without A-labels,
// a part over 63 bytes, a query longer than kDnsMaxQuerySize.
DnsQuery BuildDnsQuery(const QString& host, const QString& searchType, quint16 id, DnsQueryEdns edns = {});

// A query ID from the system's random source.
quint16 NewDnsQueryId();

} // namespace netsonde
