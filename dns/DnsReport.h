// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The readable report of a received DNS message, as it goes into the Name
// Server LookUp pane.

#include "run/DnsExchange.h"

#include <QByteArrayView>
#include <QString>

namespace netsonde {

struct DnsReportOptions {
    // Verbose: the header and the question, then the records. Otherwise
    // only the records.
    bool verbose = false;
    // How the answer was got, when it came from a lookup: the notes on
    // retries go before the report, and the verbose form ends with the
    // server, the transport, the time and the size.
    const DnsExchange* exchange = nullptr;
};

// The report of one received datagram, lines ended by CR LF, always ending
// with "---\r\n". Labels and character strings are shown as received: valid
// UTF-8 as its characters, any other byte as its Latin-1 character.
//
// Every read stays inside the datagram. When the datagram ends too early,
// or a compression pointer does not point backwards, the report says where
// with a line "   Error: <problem> in <place>\r\n" and ends there; when a
// record's RDATA breaks its type's form (too short for its fields or a bad
// pointer; for the types shown in one line also bytes left over, or a
// length or value that does not fit), that line and then
// "   RDATA=\# LEN HEX\r\n" (RFC 3597) replace the rest of the record's RDATA
// lines, and the next record is read from just past the RDATA.
//
// The seventeen record types of the first search types show their fields by
// name; every other type the decoder knows shows one line "   WORD=<RDATA as dig prints
// it>", hex and base64 unbroken, a DNSKEY's key tag after it as
// " ; key id = N" in the verbose form. A type the decoder does not know shows
// as TYPEn with its RDATA in the RFC 3597 form.
//
// The OPT record of the additional section is no record: its block
// ("EDNS:", version, flags, UDP size, then a line per option) follows the
// header, and its extended bits are part of the RCODE shown. With AD set,
// a note says that the server claims to have validated the answer.
QString WriteDnsReport(QByteArrayView message, const DnsReportOptions& options);

} // namespace netsonde
