// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ICMP echo messages: building requests and recognising the answers to them.
// Every function reads received bytes only within the span it is given.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace netsonde::echo {

inline constexpr std::size_t kIcmpHeaderSize = 8;
// The largest echo data that fits an IPv4 packet with a 20-byte header.
inline constexpr std::size_t kMaxEchoDataSize = 65535 - 20 - kIcmpHeaderSize;

inline constexpr std::uint8_t kIcmpEchoReply = 0;
inline constexpr std::uint8_t kIcmpDestinationUnreachable = 3;
inline constexpr std::uint8_t kIcmpEchoRequest = 8;
inline constexpr std::uint8_t kIcmpTimeExceeded = 11;

// What identifies one request on the wire. Addresses are in network order.
struct EchoProbe {
    std::uint32_t destination = 0;
    std::uint16_t identifier = 0;
    std::uint16_t sequence = 0;
};

// The Internet checksum (one's complement of the one's complement sum).
std::uint16_t InternetChecksum(std::span<const std::uint8_t> bytes);

// An echo request message with its checksum; `data` at most kMaxEchoDataSize bytes.
std::vector<std::uint8_t> BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence,
                                           std::span<const std::uint8_t> data);

// A raw ICMP socket delivers the whole IPv4 packet. True when it is an echo reply with
// the probe's identifier and sequence, or a time-exceeded or unreachable report that
// quotes the probe's request to its destination.
bool RawPacketAnswersProbe(std::span<const std::uint8_t> ipPacket, const EchoProbe& probe);

// A datagram ICMP socket delivers the ICMP message only, and only those with its own
// identifier. True when it is an echo reply with the given sequence.
bool DatagramMessageAnswersProbe(std::span<const std::uint8_t> icmpMessage, std::uint16_t sequence);

// A datagram socket's error queue gives the ICMP header of the request that a report
// quotes. True when that request is an echo request with the given sequence.
bool QuotedRequestMatches(std::span<const std::uint8_t> quotedIcmp, std::uint16_t sequence);

} // namespace netsonde::echo
