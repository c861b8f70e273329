// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/echo/EchoPacket.h"

#include <algorithm>
#include <cstring>

namespace netsonde::echo {

namespace {

constexpr std::size_t kMinIpHeaderSize = 20;
constexpr std::uint8_t kProtocolIcmp = 1;
constexpr std::uint8_t kNextHeaderIcmpv6 = 58;
constexpr std::size_t kIpv6NextHeaderOffset = 6;
constexpr std::size_t kIpv6DestinationOffset = 24;

std::uint16_t ReadBigEndian16(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>((bytes[offset] << 8) | bytes[offset + 1]);
}

// Addresses stay in network order: the bytes keep their order in memory.
std::uint32_t ReadNetworkOrder32(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.subspan(offset, 4).data(), 4);
    return value;
}

bool HoldsAddress(std::span<const std::uint8_t> bytes, std::size_t offset, const IpAddress& address)
{
    const auto expected = address.Bytes();
    return bytes.size() >= offset + expected.size()
           && std::equal(expected.begin(), expected.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

void WriteBigEndian16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = static_cast<std::uint8_t>(value >> 8);
    bytes[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

// The ICMP message inside an IPv4 packet, or an empty span when the packet is not a
// well-formed IPv4 packet carrying at least an ICMP header.
std::span<const std::uint8_t> IcmpPayloadOf(std::span<const std::uint8_t> ipPacket)
{
    if (ipPacket.size() < kMinIpHeaderSize)
        return {};
    const unsigned version = ipPacket[0] >> 4;
    const std::size_t headerSize = std::size_t{ipPacket[0] & 0x0Fu} * 4;
    if (version != 4 || headerSize < kMinIpHeaderSize || ipPacket[9] != kProtocolIcmp)
        return {};
    if (ipPacket.size() < headerSize + kIcmpHeaderSize)
        return {};
    return ipPacket.subspan(headerSize);
}

bool IsEchoWithIds(std::span<const std::uint8_t> icmp, std::uint8_t type, std::uint16_t identifier,
                   std::uint16_t sequence)
{
    return icmp.size() >= kIcmpHeaderSize && icmp[0] == type && ReadBigEndian16(icmp, 4) == identifier
           && ReadBigEndian16(icmp, 6) == sequence;
}

bool ReportQuotesProbe(std::span<const std::uint8_t> report, const EchoProbe& probe)
{
    const auto quotedPacket = report.subspan(kIcmpHeaderSize);
    const auto quotedIcmp = IcmpPayloadOf(quotedPacket);
    if (quotedIcmp.empty() || ReadNetworkOrder32(quotedPacket, 16) != probe.destination.IPv4())
        return false;
    return IsEchoWithIds(quotedIcmp, kIcmpEchoRequest, probe.identifier, probe.sequence);
}

// An ICMPv6 report quotes our packet from its IPv6 header on; a request sent without
// extension headers has the ICMPv6 echo header right after it.
bool Icmpv6ReportQuotesProbe(std::span<const std::uint8_t> report, const EchoProbe& probe)
{
    const auto quotedPacket = report.subspan(kIcmpHeaderSize);
    if (quotedPacket.size() < kIpv6HeaderSize + kIcmpHeaderSize || (quotedPacket[0] >> 4) != 6
        || quotedPacket[kIpv6NextHeaderOffset] != kNextHeaderIcmpv6
        || !HoldsAddress(quotedPacket, kIpv6DestinationOffset, probe.destination))
        return false;
    return IsEchoWithIds(quotedPacket.subspan(kIpv6HeaderSize), kIcmpv6EchoRequest, probe.identifier, probe.sequence);
}

std::uint8_t EchoRequestType(IpFamily family)
{
    return family == IpFamily::IPv6 ? kIcmpv6EchoRequest : kIcmpEchoRequest;
}

std::uint8_t EchoReplyType(IpFamily family)
{
    return family == IpFamily::IPv6 ? kIcmpv6EchoReply : kIcmpEchoReply;
}

} // namespace

std::uint16_t InternetChecksum(std::span<const std::uint8_t> bytes)
{
    std::uint32_t sum = 0;
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2)
        sum += ReadBigEndian16(bytes, i);
    if (i < bytes.size())
        sum += std::uint32_t{bytes[i]} << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum & 0xFFFF);
}

std::vector<std::uint8_t> BuildEchoRequest(IpFamily family, std::uint16_t identifier, std::uint16_t sequence,
                                           std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> message(kIcmpHeaderSize + data.size(), 0);
    message[0] = EchoRequestType(family);
    WriteBigEndian16(message, 4, identifier);
    WriteBigEndian16(message, 6, sequence);
    std::copy(data.begin(), data.end(), message.begin() + kIcmpHeaderSize);
    if (family == IpFamily::IPv4)
        WriteBigEndian16(message, 2, InternetChecksum(message));
    return message;
}

bool RawPacketAnswersProbe(std::span<const std::uint8_t> ipPacket, const EchoProbe& probe)
{
    const auto icmp = IcmpPayloadOf(ipPacket);
    if (icmp.empty() || probe.destination.IsIPv6())
        return false;
    switch (icmp[0]) {
    case kIcmpEchoReply:
        return IsEchoWithIds(icmp, kIcmpEchoReply, probe.identifier, probe.sequence);
    case kIcmpDestinationUnreachable:
    case kIcmpTimeExceeded:
        return ReportQuotesProbe(icmp, probe);
    default:
        return false;
    }
}

bool RawIcmpv6MessageAnswersProbe(std::span<const std::uint8_t> icmpMessage, const EchoProbe& probe)
{
    if (icmpMessage.size() < kIcmpHeaderSize || !probe.destination.IsIPv6())
        return false;
    switch (icmpMessage[0]) {
    case kIcmpv6EchoReply:
        return IsEchoWithIds(icmpMessage, kIcmpv6EchoReply, probe.identifier, probe.sequence);
    case kIcmpv6DestinationUnreachable:
    case kIcmpv6TimeExceeded:
        return Icmpv6ReportQuotesProbe(icmpMessage, probe);
    default:
        return false;
    }
}

bool RawReadAnswersProbe(std::span<const std::uint8_t> received, const EchoProbe& probe)
{
    return probe.destination.IsIPv6() ? RawIcmpv6MessageAnswersProbe(received, probe)
                                      : RawPacketAnswersProbe(received, probe);
}

bool DatagramMessageAnswersProbe(std::span<const std::uint8_t> icmpMessage, IpFamily family, std::uint16_t sequence)
{
    return icmpMessage.size() >= kIcmpHeaderSize && icmpMessage[0] == EchoReplyType(family)
           && ReadBigEndian16(icmpMessage, 6) == sequence;
}

bool QuotedRequestMatches(std::span<const std::uint8_t> quotedIcmp, IpFamily family, std::uint16_t sequence)
{
    return quotedIcmp.size() >= kIcmpHeaderSize && quotedIcmp[0] == EchoRequestType(family)
           && ReadBigEndian16(quotedIcmp, 6) == sequence;
}

} // namespace netsonde::echo
