// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/net/IpAddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>

namespace netsonde {

namespace {

constexpr int kGroupCount = 8;
using Groups = std::array<std::uint16_t, kGroupCount>;

struct ZeroRun {
    int start = -1;
    int length = 0;
};

Groups GroupsOf(std::span<const std::uint8_t, kIpv6AddressBytes> bytes)
{
    Groups groups{};
    for (int i = 0; i < kGroupCount; ++i)
        groups[i] = static_cast<std::uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
    return groups;
}

bool IsIpv4Mapped(const Groups& groups)
{
    return std::all_of(groups.begin(), groups.begin() + 5, [](std::uint16_t g) { return g == 0; })
           && groups[5] == 0xFFFF;
}

std::string DottedQuad(std::span<const std::uint8_t> bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            text += '.';
        text += std::to_string(bytes[i]);
    }
    return text;
}

std::string HexGroup(std::uint16_t group)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    bool started = false;
    for (int shift = 12; shift >= 0; shift -= 4) {
        const int digit = (group >> shift) & 0xF;
        if (digit != 0 || started || shift == 0) {
            text += kDigits[digit];
            started = true;
        }
    }
    return text;
}

// The longest run of two or more zero groups, the first of equal runs.
ZeroRun LongestZeroRun(const Groups& groups)
{
    ZeroRun longest;
    ZeroRun current;
    for (int i = 0; i < kGroupCount; ++i) {
        if (groups[i] != 0) {
            current = ZeroRun();
            continue;
        }
        if (current.length == 0)
            current.start = i;
        ++current.length;
        if (current.length >= 2 && current.length > longest.length)
            longest = current;
    }
    return longest;
}

} // namespace

IpAddress IpAddress::FromIPv4(std::uint32_t networkOrder)
{
    IpAddress address;
    std::memcpy(address.m_bytes.data(), &networkOrder, kIpv4AddressBytes);
    return address;
}

IpAddress IpAddress::FromIPv6(std::span<const std::uint8_t, kIpv6AddressBytes> bytes)
{
    IpAddress address;
    address.m_family = IpFamily::IPv6;
    std::copy(bytes.begin(), bytes.end(), address.m_bytes.begin());
    return address;
}

std::optional<IpAddress> IpAddress::FromSockAddr(const sockaddr* address, socklen_t length)
{
    if (address == nullptr)
        return std::nullopt;
    if (address->sa_family == AF_INET && length >= static_cast<socklen_t>(sizeof(sockaddr_in))) {
        sockaddr_in ipv4{};
        std::memcpy(&ipv4, address, sizeof ipv4);
        return FromIPv4(ipv4.sin_addr.s_addr);
    }
    if (address->sa_family == AF_INET6 && length >= static_cast<socklen_t>(sizeof(sockaddr_in6))) {
        sockaddr_in6 ipv6{};
        std::memcpy(&ipv6, address, sizeof ipv6);
        return FromIPv6(std::span<const std::uint8_t, kIpv6AddressBytes>(ipv6.sin6_addr.s6_addr, kIpv6AddressBytes));
    }
    return std::nullopt;
}

std::uint32_t IpAddress::IPv4() const
{
    if (IsIPv6())
        return 0;
    std::uint32_t networkOrder = 0;
    std::memcpy(&networkOrder, m_bytes.data(), kIpv4AddressBytes);
    return networkOrder;
}

std::span<const std::uint8_t> IpAddress::Bytes() const
{
    return std::span<const std::uint8_t>(m_bytes.data(), IsIPv6() ? kIpv6AddressBytes : kIpv4AddressBytes);
}

socklen_t IpAddress::ToSockAddr(std::uint16_t port, sockaddr_storage& out) const
{
    out = sockaddr_storage{};
    if (IsIPv6()) {
        sockaddr_in6 ipv6{};
        ipv6.sin6_family = AF_INET6;
        ipv6.sin6_port = htons(port);
        std::memcpy(ipv6.sin6_addr.s6_addr, m_bytes.data(), kIpv6AddressBytes);
        std::memcpy(&out, &ipv6, sizeof ipv6);
        return sizeof ipv6;
    }
    sockaddr_in ipv4{};
    ipv4.sin_family = AF_INET;
    ipv4.sin_port = htons(port);
    ipv4.sin_addr.s_addr = IPv4();
    std::memcpy(&out, &ipv4, sizeof ipv4);
    return sizeof ipv4;
}

int SocketFamilyOf(IpFamily family)
{
    return family == IpFamily::IPv6 ? AF_INET6 : AF_INET;
}

std::string IpAddressText(const IpAddress& address)
{
    if (!address.IsIPv6())
        return DottedQuad(address.Bytes());
    return Ipv6Text(address.Bytes().first<kIpv6AddressBytes>());
}

std::string Ipv6Text(std::span<const std::uint8_t, kIpv6AddressBytes> bytes)
{
    const Groups groups = GroupsOf(bytes);
    if (IsIpv4Mapped(groups))
        return "::ffff:" + DottedQuad(bytes.last(kIpv4AddressBytes));

    const ZeroRun run = LongestZeroRun(groups);
    std::string text;
    for (int i = 0; i < kGroupCount;) {
        if (i == run.start) {
            text += "::";
            i += run.length;
            continue;
        }
        if (!text.empty() && text.back() != ':')
            text += ':';
        text += HexGroup(groups[i]);
        ++i;
    }
    return text;
}

std::optional<IpAddress> ParseIpv6Literal(std::string_view text)
{
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        text = text.substr(1, text.size() - 2);
    if (text.empty() || text.size() >= INET6_ADDRSTRLEN || text.find('\0') != std::string_view::npos)
        return std::nullopt;
    const std::string terminated(text);
    std::array<std::uint8_t, kIpv6AddressBytes> bytes{};
    if (inet_pton(AF_INET6, terminated.c_str(), bytes.data()) != 1)
        return std::nullopt;
    return IpAddress::FromIPv6(bytes);
}

std::optional<IpAddress> ParseAddressLiteral(std::string_view text)
{
    // inet_addr reads up to a NUL: text holding one is never an address.
    if (text.find('\0') != std::string_view::npos)
        return std::nullopt;
    const std::string terminated(text);
    const in_addr_t dotted = inet_addr(terminated.c_str());
    if (dotted != INADDR_NONE)
        return IpAddress::FromIPv4(dotted);
    return ParseIpv6Literal(text);
}

bool PreferenceAllows(AddressPreference preference, IpFamily family)
{
    switch (preference) {
    case AddressPreference::OnlyIPv4:
        return family == IpFamily::IPv4;
    case AddressPreference::OnlyIPv6:
        return family == IpFamily::IPv6;
    case AddressPreference::PreferIPv4:
    case AddressPreference::PreferIPv6:
        break;
    }
    return true;
}

std::optional<IpAddress> ChooseAddress(std::span<const IpAddress> addresses, AddressPreference preference)
{
    const IpFamily first = preference == AddressPreference::PreferIPv6 || preference == AddressPreference::OnlyIPv6
                               ? IpFamily::IPv6
                               : IpFamily::IPv4;
    for (const IpAddress& address : addresses) {
        if (address.Family() == first)
            return address;
    }
    for (const IpAddress& address : addresses) {
        if (PreferenceAllows(preference, address.Family()))
            return address;
    }
    return std::nullopt;
}

} // namespace netsonde
