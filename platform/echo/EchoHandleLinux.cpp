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
// Sends of one request, each failing only on a socket error left by an earlier report.
constexpr int kMaxSendAttempts = 3;

int MillisecondsUntil(std::chrono::steady_clock::time_point now, std::chrono::steady_clock::time_point deadline)
{
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return static_cast<int>(std::clamp<long long>(remaining, 0, INT_MAX));
}

bool IsReportThatCounts(const sock_extended_err& error)
{
    if (error.ee_origin == SO_EE_ORIGIN_ICMP)
        return error.ee_type == kIcmpTimeExceeded || error.ee_type == kIcmpDestinationUnreachable;
    if (error.ee_origin == SO_EE_ORIGIN_ICMP6)
        return error.ee_type == kIcmpv6TimeExceeded || error.ee_type == kIcmpv6DestinationUnreachable;
    return false;
}

bool IsErrorOfFamily(const cmsghdr& control, IpFamily family)
{
    return family == IpFamily::IPv6 ? control.cmsg_level == SOL_IPV6 && control.cmsg_type == IPV6_RECVERR
                                    : control.cmsg_level == SOL_IP && control.cmsg_type == IP_RECVERR;
}

// The sender of a report from the control messages of an error-queue read: the
// offender's socket address follows the extended error.
std::optional<IpAddress> ReportSender(msghdr& message, IpFamily family)
{
    for (cmsghdr* control = CMSG_FIRSTHDR(&message); control != nullptr; control = CMSG_NXTHDR(&message, control)) {
        if (!IsErrorOfFamily(*control, family) || control->cmsg_len < CMSG_LEN(sizeof(sock_extended_err)))
            continue;
        sock_extended_err error{};
        std::memcpy(&error, CMSG_DATA(control), sizeof error);
        sockaddr_storage offender{};
        const std::size_t offenderSize = std::min(control->cmsg_len - CMSG_LEN(sizeof error), sizeof offender);
        std::memcpy(&offender, CMSG_DATA(control) + sizeof error, offenderSize);
        const auto sender =
            IpAddress::FromSockAddr(reinterpret_cast<const sockaddr*>(&offender), static_cast<socklen_t>(offenderSize));
        if (IsReportThatCounts(error) && sender && sender->Family() == family)
            return sender;
    }
    return std::nullopt;
}

// The address of a socket address when it is of the handle's family.
std::optional<IpAddress> AddressOfFamily(const sockaddr_storage& from, socklen_t size, IpFamily family)
{
    const auto sender = IpAddress::FromSockAddr(reinterpret_cast<const sockaddr*>(&from), size);
    if (sender && sender->Family() == family)
        return sender;
    return std::nullopt;
}

} // namespace

EchoHandleLinux::EchoHandleLinux(IpFamily family, EchoSocketKind kind, UniqueFd socket, std::uint16_t identifier,
                                 std::uint16_t firstSequence, std::shared_ptr<const ShutdownSignal> shutdown,
                                 std::shared_ptr<const ShutdownSignal> runWake)
    : m_family(family), m_kind(kind), m_socket(std::move(socket)), m_identifier(identifier),
      m_nextSequence(firstSequence), m_shutdown(std::move(shutdown)), m_runWake(std::move(runWake))
{
    m_outstanding.reserve(kMaxOutstanding);
}

std::optional<std::uint16_t> EchoHandleLinux::SendRequest(const IpAddress& destination,
                                                          std::span<const std::uint8_t> data,
                                                          std::optional<std::uint8_t> ttl)
{
    if (destination.Family() != m_family || data.size() > kMaxEchoDataSize || IsWoken() || !SetTimeToLive(ttl))
        return std::nullopt;
    TakeWaitingAnswers();
    const EchoProbe probe{destination, m_identifier, m_nextSequence++};
    const auto sentAt = Clock::now();
    if (!SendMessage(probe, data))
        return std::nullopt;
    Remember(probe, sentAt);
    return probe.sequence;
}

bool EchoHandleLinux::IsWoken() const
{
    return m_shutdown->IsRaised() || (m_runWake && m_runWake->IsRaised());
}

// Every request sets its own Ttl (the hop limit over IPv6); none restores the
// system's default (-1).
bool EchoHandleLinux::SetTimeToLive(std::optional<std::uint8_t> ttl)
{
    const int value = ttl ? int{*ttl} : -1;
    if (m_family == IpFamily::IPv6)
        return ::setsockopt(m_socket.Get(), SOL_IPV6, IPV6_UNICAST_HOPS, &value, sizeof value) == 0;
    return ::setsockopt(m_socket.Get(), SOL_IP, IP_TTL, &value, sizeof value) == 0;
}

// On a datagram socket the kernel puts its own identifier and checksum in. A report
// that arrived for an earlier request leaves a socket error that fails the next send
// once (EHOSTUNREACH and the like) while the report itself waits in the error queue:
// the send is then made again, a few times at most.
bool EchoHandleLinux::SendMessage(const EchoProbe& probe, std::span<const std::uint8_t> data)
{
    const auto request = BuildEchoRequest(m_family, probe.identifier, probe.sequence, data);
    sockaddr_storage to{};
    const socklen_t toSize = probe.destination.ToSockAddr(0, to);
    for (int attempt = 0; attempt < kMaxSendAttempts; ++attempt) {
        const auto sent =
            ::sendto(m_socket.Get(), request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to), toSize);
        if (sent == static_cast<ssize_t>(request.size()))
            return true;
        if (sent >= 0 || errno == EINVAL || errno == EMSGSIZE)
            return false;
    }
    return false;
}

void EchoHandleLinux::Remember(const EchoProbe& probe, Clock::time_point sentAt)
{
    if (m_outstanding.size() == kMaxOutstanding)
        m_outstanding.erase(m_outstanding.begin());
    m_outstanding.push_back({probe, sentAt});
}

std::optional<EchoAnswer> EchoHandleLinux::Take(std::size_t index, const IpAddress& sender)
{
    const Outstanding request = m_outstanding[index];
    m_outstanding.erase(m_outstanding.begin() + static_cast<std::ptrdiff_t>(index));
    const auto roundTrip = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - request.sentAt);
    return EchoAnswer{request.probe.sequence, sender, std::max(roundTrip, std::chrono::microseconds{0})};
}

// The deadline is fixed; the wait is recomputed from it after every wake-up, so stray
// packets cannot stretch it. An absent run wake or extra descriptor holds -1, which
// poll skips.
std::optional<EchoAnswer> EchoHandleLinux::AwaitAnswer(Clock::time_point deadline, int alsoWatch)
{
    for (;;) {
        const auto now = Clock::now();
        if (now >= deadline || IsWoken())
            return std::nullopt;
        if (!m_taken.empty()) {
            const EchoAnswer answer = m_taken.front();
            m_taken.pop_front();
            return answer;
        }
        if (const auto answer = ReadWaitingAnswers())
            return answer;
        pollfd watches[4] = {{m_socket.Get(), POLLIN, 0},
                             {m_shutdown->PollDescriptor(), POLLIN, 0},
                             {m_runWake ? m_runWake->PollDescriptor() : -1, POLLIN, 0},
                             {alsoWatch, POLLIN, 0}};
        const int ready = ::poll(watches, 4, MillisecondsUntil(now, deadline));
        if (ready < 0 && errno != EINTR)
            return std::nullopt;
        if (watches[1].revents != 0 || watches[2].revents != 0 || watches[3].revents != 0)
            return std::nullopt;
    }
}

std::optional<EchoAnswer> EchoHandleLinux::ReadWaitingAnswers()
{
    for (int read = 0; read < kMaxReadsPerWake; ++read) {
        bool drained = false;
        const auto answer = ReadOne(drained);
        if (answer || drained)
            return answer;
    }
    return std::nullopt;
}

// A raw socket sees every echo reply of the host: what waits in it before a send is
// read, its answers kept and the rest dropped, so that a full receive queue cannot
// drop the answer to come.
void EchoHandleLinux::TakeWaitingAnswers()
{
    for (int read = 0; read < kMaxReadsPerWake; ++read) {
        bool drained = false;
        if (const auto answer = ReadOne(drained); answer && m_taken.size() < kMaxOutstanding)
            m_taken.push_back(*answer);
        if (drained)
            return;
    }
}

std::optional<EchoAnswer> EchoHandleLinux::ReadOne(bool& drained)
{
    return m_kind == EchoSocketKind::Raw ? ReadRawPacket(drained) : ReadDatagramMessage(drained);
}

std::optional<EchoAnswer> EchoHandleLinux::ReadRawPacket(bool& drained)
{
    sockaddr_storage from{};
    socklen_t fromSize = sizeof from;
    const auto received = ::recvfrom(m_socket.Get(), m_receiveBuffer.data(), m_receiveBuffer.size(), MSG_DONTWAIT,
                                     reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (received < 0) {
        drained = errno != EINTR;
        return std::nullopt;
    }
    const std::span<const std::uint8_t> packet(m_receiveBuffer.data(), static_cast<std::size_t>(received));
    const auto sender = AddressOfFamily(from, fromSize, m_family);
    for (std::size_t i = 0; sender && i < m_outstanding.size(); ++i) {
        if (RawReadAnswersProbe(packet, m_outstanding[i].probe))
            return Take(i, *sender);
    }
    return std::nullopt;
}

// A pending ICMP error makes a plain read fail once (EHOSTUNREACH and the like): that
// only says the error queue has something, so it is read on the next pass.
std::optional<EchoAnswer> EchoHandleLinux::ReadDatagramMessage(bool& drained)
{
    if (const auto answer = ReadErrorQueue())
        return answer;
    sockaddr_storage from{};
    socklen_t fromSize = sizeof from;
    const auto received = ::recvfrom(m_socket.Get(), m_receiveBuffer.data(), m_receiveBuffer.size(), MSG_DONTWAIT,
                                     reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (received < 0) {
        drained = errno == EAGAIN || errno == EWOULDBLOCK;
        return std::nullopt;
    }
    const std::span<const std::uint8_t> message(m_receiveBuffer.data(), static_cast<std::size_t>(received));
    const auto sender = AddressOfFamily(from, fromSize, m_family);
    for (std::size_t i = 0; sender && i < m_outstanding.size(); ++i) {
        if (DatagramMessageAnswersProbe(message, m_family, m_outstanding[i].probe.sequence))
            return Take(i, *sender);
    }
    return std::nullopt;
}

std::optional<EchoAnswer> EchoHandleLinux::ReadErrorQueue()
{
    for (int read = 0; read < kMaxReadsPerWake; ++read) {
        sockaddr_storage quotedDestination{};
        iovec payload{m_receiveBuffer.data(), m_receiveBuffer.size()};
        alignas(cmsghdr) std::uint8_t control[CMSG_SPACE(sizeof(sock_extended_err) + sizeof(sockaddr_in6))];
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
        const auto destination = AddressOfFamily(quotedDestination, message.msg_namelen, m_family);
        const auto reporter = ReportSender(message, m_family);
        if ((message.msg_flags & MSG_CTRUNC) != 0 || !destination || !reporter)
            continue;
        for (std::size_t i = 0; i < m_outstanding.size(); ++i) {
            const EchoProbe& probe = m_outstanding[i].probe;
            if (probe.destination == *destination && QuotedRequestMatches(quoted, m_family, probe.sequence))
                return Take(i, *reporter);
        }
    }
    return std::nullopt;
}

} // namespace netsonde::echo
