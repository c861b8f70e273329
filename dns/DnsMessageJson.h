// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data form of a received DNS message, for report mode's JSON output:
// the same fields as the text report (WriteDnsReport), by name.

#include <QByteArrayView>
#include <QJsonObject>

namespace netsonde {

// {"header": {id, qr, opcode, aa, tc, rd, ra, z, ad, cd, rcode, qdcount,
// ancount, nscount, arcount}, "edns": {version, flags, udp_size, options:
// [{code, ...}]} or null, "questions": [{name, type, type_number, class}],
// "answers", "authority", "additional": [{name, type, type_number, class,
// ttl, rdlength, RDATA fields...}]}, and "error" with the report's own error
// line (without its indent) when the message ends too early. A record whose
// RDATA is too short carries that line as its own "error". "header" is null
// when the message is shorter than a header. "rcode" holds the OPT record's
// extended bits too; the OPT record is not listed among the records. Names
// and strings are decoded as the report decodes them; TTL and SOA counters
// are the signed numbers the report shows. A record is listed as soon as its
// name was read.
QJsonObject DnsMessageJson(QByteArrayView message);

} // namespace netsonde
