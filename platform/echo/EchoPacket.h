// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ICMP and ICMPv6 echo messages: building requests and recognising the answers to
// them. Every function reads received bytes only within the span it is given.

#include "platform/net/IpAddress.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace netsonde::echo {

inline constexpr std::size_t kIcmpHeaderSize = 8;
// The largest echo data that fits an IPv4 packet with a 20-byte header.
inline constexpr std::size_t kMaxEchoDataSize = 65535 - 20 - kIcmpHeaderSize;
inline constexpr std::size_t kIpv6HeaderSize = 40;

inline constexpr std::uint8_t kIcmpEchoReply = 0;
inline constexpr std::uint8_t kIcmpDestinationUnreachable = 3;
inline constexpr std::uint8_t kIcmpEchoRequest = 8;
inline constexpr std::uint8_t kIcmpTimeExceeded = 11;

inline constexpr std::uint8_t kIcmpv6DestinationUnreachable = 1;
inline constexpr std::uint8_t kIcmpv6TimeExceeded = 3;
inline constexpr std::uint8_t kIcmpv6EchoRequest = 128;
inline constexpr std::uint8_t kIcmpv6EchoReply = 129;

// What identifies one request on the wire; its family is the destination's.
struct EchoProbe {
    IpAddress destination;
    std::uint16_t identifier = 0;
    std::uint16_t sequence = 0;
};

// The Internet checksum (one's complement of the one's complement sum).
std::uint16_t InternetChecksum(std::span<const std::uint8_t> bytes);

// An echo request message of the family; `data` at most kMaxEchoDataSize bytes. An
// ICMP request carries its checksum; an ICMPv6 one leaves it 0, as the kernel fills
// it in (it covers the IPv6 addresses, which only the kernel knows for sure).
std::vector<std::uint8_t> BuildEchoRequest(IpFamily family, std::uint16_t identifier, std::uint16_t sequence,
                                           std::span<const std::uint8_t> data);

// A raw ICMP socket delivers the whole IPv4 packet. True when it is an echo reply with
// the probe's identifier and sequence, or a time-exceeded or unreachable report that
// quotes the probe's request to its destination.
bool RawPacketAnswersProbe(std::span<const std::uint8_t> ipPacket, const EchoProbe& probe);

// A raw ICMPv6 socket delivers the ICMPv6 message without the IPv6 header. True when
// it is an echo reply with the probe's identifier and sequence, or a time-exceeded or
// unreachable report that quotes the probe's request (its 40-byte IPv6 header and
// ICMPv6 echo header) to its destination.
bool RawIcmpv6MessageAnswersProbe(std::span<const std::uint8_t> icmpMessage, const EchoProbe& probe);

// What a raw socket of the probe's family delivers, matched by the function above
// for that family.
bool RawReadAnswersProbe(std::span<const std::uint8_t> received, const EchoProbe& probe);

// A datagram socket delivers the ICMP or ICMPv6 message only, and only those with its
// own identifier. True when it is an echo reply of the family with the given sequence.
bool DatagramMessageAnswersProbe(std::span<const std::uint8_t> icmpMessage, IpFamily family, std::uint16_t sequence);

// A datagram socket's error queue gives the ICMP or ICMPv6 header of the request that
// a report quotes. True when that request is an echo request of the family with the
// given sequence.
bool QuotedRequestMatches(std::span<const std::uint8_t> quotedIcmp, IpFamily family, std::uint16_t sequence);

} // namespace netsonde::echo
