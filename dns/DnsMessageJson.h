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
// ttl, rdlength, presentation, RDATA fields...}]}, and "error" with the
// report's own error line (without its indent) when the message ends too
// early. "presentation" is the RDATA as dig prints it, or "\# LEN HEX" (RFC
// 3597) for a type the decoder does not know or RDATA that breaks its form;
// a DNSKEY or CDNSKEY has its "key_tag" too. A record whose RDATA breaks its
// form carries the report's error line as its own "error". "header" is null
// when the message is shorter than a header. Names and strings are decoded
// as the report decodes them; TTL and SOA counters are the signed numbers
// the report shows. "rcode" holds the OPT record's extended bits too; the
// OPT record is not listed among the records. A record is listed as soon as
// its name was read.
QJsonObject DnsMessageJson(QByteArrayView message);

} // namespace netsonde
