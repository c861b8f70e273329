// SPDX-License-Identifier: GPL-3.0-or-later
// Received ICMP and ICMPv6 bytes against one probe, for each family and
// socket kind. The first byte picks what the bytes are (bits 0-1: a raw
// socket's read, a datagram socket's message, a quoted request from the
// error queue; bit 2: IPv6); then come the probe's identifier and sequence
// (big-endian) and 16 bytes of destination (IPv4 takes the first 4); the
// rest is what the socket read.

#include "FuzzCheck.h"

#include "platform/echo/EchoPacket.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <vector>

using namespace netsonde;
using namespace netsonde::echo;
using netsonde::fuzz::Require;

namespace {

enum class ReadKind { Raw, Datagram, Quoted };

constexpr std::size_t kProbeBytes = 1 + 2 + 2 + kIpv6AddressBytes;
// What follows the datagram in memory; a read past its end would see it.
constexpr std::size_t kTrailerSize = 64;

// The probe of the input's first bytes; `flip` changes one bit of its destination.
EchoProbe ProbeOf(const std::uint8_t* header, std::uint8_t flip = 0)
{
    std::array<std::uint8_t, kIpv6AddressBytes> destination{};
    std::copy_n(header + 5, destination.size(), destination.begin());
    destination[3] ^= flip;
    std::uint32_t ipv4 = 0;
    std::memcpy(&ipv4, destination.data(), sizeof ipv4);
    const auto u16 = [header](int at) { return static_cast<std::uint16_t>(header[at] << 8 | header[at + 1]); };
    const bool ipv6 = (header[0] & 0x04) != 0;
    return {ipv6 ? IpAddress::FromIPv6(destination) : IpAddress::FromIPv4(ipv4), u16(1), u16(3)};
}

bool Answers(ReadKind kind, std::span<const std::uint8_t> received, const EchoProbe& probe)
{
    switch (kind) {
    case ReadKind::Raw:
        return RawReadAnswersProbe(received, probe);
    case ReadKind::Datagram:
        return DatagramMessageAnswersProbe(received, probe.destination.Family(), probe.sequence);
    case ReadKind::Quoted:
        return QuotedRequestMatches(received, probe.destination.Family(), probe.sequence);
    }
    return false;
}

// The datagram in a buffer of its own with `fill` bytes after it.
bool AnswersWithTrailer(ReadKind kind, std::span<const std::uint8_t> received, const EchoProbe& probe,
                        std::uint8_t fill)
{
    std::vector<std::uint8_t> buffer(received.begin(), received.end());
    buffer.resize(received.size() + kTrailerSize, fill);
    return Answers(kind, std::span(buffer).first(received.size()), probe);
}

// An echo reply names no destination (another address of the host may send
// it); a report quotes the request with its destination.
bool IsRawEchoReply(std::span<const std::uint8_t> received, IpFamily family)
{
    if (family == IpFamily::IPv6)
        return received[0] == kIcmpv6EchoReply;
    return received[std::size_t{received[0] & 0x0Fu} * 4] == kIcmpEchoReply;
}

void CheckTakenOnlyForItsOwnProbe(ReadKind kind, std::span<const std::uint8_t> received, const std::uint8_t* header)
{
    const EchoProbe probe = ProbeOf(header);
    EchoProbe other = probe;
    ++other.sequence;
    Require(!Answers(kind, received, other), "an answer is taken only for its own sequence");
    other = probe;
    if (kind != ReadKind::Raw) {
        other.destination =
            probe.destination.IsIPv6() ? IpAddress() : IpAddress::FromIPv6(std::array<std::uint8_t, 16>{});
        Require(!Answers(kind, received, other), "an answer is taken only for its own family");
        return;
    }
    ++other.identifier;
    Require(!Answers(kind, received, other), "a raw read is taken only for its own identifier");
    if (!IsRawEchoReply(received, probe.destination.Family()))
        Require(!Answers(kind, received, ProbeOf(header, 0x01)), "a report is taken only for its destination");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < kProbeBytes)
        return 0;
    constexpr ReadKind kinds[] = {ReadKind::Raw, ReadKind::Datagram, ReadKind::Quoted, ReadKind::Quoted};
    const ReadKind kind = kinds[data[0] & 0x03];
    const EchoProbe probe = ProbeOf(data);
    const std::vector<std::uint8_t> copy(data + kProbeBytes, data + size);
    const std::span<const std::uint8_t> received(copy);

    const bool answers = Answers(kind, received, probe);
    Require(answers == AnswersWithTrailer(kind, received, probe, 0x00)
                && answers == AnswersWithTrailer(kind, received, probe, 0xFF),
            "no read leaves the datagram");
    if (answers)
        CheckTakenOnlyForItsOwnProbe(kind, received, data);
    return 0;
}
