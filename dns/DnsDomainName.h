// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decoding of domain names in received DNS messages.

#include "dns/DnsWireCursor.h"

#include <QByteArray>
#include <QList>

namespace netsonde {

// Reads the domain name at the cursor and returns its labels joined by ".",
// bytes as received (no escaping; a label may hold any byte, a dot too), no
// trailing dot; the root is the empty name. Length bytes of 0xC0 and above
// are compression pointers; every other non-zero length byte, 0x40..0xBF
// included, is a label length.
//
// Afterwards the cursor rests just past the terminating zero byte, or just
// past the first compression pointer when the name has one. The labels
// before the first pointer must lie before the cursor's end.
//
// A pointer must point before the start of the labels that end in it, and
// the labels it leads to must end before that start too. So every jump goes
// strictly backwards, a name is read from at most the whole message once,
// and cycles cannot happen. Breaking that rule sets BadPointer on the
// cursor; running past the cursor's end before any pointer sets CutShort.
// In both cases the labels read so far are returned.
QByteArray DecodeDomainName(DnsWireCursor& cursor);

// The same read, the labels apart (a label may hold a dot).
QList<QByteArray> DecodeDomainNameLabels(DnsWireCursor& cursor);

} // namespace netsonde
