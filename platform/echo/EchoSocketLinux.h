// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Opening ICMP and ICMPv6 sockets of either kind, set up for the echo service.

#include "platform/echo/EchoService.h"
#include "platform/posix/UniqueFd.h"

namespace netsonde::echo {

struct OpenedEchoSocket {
    UniqueFd socket; // invalid when opening failed
    int error = 0;   // errno of the failure
};

// A non-blocking ICMP (IPv4) or ICMPv6 (IPv6) socket of the kind. A datagram socket
// reports ICMP errors to its error queue; a raw socket lets through only echo replies,
// time-exceeded and unreachable.
OpenedEchoSocket OpenEchoSocket(IpFamily family, EchoSocketKind kind);

} // namespace netsonde::echo
