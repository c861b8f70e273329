// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The RDATA of the seventeen record types of the first search types, shown
// field by field with the fields' own names (A, NS, CNAME, SOA, MB, MG, MR,
// WKS, PTR, HINFO, MINFO, MX, TXT, AAAA, SRV).

#include "dns/DnsMessageWalk.h"
#include "dns/DnsWireCursor.h"

namespace netsonde {

// Hands the record's RDATA lines to the sink and returns true for one of
// those types; false, with nothing read, for any other type. A failed read
// stops the lines there and leaves its error on rdata.
bool ReadFieldRdata(quint16 type, DnsWireCursor& rdata, IDnsMessageSink& sink);

} // namespace netsonde
