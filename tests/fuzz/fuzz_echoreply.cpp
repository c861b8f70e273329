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

struct Case {
    ReadKind kind = ReadKind::Raw;
    EchoProbe probe;
};

std::uint16_t BigEndian16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

CIpAddress DestinationOf(const std::uint8_t* bytes, IpFamily family)
{
    if (family == IpFamily::IPv6)
        return CIpAddress::FromIPv6(std::span<const std::uint8_t, kIpv6AddressBytes>(bytes, kIpv6AddressBytes));
    std::uint32_t networkOrder = 0;
    std::copy_n(bytes, 4, reinterpret_cast<std::uint8_t*>(&networkOrder));
    return CIpAddress::FromIPv4(networkOrder);
}

Case CaseOf(const std::uint8_t* header)
{
    constexpr ReadKind kinds[] = {ReadKind::Raw, ReadKind::Datagram, ReadKind::Quoted, ReadKind::Quoted};
    const IpFamily family = (header[0] & 0x04) != 0 ? IpFamily::IPv6 : IpFamily::IPv4;
    const EchoProbe probe{DestinationOf(header + 5, family), BigEndian16(header + 1), BigEndian16(header + 3)};
    return {kinds[header[0] & 0x03], probe};
}

// The unspecified address of the family the probe is not of.
CIpAddress AnyAddressOfOtherFamily(IpFamily family)
{
    return family == IpFamily::IPv4 ? CIpAddress::FromIPv6(std::array<std::uint8_t, kIpv6AddressBytes>{})
                                    : CIpAddress();
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

EchoProbe WithDestinationChanged(const EchoProbe& probe)
{
    std::array<std::uint8_t, kIpv6AddressBytes> bytes{};
    std::ranges::copy(probe.destination.Bytes(), bytes.begin());
    bytes[3] ^= 0x01;
    EchoProbe changed = probe;
    changed.destination = DestinationOf(bytes.data(), probe.destination.Family());
    return changed;
}

// An echo reply names no destination (another address of the host may send
// it); a report quotes the request with its destination.
bool IsRawEchoReply(std::span<const std::uint8_t> received, IpFamily family)
{
    if (family == IpFamily::IPv6)
        return received[0] == kIcmpv6EchoReply;
    return received[std::size_t{received[0] & 0x0Fu} * 4] == kIcmpEchoReply;
}

void CheckTakenOnlyForItsOwnProbe(ReadKind kind, std::span<const std::uint8_t> received, const EchoProbe& probe)
{
    EchoProbe otherSequence = probe;
    ++otherSequence.sequence;
    Require(!Answers(kind, received, otherSequence), "an answer is taken only for its own sequence");
    if (kind != ReadKind::Raw) {
        EchoProbe otherFamily = probe;
        otherFamily.destination = AnyAddressOfOtherFamily(probe.destination.Family());
        Require(!Answers(kind, received, otherFamily), "an answer is taken only for its own family");
        return;
    }
    EchoProbe otherIdentifier = probe;
    ++otherIdentifier.identifier;
    Require(!Answers(kind, received, otherIdentifier), "a raw read is taken only for its own identifier");
    if (!IsRawEchoReply(received, probe.destination.Family()))
        Require(!Answers(kind, received, WithDestinationChanged(probe)), "a report is taken only for its destination");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < kProbeBytes)
        return 0;
    const Case testCase = CaseOf(data);
    const std::vector<std::uint8_t> copy(data + kProbeBytes, data + size);
    const std::span<const std::uint8_t> received(copy);

    const bool answers = Answers(testCase.kind, received, testCase.probe);
    Require(answers == AnswersWithTrailer(testCase.kind, received, testCase.probe, 0x00)
                && answers == AnswersWithTrailer(testCase.kind, received, testCase.probe, 0xFF),
            "no read leaves the datagram");
    if (answers)
        CheckTakenOnlyForItsOwnProbe(testCase.kind, received, testCase.probe);
    return 0;
}
