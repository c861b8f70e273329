// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NonBlockingSocket.h"

#include <QPointer>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>

namespace netsonde {

namespace {

IpAddress AnyAddress(IpFamily family)
{
    if (family == IpFamily::IPv6)
        return IpAddress::FromIPv6(std::array<std::uint8_t, kIpv6AddressBytes>{});
    return IpAddress::FromIPv4(htonl(INADDR_ANY));
}

} // namespace

NonBlockingSocket::NonBlockingSocket() = default;

NonBlockingSocket::~NonBlockingSocket()
{
    Close();
}

bool NonBlockingSocket::Create(IpFamily family)
{
    Close();
    m_fd = ::socket(SocketFamilyOf(family), SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        m_lastError = errno;
        return false;
    }
    sockaddr_storage local{};
    const socklen_t localSize = AnyAddress(family).ToSockAddr(0, local);
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&local), localSize) != 0) {
        m_lastError = errno;
        Close();
        return false;
    }
    return true;
}

bool NonBlockingSocket::AsyncSelect()
{
    if (m_fd < 0)
        return false;
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        m_lastError = errno;
        return false;
    }
    // Reads wait for the connect; the write event reports its completion.
    m_readNotifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    m_readNotifier->setEnabled(false);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &NonBlockingSocket::OnReadable);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &NonBlockingSocket::OnWritable);
    return true;
}

bool NonBlockingSocket::Connect(const IpAddress& address, std::uint16_t port)
{
    if (m_fd < 0 || !m_writeNotifier) {
        m_lastError = EBADF;
        return false;
    }
    sockaddr_storage remote{};
    const socklen_t remoteSize = address.ToSockAddr(port, remote);
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&remote), remoteSize) != 0 && errno != EINPROGRESS) {
        m_lastError = errno;
        return false;
    }
    m_connecting = true;
    m_writeNotifier->setEnabled(true);
    return true;
}

qsizetype NonBlockingSocket::Send(const char* data, qsizetype size)
{
    if (m_fd < 0) {
        m_lastError = ENOTCONN;
        return -1;
    }
    const qsizetype sent = Result(::send(m_fd, data, static_cast<size_t>(size), MSG_NOSIGNAL));
    // The rest goes out at the next write event.
    if (sent < 0 && m_lastError == kWouldBlock)
        m_writeNotifier->setEnabled(true);
    return sent;
}

qsizetype NonBlockingSocket::Receive(char* buffer, qsizetype size)
{
    if (m_fd < 0) {
        m_lastError = ENOTCONN;
        return -1;
    }
    return Result(::recv(m_fd, buffer, static_cast<size_t>(size), 0));
}

void NonBlockingSocket::Close()
{
    if (m_readNotifier)
        m_readNotifier->setEnabled(false);
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_connecting = false;
}

qsizetype NonBlockingSocket::Result(qsizetype result)
{
    if (result >= 0)
        return result;
    m_lastError = errno == EAGAIN ? kWouldBlock : errno;
    return -1;
}

void NonBlockingSocket::OnWritable()
{
    m_writeNotifier->setEnabled(false);
    if (m_connecting) {
        CompleteConnect();
        return;
    }
    Q_EMIT readyToSend();
}

// Writable while connecting means the connect has completed, well or not.
void NonBlockingSocket::CompleteConnect()
{
    m_connecting = false;
    const int error = TakePendingSocketError(m_fd);
    if (error == 0)
        m_readNotifier->setEnabled(true);
    const QPointer<NonBlockingSocket> alive(this);
    Q_EMIT connected(error);
    if (error == 0 && alive && IsOpen())
        Q_EMIT readyToSend();
}

void NonBlockingSocket::OnReadable()
{
    if (!PeerHasClosed()) {
        Q_EMIT readyToReceive();
        return;
    }
    m_readNotifier->setEnabled(false);
    Q_EMIT closed();
}

// The peer's orderly close, seen even while its last data still waits. A
// reset is not a close: the next read reports its error.
bool NonBlockingSocket::PeerHasClosed() const
{
    pollfd entry{m_fd, POLLIN | POLLRDHUP, 0};
    if (::poll(&entry, 1, 0) != 1)
        return false;
    return (entry.revents & POLLRDHUP) != 0 && (entry.revents & POLLERR) == 0;
}

int TakePendingSocketError(int fd)
{
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return errno;
    return error;
}

} // namespace netsonde
