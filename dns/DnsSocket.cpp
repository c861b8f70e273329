// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsSocket.h"

#include "platform/NonBlockingSocket.h"

#include <QSocketNotifier>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace netsonde {

namespace {

// The port of an AF_INET or AF_INET6 sender, host byte order; 0 otherwise.
std::uint16_t SenderPort(const sockaddr_storage& sender)
{
    if (sender.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(sender).sin6_port);
    if (sender.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(sender).sin_port);
    return 0;
}

} // namespace

std::unique_ptr<DnsSocket> DnsSocket::Create(IpFamily family)
{
    const int fd = ::socket(SocketFamilyOf(family), SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    // ICMP errors about our datagrams (port or host unreachable) reach an
    // unconnected socket only with this option.
    const int on = 1;
    if (family == IpFamily::IPv6)
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_RECVERR, &on, sizeof on);
    else
        ::setsockopt(fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
    return std::unique_ptr<DnsSocket>(new DnsSocket(fd, family));
}

DnsSocket::DnsSocket(int fd, IpFamily family) : m_fd(fd), m_family(family) {}

DnsSocket::~DnsSocket()
{
    // The notifiers go before the descriptor they watch.
    m_readNotifier.reset();
    m_writeNotifier.reset();
    ::close(m_fd);
}

void DnsSocket::Select()
{
    m_readNotifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Write);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &DnsSocket::OnReadable);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &DnsSocket::OnWritable);
}

void DnsSocket::Close()
{
    m_closed = true;
    if (m_readNotifier)
        m_readNotifier->setEnabled(false);
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
}

void DnsSocket::OnReadable()
{
    if (!m_closed)
        Q_EMIT readyToReceive(TakePendingSocketError(m_fd));
}

void DnsSocket::OnWritable()
{
    if (m_closed)
        return;
    m_writeNotifier->setEnabled(false);
    Q_EMIT readyToSend(TakePendingSocketError(m_fd));
}

int DnsSocket::SendTo(QByteArrayView datagram, const IpAddress& address, std::uint16_t port)
{
    sockaddr_storage destination{};
    const socklen_t destinationSize = address.ToSockAddr(port, destination);
    const auto sent = ::sendto(m_fd, datagram.data(), static_cast<size_t>(datagram.size()), MSG_NOSIGNAL,
                               reinterpret_cast<const sockaddr*>(&destination), destinationSize);
    if (sent >= 0)
        return 0;
    const int error = errno;
    if ((error == EAGAIN || error == EWOULDBLOCK) && m_writeNotifier)
        m_writeNotifier->setEnabled(true);
    return error;
}

DnsSocket::Received DnsSocket::Receive(std::span<char> buffer)
{
    // MSG_TRUNC gives the datagram's real length, so a cut one is seen.
    sockaddr_storage sender{};
    socklen_t senderSize = sizeof sender;
    const auto length =
        ::recvfrom(m_fd, buffer.data(), buffer.size(), MSG_TRUNC, reinterpret_cast<sockaddr*>(&sender), &senderSize);
    if (length < 0)
        return {0, errno, {}, 0};
    const auto* senderAddress = reinterpret_cast<const sockaddr*>(&sender);
    const IpAddress from = IpAddress::FromSockAddr(senderAddress, senderSize).value_or(IpAddress());
    const std::uint16_t fromPort = SenderPort(sender);
    if (static_cast<std::size_t>(length) > buffer.size())
        return {0, EMSGSIZE, from, fromPort};
    return {static_cast<qsizetype>(length), 0, from, fromPort};
}

} // namespace netsonde
