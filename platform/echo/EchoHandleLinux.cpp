// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/echo/EchoHandleLinux.h"

#include <linux/errqueue.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

namespace netsonde::echo {

namespace {

// Reads per wake-up before polling again, so that a flood cannot hold the loop.
constexpr int kMaxReadsPerWake = 64;

int MillisecondsUntil(std::chrono::steady_clock::time_point now, std::chrono::steady_clock::time_point deadline)
{
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return static_cast<int>(std::clamp<long long>(remaining, 0, INT_MAX));
}

bool IsReportThatCounts(const sock_extended_err& error)
{
    return error.ee_origin == SO_EE_ORIGIN_ICMP
        && (error.ee_type == kIcmpTimeExceeded || error.ee_type == kIcmpDestinationUnreachable);
}

// The sender of an ICMP report from the control messages of an error-queue read.
std::optional<std::uint32_t> ReportSender(msghdr& message)
{
    for (cmsghdr* control = CMSG_FIRSTHDR(&message); control != nullptr;
         control = CMSG_NXTHDR(&message, control)) {
        if (control->cmsg_level != SOL_IP || control->cmsg_type != IP_RECVERR)
            continue;
        if (control->cmsg_len < CMSG_LEN(sizeof(sock_extended_err) + sizeof(sockaddr_in)))
            continue;
        sock_extended_err error{};
        std::memcpy(&error, CMSG_DATA(control), sizeof error);
        sockaddr_in offender{};
        std::memcpy(&offender, CMSG_DATA(control) + sizeof error, sizeof offender);
        if (IsReportThatCounts(error) && offender.sin_family == AF_INET)
            return offender.sin_addr.s_addr;
    }
    return std::nullopt;
}

} // namespace

LinuxEchoHandle::LinuxEchoHandle(EchoSocketKind kind, UniqueFd socket, std::uint16_t identifier,
                                 std::uint16_t firstSequence, std::shared_ptr<const ShutdownSignal> shutdown,
                                 std::shared_ptr<const ShutdownSignal> runWake)
    : m_kind(kind)
    , m_socket(std::move(socket))
    , m_identifier(identifier)
    , m_nextSequence(firstSequence)
    , m_shutdown(std::move(shutdown))
    , m_runWake(std::move(runWake))
{
}

EchoReply LinuxEchoHandle::SendEcho(const CIpAddress& destination, std::span<const std::uint8_t> data,
                                    std::optional<std::uint8_t> ttl, std::uint32_t timeoutMs)
{
    if (destination.IsIPv6() || data.size() > kMaxEchoDataSize || IsWoken() || !SetTimeToLive(ttl))
        return {};
    DiscardStaleAnswers();
    const EchoProbe probe{destination.IPv4(), m_identifier, m_nextSequence++};
    const auto sent = Clock::now();
    if (!SendRequest(probe, data))
        return {};
    const auto sender = AwaitAnswer(probe, sent + std::chrono::milliseconds(timeoutMs));
    if (!sender)
        return {};
    const auto roundTrip = std::chrono::floor<std::chrono::milliseconds>(Clock::now() - sent).count();
    return {1, CIpAddress::FromIPv4(*sender), static_cast<std::uint32_t>(std::clamp<long long>(roundTrip, 0, UINT32_MAX))};
}

bool LinuxEchoHandle::IsWoken() const
{
    return m_shutdown->IsRaised() || (m_runWake && m_runWake->IsRaised());
}

// Every request sets its own Ttl; none restores the system's default (-1).
bool LinuxEchoHandle::SetTimeToLive(std::optional<std::uint8_t> ttl)
{
    const int value = ttl ? int{*ttl} : -1;
    return ::setsockopt(m_socket.Get(), SOL_IP, IP_TTL, &value, sizeof value) == 0;
}

// Whatever waits now answers an earlier request. An unread report of a datagram socket
// also leaves a pending socket error that would fail the next send (EHOSTUNREACH).
void LinuxEchoHandle::DiscardStaleAnswers()
{
    for (int read = 0; read < kMaxReadsPerWake; ++read) {
        if (::recv(m_socket.Get(), m_receiveBuffer.data(), m_receiveBuffer.size(), MSG_DONTWAIT) < 0
            && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
    }
    if (m_kind != EchoSocketKind::Datagram)
        return;
    for (int read = 0; read < kMaxReadsPerWake; ++read) {
        iovec payload{m_receiveBuffer.data(), m_receiveBuffer.size()};
        msghdr message{};
        message.msg_iov = &payload;
        message.msg_iovlen = 1;
        if (::recvmsg(m_socket.Get(), &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0)
            break;
    }
    int pendingError = 0;
    socklen_t size = sizeof pendingError;
    ::getsockopt(m_socket.Get(), SOL_SOCKET, SO_ERROR, &pendingError, &size);
}

// On a datagram socket the kernel puts its own identifier and checksum in.
bool LinuxEchoHandle::SendRequest(const EchoProbe& probe, std::span<const std::uint8_t> data)
{
    const auto request = BuildEchoRequest(probe.identifier, probe.sequence, data);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = probe.destination;
    const auto sent = ::sendto(m_socket.Get(), request.data(), request.size(), 0,
                               reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return sent == static_cast<ssize_t>(request.size());
}

// The deadline is fixed; the wait is recomputed from it after every wake-up, so stray
// packets cannot stretch it. Without a run wake its slot holds -1, which poll skips.
std::optional<std::uint32_t> LinuxEchoHandle::AwaitAnswer(const EchoProbe& probe, Clock::time_point deadline)
{
    for (;;) {
        const auto now = Clock::now();
        if (now >= deadline)
            return std::nullopt;
        pollfd watches[3] = {{m_socket.Get(), POLLIN, 0},
                             {m_shutdown->PollDescriptor(), POLLIN, 0},
                             {m_runWake ? m_runWake->PollDescriptor() : -1, POLLIN, 0}};
        const int ready = ::poll(watches, 3, MillisecondsUntil(now, deadline));
        if (ready < 0 && errno != EINTR)
            return std::nullopt;
        if (watches[1].revents != 0 || watches[2].revents != 0)
            return std::nullopt;
        if (watches[0].revents != 0) {
            if (const auto sender = ReadWaitingAnswers(probe))
                return sender;
        }
    }
}

std::optional<std::uint32_t> LinuxEchoHandle::ReadWaitingAnswers(const EchoProbe& probe)
{
    for (int read = 0; read < kMaxReadsPerWake; ++read) {
        bool drained = false;
        const auto sender = m_kind == EchoSocketKind::Raw ? ReadRawPacket(probe, drained)
                                                          : ReadDatagramMessage(probe, drained);
        if (sender || drained)
            return sender;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> LinuxEchoHandle::ReadRawPacket(const EchoProbe& probe, bool& drained)
{
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    const auto received = ::recvfrom(m_socket.Get(), m_receiveBuffer.data(), m_receiveBuffer.size(),
                                     MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (received < 0) {
        drained = errno != EINTR;
        return std::nullopt;
    }
    const std::span<const std::uint8_t> packet(m_receiveBuffer.data(), static_cast<std::size_t>(received));
    if (from.sin_family == AF_INET && RawPacketAnswersProbe(packet, probe))
        return from.sin_addr.s_addr;
    return std::nullopt;
}

// A pending ICMP error makes a plain read fail once (EHOSTUNREACH and the like): that
// only says the error queue has something, so it is read on the next pass.
std::optional<std::uint32_t> LinuxEchoHandle::ReadDatagramMessage(const EchoProbe& probe, bool& drained)
{
    if (const auto reporter = ReadErrorQueue(probe))
        return reporter;
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    const auto received = ::recvfrom(m_socket.Get(), m_receiveBuffer.data(), m_receiveBuffer.size(),
                                     MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (received < 0) {
        drained = errno == EAGAIN || errno == EWOULDBLOCK;
        return std::nullopt;
    }
    const std::span<const std::uint8_t> message(m_receiveBuffer.data(), static_cast<std::size_t>(received));
    if (from.sin_family == AF_INET && DatagramMessageAnswersProbe(message, probe.sequence))
        return from.sin_addr.s_addr;
    return std::nullopt;
}

std::optional<std::uint32_t> LinuxEchoHandle::ReadErrorQueue(const EchoProbe& probe)
{
    for (int read = 0; read < kMaxReadsPerWake; ++read) {
        sockaddr_in quotedDestination{};
        iovec payload{m_receiveBuffer.data(), m_receiveBuffer.size()};
        alignas(cmsghdr) std::uint8_t control[CMSG_SPACE(sizeof(sock_extended_err) + sizeof(sockaddr_in))];
        msghdr message{};
        message.msg_name = &quotedDestination;
        message.msg_namelen = sizeof quotedDestination;
        message.msg_iov = &payload;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const auto received = ::recvmsg(m_socket.Get(), &message, MSG_ERRQUEUE | MSG_DONTWAIT);
        if (received < 0)
            return std::nullopt;
        const std::span<const std::uint8_t> quoted(m_receiveBuffer.data(), static_cast<std::size_t>(received));
        const bool quotesProbe = (message.msg_flags & MSG_CTRUNC) == 0
            && quotedDestination.sin_addr.s_addr == probe.destination
            && QuotedRequestMatches(quoted, probe.sequence);
        if (quotesProbe) {
            if (const auto reporter = ReportSender(message))
                return reporter;
        }
    }
    return std::nullopt;
}

} // namespace netsonde::echo
