// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/AsnLookup.h"

#include <QStringList>

#include <algorithm>
#include <cstdint>

namespace netsonde {

namespace {

constexpr int kMaxOriginNumbers = 8;
constexpr qsizetype kMaxAsNumberDigits = 10;
constexpr std::uint64_t kMaxAsNumber = 4294967295u;
constexpr std::size_t kIpv6PrefixBytes = 8;

bool InIpv4Block(std::uint32_t hostOrder, std::uint32_t block, int prefixLength)
{
    const std::uint32_t mask = prefixLength == 0 ? 0 : ~std::uint32_t{0} << (32 - prefixLength);
    return (hostOrder & mask) == block;
}

bool IsPublicIpv4(std::span<const std::uint8_t> bytes)
{
    const std::uint32_t address = std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16
                                  | std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
    constexpr struct {
        std::uint32_t block;
        int prefixLength;
    } kNotPublic[] = {
        {0x0A000000, 8}, {0xAC100000, 12}, {0xC0A80000, 16}, {0x64400000, 10},
        {0x7F000000, 8}, {0xA9FE0000, 16}, {0xE0000000, 4},  {0x00000000, 32},
    };
    return std::ranges::none_of(
        kNotPublic, [address](const auto& range) { return InIpv4Block(address, range.block, range.prefixLength); });
}

bool IsPublicIpv6(std::span<const std::uint8_t> bytes)
{
    const auto allZeroBefore = [&](std::size_t end) {
        return std::all_of(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(end),
                           [](std::uint8_t byte) { return byte == 0; });
    };
    const bool unspecifiedOrLoopback = allZeroBefore(15) && bytes[15] <= 1;
    const bool mapped = allZeroBefore(10) && bytes[10] == 0xFF && bytes[11] == 0xFF;
    const bool linkLocal = bytes[0] == 0xFE && (bytes[1] & 0xC0) == 0x80;
    const bool uniqueLocal = (bytes[0] & 0xFE) == 0xFC;
    const bool multicast = bytes[0] == 0xFF;
    return !(unspecifiedOrLoopback || mapped || linkLocal || uniqueLocal || multicast);
}

QByteArray ReversedIpv4Labels(std::span<const std::uint8_t> bytes)
{
    QByteArray name;
    for (auto byte = bytes.rbegin(); byte != bytes.rend(); ++byte)
        name += QByteArray::number(*byte) + '.';
    return name;
}

QByteArray ReversedIpv6PrefixNibbles(std::span<const std::uint8_t> bytes)
{
    static constexpr char kHexDigits[] = "0123456789abcdef";
    QByteArray name;
    for (std::size_t i = kIpv6PrefixBytes; i-- > 0;) {
        name += kHexDigits[bytes[i] & 0x0F];
        name += '.';
        name += kHexDigits[bytes[i] >> 4];
        name += '.';
    }
    return name;
}

std::optional<QString> AsNumberText(const QByteArray& digits)
{
    if (digits.isEmpty() || digits.size() > kMaxAsNumberDigits
        || !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const std::uint64_t number = digits.toULongLong();
    if (number > kMaxAsNumber)
        return std::nullopt;
    return QStringLiteral("AS%1").arg(number);
}

} // namespace

bool IsAsnLookupAllowed(const IpAddress& address)
{
    return address.IsIPv6() ? IsPublicIpv6(address.Bytes()) : IsPublicIpv4(address.Bytes());
}

std::optional<QByteArray> OriginQueryName(const IpAddress& address, const AsnZones& zones)
{
    const QString& zone = address.IsIPv6() ? zones.ipv6 : zones.ipv4;
    if (zone.isEmpty() || !IsAsnLookupAllowed(address))
        return std::nullopt;
    const QByteArray labels =
        address.IsIPv6() ? ReversedIpv6PrefixNibbles(address.Bytes()) : ReversedIpv4Labels(address.Bytes());
    return labels + zone.toUtf8();
}

std::optional<QString> OriginAsText(const std::vector<QByteArray>& txt)
{
    if (txt.empty())
        return std::nullopt;
    const QList<QByteArray> numbers = txt.front().split('|').front().simplified().split(' ');
    if (numbers.size() > kMaxOriginNumbers)
        return std::nullopt;
    QStringList names;
    for (const QByteArray& digits : numbers) {
        const auto name = AsNumberText(digits);
        if (!name)
            return std::nullopt;
        names << *name;
    }
    return names.join(' ');
}

} // namespace netsonde
