// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The name-server field of NS LookUp: a host name, an IPv4 address or an
// IPv6 address, bare or in brackets, optionally followed by ":port"
// ("ns.example:5353", "10.0.0.1:5353", "[fd00::1]:5353"). A bare IPv6
// address has no port.

#include <QString>

#include <cstdint>
#include <optional>

namespace netsonde {

inline constexpr std::uint16_t kDnsServerPort = 53;
inline constexpr char kBadPortMessage[] = "The name server's port must be a number from 1 to 65535";

struct NameServerText {
    QString host; // without brackets
    std::uint16_t port = kDnsServerPort;
};

// The host and port of the field's text; none when a port is given that is
// not a number from 1 to 65535.
std::optional<NameServerText> SplitNameServerText(const QString& text);

} // namespace netsonde
