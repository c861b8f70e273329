// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The OPT pseudo-record of a received message (EDNS(0), RFC 6891). It is
// found before the message is reported, because its extended RCODE belongs
// in the header, and it is shown as a block of its own, not as a record.

#include "dns/DnsMessageWalk.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

namespace netsonde {

inline constexpr quint16 kTypeOpt = 41;

struct DnsEdnsOption {
    quint16 code = 0;
    QByteArray data;
};

struct DnsEdns {
    int recordIndex = 0;      // among all the message's records, from 0
    quint16 udpSize = 0;      // the OPT record's CLASS
    quint8 extendedRcode = 0; // the upper 8 bits of the 12-bit RCODE
    quint8 version = 0;
    quint16 flags = 0;
    QList<DnsEdnsOption> options;
    bool optionsCut = false; // the last option ran past the RDATA's end
};

// The report's line (and the data form's "error") for options cut short.
inline constexpr char kEdnsOptionsCutText[] = "Error: option cut short in the OPT record";

// The first OPT record (root name, type 41) of the additional section, or
// nothing when there is none or the message ends before it is read whole.
std::optional<DnsEdns> FindEdns(QByteArrayView message);

// Version, flags ("do", and any other bit set as "mbz=0x...") and UDP size.
DnsFieldLine EdnsFields(const DnsEdns& edns);
// One option: NSID as hex and text, COOKIE's client and server parts, an
// Extended DNS Error's code, name and text (RFC 8914), any other option's
// code and data as hex.
DnsFieldLine EdnsOptionFields(const DnsEdnsOption& option);

} // namespace netsonde
