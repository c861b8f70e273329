// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/echo/EchoSocketLinux.h"

#include "platform/echo/EchoPacket.h"

#include <netinet/icmp6.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdint>

namespace netsonde::echo {

namespace {

// From <linux/icmp.h>, which cannot be included beside <netinet/ip_icmp.h>.
constexpr int kIcmpFilterOption = 1;
struct IcmpFilter {
    std::uint32_t blockedTypes;
};

constexpr std::uint32_t TypeBit(std::uint8_t type)
{
    return std::uint32_t{1} << type;
}

bool KeepOnlyAnswers(int socket)
{
    const IcmpFilter filter{
        ~(TypeBit(kIcmpEchoReply) | TypeBit(kIcmpDestinationUnreachable) | TypeBit(kIcmpTimeExceeded))};
    return ::setsockopt(socket, SOL_RAW, kIcmpFilterOption, &filter, sizeof filter) == 0;
}

bool KeepOnlyIcmpv6Answers(int socket)
{
    icmp6_filter filter{};
    ICMP6_FILTER_SETBLOCKALL(&filter);
    ICMP6_FILTER_SETPASS(kIcmpv6EchoReply, &filter);
    ICMP6_FILTER_SETPASS(kIcmpv6DestinationUnreachable, &filter);
    ICMP6_FILTER_SETPASS(kIcmpv6TimeExceeded, &filter);
    return ::setsockopt(socket, IPPROTO_ICMPV6, ICMP6_FILTER, &filter, sizeof filter) == 0;
}

bool ReportErrorsToQueue(IpFamily family, int socket)
{
    const int on = 1;
    return family == IpFamily::IPv6 ? ::setsockopt(socket, SOL_IPV6, IPV6_RECVERR, &on, sizeof on) == 0
                                    : ::setsockopt(socket, SOL_IP, IP_RECVERR, &on, sizeof on) == 0;
}

bool PrepareSocket(IpFamily family, EchoSocketKind kind, int socket)
{
    if (kind == EchoSocketKind::Datagram)
        return ReportErrorsToQueue(family, socket);
    return family == IpFamily::IPv6 ? KeepOnlyIcmpv6Answers(socket) : KeepOnlyAnswers(socket);
}

} // namespace

OpenedEchoSocket OpenEchoSocket(IpFamily family, EchoSocketKind kind)
{
    const int type = kind == EchoSocketKind::Datagram ? SOCK_DGRAM : SOCK_RAW;
    const int protocol = family == IpFamily::IPv6 ? int{IPPROTO_ICMPV6} : int{IPPROTO_ICMP};
    UniqueFd socket(::socket(SocketFamilyOf(family), type | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol));
    if (!socket.IsValid())
        return {UniqueFd(), errno};
    const bool ready = PrepareSocket(family, kind, socket.Get());
    if (!ready)
        return {UniqueFd(), errno};
    return {std::move(socket), 0};
}

} // namespace netsonde::echo
