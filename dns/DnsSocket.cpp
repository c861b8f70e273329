// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsSocket.h"

#include <QSocketNotifier>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace netsonde {

std::unique_ptr<CDnsSocket> CDnsSocket::Create()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    // ICMP errors about our datagrams (port or host unreachable) reach an
    // unconnected socket only with this option.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
    return std::unique_ptr<CDnsSocket>(new CDnsSocket(fd));
}

CDnsSocket::CDnsSocket(int fd) : m_fd(fd) {}

CDnsSocket::~CDnsSocket()
{
    // The notifiers go before the descriptor they watch.
    m_readNotifier.reset();
    m_writeNotifier.reset();
    ::close(m_fd);
}

void CDnsSocket::Select(EventHandler handler)
{
    m_handler = std::move(handler);
    m_readNotifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Write);
    QObject::connect(m_readNotifier.get(), &QSocketNotifier::activated, m_readNotifier.get(),
                     [this] { OnActivated(Event::Read); });
    QObject::connect(m_writeNotifier.get(), &QSocketNotifier::activated, m_writeNotifier.get(),
                     [this] { OnActivated(Event::Write); });
}

void CDnsSocket::Close()
{
    m_handler = nullptr;
    if (m_readNotifier)
        m_readNotifier->setEnabled(false);
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
}

void CDnsSocket::OnActivated(Event event)
{
    if (!m_handler)
        return;
    if (event == Event::Write)
        m_writeNotifier->setEnabled(false);
    // The handler may close this socket: nothing of it is used afterwards.
    const EventHandler handler = m_handler;
    handler(event, TakePendingError());
}

int CDnsSocket::TakePendingError() const
{
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return errno;
    return error;
}

int CDnsSocket::SendTo(QByteArrayView datagram, std::uint32_t address, std::uint16_t port)
{
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = htons(port);
    destination.sin_addr.s_addr = address;
    const auto sent = ::sendto(m_fd, datagram.data(), static_cast<size_t>(datagram.size()), MSG_NOSIGNAL,
                               reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    if (sent >= 0)
        return 0;
    const int error = errno;
    if ((error == EAGAIN || error == EWOULDBLOCK) && m_writeNotifier)
        m_writeNotifier->setEnabled(true);
    return error;
}

CDnsSocket::Received CDnsSocket::Receive(std::span<char> buffer)
{
    // MSG_TRUNC gives the datagram's real length, so a cut one is seen.
    sockaddr_in sender{};
    socklen_t senderSize = sizeof sender;
    const auto length = ::recvfrom(m_fd, buffer.data(), buffer.size(), MSG_TRUNC,
                                   reinterpret_cast<sockaddr*>(&sender), &senderSize);
    if (length < 0)
        return {0, errno};
    const std::uint32_t fromAddress = sender.sin_addr.s_addr;
    const std::uint16_t fromPort = ntohs(sender.sin_port);
    if (static_cast<std::size_t>(length) > buffer.size())
        return {0, EMSGSIZE, fromAddress, fromPort};
    return {static_cast<qsizetype>(length), 0, fromAddress, fromPort};
}

} // namespace netsonde
