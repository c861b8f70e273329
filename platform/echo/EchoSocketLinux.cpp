// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/echo/EchoSocketLinux.h"

#include "platform/echo/EchoPacket.h"

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

constexpr std::uint32_t TypeBit(std::uint8_t type) { return std::uint32_t{1} << type; }

bool KeepOnlyAnswers(int socket)
{
    const IcmpFilter filter{~(TypeBit(kIcmpEchoReply) | TypeBit(kIcmpDestinationUnreachable)
                              | TypeBit(kIcmpTimeExceeded))};
    return ::setsockopt(socket, SOL_RAW, kIcmpFilterOption, &filter, sizeof filter) == 0;
}

bool ReportErrorsToQueue(int socket)
{
    const int on = 1;
    return ::setsockopt(socket, SOL_IP, IP_RECVERR, &on, sizeof on) == 0;
}

} // namespace

OpenedEchoSocket OpenEchoSocket(EchoSocketKind kind)
{
    const int type = kind == EchoSocketKind::Datagram ? SOCK_DGRAM : SOCK_RAW;
    UniqueFd socket(::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP));
    if (!socket.IsValid())
        return {UniqueFd(), errno};
    const bool ready = kind == EchoSocketKind::Datagram ? ReportErrorsToQueue(socket.Get())
                                                        : KeepOnlyAnswers(socket.Get());
    if (!ready)
        return {UniqueFd(), errno};
    return {std::move(socket), 0};
}

} // namespace netsonde::echo
