// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An IPv4 or IPv6 address as plain bytes in network order, its text forms and
// its socket address. No Qt: the echo service uses it too.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <sys/socket.h>

namespace netsonde {

enum class IpFamily : std::uint8_t { IPv4, IPv6 };

inline constexpr std::size_t kIpv4AddressBytes = 4;
inline constexpr std::size_t kIpv6AddressBytes = 16;

class IpAddress {
public:
    // 0.0.0.0
    IpAddress() = default;

    static IpAddress FromIPv4(std::uint32_t networkOrder);
    // Exactly 16 bytes.
    static IpAddress FromIPv6(std::span<const std::uint8_t, kIpv6AddressBytes> bytes);
    // The address of an AF_INET or AF_INET6 socket address; none for any other
    // family or a length too short for its family.
    static std::optional<IpAddress> FromSockAddr(const sockaddr* address, socklen_t length);

    IpFamily Family() const { return m_family; }
    bool IsIPv6() const { return m_family == IpFamily::IPv6; }
    // IPv4 in network order; 0 for an IPv6 address.
    std::uint32_t IPv4() const;
    // 4 bytes for IPv4, 16 for IPv6.
    std::span<const std::uint8_t> Bytes() const;

    // The socket address with the port in host order; returns its length.
    socklen_t ToSockAddr(std::uint16_t port, sockaddr_storage& out) const;

    bool operator==(const IpAddress&) const = default;

private:
    IpFamily m_family = IpFamily::IPv4;
    std::array<std::uint8_t, kIpv6AddressBytes> m_bytes{};
};

// The socket family of an address family: AF_INET or AF_INET6.
int SocketFamilyOf(IpFamily family);

// "%d.%d.%d.%d" for IPv4; the recommended IPv6 text (RFC 5952) for IPv6.
std::string IpAddressText(const IpAddress& address);

// The RFC 5952 text of 16 address bytes: groups in lower case hex without
// leading zeros; the longest run of two or more zero groups, the first of
// equal runs, written as "::"; a single zero group written as "0"; an
// IPv4-mapped address as ::ffff: and the dotted quad.
std::string Ipv6Text(std::span<const std::uint8_t, kIpv6AddressBytes> bytes);

// The address of an IPv6 literal as inet_pton reads it, with or without
// enclosing brackets ("[2001:db8::1]"); none for any other text, and for text
// holding a NUL.
std::optional<IpAddress> ParseIpv6Literal(std::string_view text);

// The address of a host text that is an address literal: a dotted IPv4
// address as inet_addr reads it (short forms such as "10.1" too, but not
// "255.255.255.255", which inet_addr cannot tell apart from a failure) or an
// IPv6 literal as ParseIpv6Literal reads it; none for a name, for text
// holding a NUL and for an address with a zone index ("fe80::1%eth0").
std::optional<IpAddress> ParseAddressLiteral(std::string_view text);

// Which family a name that has addresses of both families uses, or the one
// family it may use.
enum class AddressPreference : std::uint8_t {
    PreferIPv4, // the first IPv4 address, else the first IPv6 address
    PreferIPv6, // the first IPv6 address, else the first IPv4 address
    OnlyIPv4,
    OnlyIPv6,
};

// The address a run uses out of a host's addresses; none when the preference
// excludes all of them.
std::optional<IpAddress> ChooseAddress(std::span<const IpAddress> addresses, AddressPreference preference);

// Whether the preference lets a run use an address of this family.
bool PreferenceAllows(AddressPreference preference, IpFamily family);

} // namespace netsonde
