// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text form of IPv6 addresses received in DNS messages.

#include <QByteArray>
#include <QByteArrayView>

namespace netsonde {

inline constexpr qsizetype kIpv6AddressSize = 16;

// The recommended text of the 16 address bytes (RFC 5952): groups in lower
// case hex without leading zeros; the longest run of two or more zero
// groups, the first of equal runs, written as "::"; a single zero group
// written as "0"; an IPv4-mapped address as ::ffff: and the dotted quad.
// Empty when bytes does not hold exactly 16 bytes.
QByteArray Ipv6AddressText(QByteArrayView bytes);

} // namespace netsonde
