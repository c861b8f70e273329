// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The origin AS numbers of a hop's address, as a DNS zone of IP-to-ASN mapping
// publishes them in TXT records: which addresses to ask about, the name to ask
// and the text shown for the answer.

#include "platform/net/IpAddress.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace netsonde {

// The zones asked for IPv4 and for IPv6 addresses.
struct AsnZones {
    QString ipv4;
    QString ipv6;
};

inline const AsnZones kDefaultAsnZones{QStringLiteral("origin.asn.cymru.com"), QStringLiteral("origin6.asn.cymru.com")};

// False for addresses no public AS originates: private, shared, loopback,
// link-local, unique-local, unspecified, multicast and IPv4-mapped IPv6.
bool IsAsnLookupAllowed(const IpAddress& address);

// "d.c.b.a.ZONE" for IPv4; for IPv6 the nibbles of the first 64 bits in
// reverse, then the IPv6 zone. None when the address is not to be asked about
// or its family's zone is empty.
std::optional<QByteArray> OriginQueryName(const IpAddress& address, const AsnZones& zones);

// "AS64500 AS64501" from the first TXT string, whose first field up to "|"
// lists 1 to 8 AS numbers (0 to 4294967295) apart by spaces; none for anything else.
std::optional<QString> OriginAsText(const std::vector<QByteArray>& txt);

} // namespace netsonde
