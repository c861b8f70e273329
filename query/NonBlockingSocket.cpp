// SPDX-License-Identifier: GPL-3.0-or-later
#include "query/NonBlockingSocket.h"

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

CIpAddress AnyAddress(IpFamily family)
{
    if (family == IpFamily::IPv6)
        return CIpAddress::FromIPv6(std::array<std::uint8_t, kIpv6AddressBytes>{});
    return CIpAddress::FromIPv4(htonl(INADDR_ANY));
}

} // namespace

CNonBlockingSocket::CNonBlockingSocket() = default;

CNonBlockingSocket::~CNonBlockingSocket() { Close(); }

bool CNonBlockingSocket::Create(IpFamily family)
{
    Close();
    m_fd = ::socket(SocketFamilyOf(family), SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        m_nLastError = errno;
        return false;
    }
    sockaddr_storage local{};
    const socklen_t localSize = AnyAddress(family).ToSockAddr(0, local);
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&local), localSize) != 0) {
        m_nLastError = errno;
        Close();
        return false;
    }
    return true;
}

bool CNonBlockingSocket::AsyncSelect()
{
    if (m_fd < 0)
        return false;
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        m_nLastError = errno;
        return false;
    }
    // Reads wait for the connect; the write event reports its completion.
    m_readNotifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    m_readNotifier->setEnabled(false);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &CNonBlockingSocket::OnReadable);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &CNonBlockingSocket::OnWritable);
    return true;
}

bool CNonBlockingSocket::Connect(const CIpAddress& address, std::uint16_t port)
{
    if (m_fd < 0 || !m_writeNotifier) {
        m_nLastError = EBADF;
        return false;
    }
    sockaddr_storage remote{};
    const socklen_t remoteSize = address.ToSockAddr(port, remote);
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&remote), remoteSize) != 0
        && errno != EINPROGRESS) {
        m_nLastError = errno;
        return false;
    }
    m_bConnecting = true;
    m_writeNotifier->setEnabled(true);
    return true;
}

qsizetype CNonBlockingSocket::Send(const char* data, qsizetype size)
{
    if (m_fd < 0) {
        m_nLastError = ENOTCONN;
        return -1;
    }
    const qsizetype sent = Result(::send(m_fd, data, static_cast<size_t>(size), MSG_NOSIGNAL));
    // The rest goes out at the next write event.
    if (sent < 0 && m_nLastError == kWouldBlock)
        m_writeNotifier->setEnabled(true);
    return sent;
}

qsizetype CNonBlockingSocket::Receive(char* buffer, qsizetype size)
{
    if (m_fd < 0) {
        m_nLastError = ENOTCONN;
        return -1;
    }
    return Result(::recv(m_fd, buffer, static_cast<size_t>(size), 0));
}

void CNonBlockingSocket::Close()
{
    if (m_readNotifier)
        m_readNotifier->setEnabled(false);
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_bConnecting = false;
}

qsizetype CNonBlockingSocket::Result(qsizetype result)
{
    if (result >= 0)
        return result;
    m_nLastError = errno == EAGAIN ? kWouldBlock : errno;
    return -1;
}

void CNonBlockingSocket::OnWritable()
{
    m_writeNotifier->setEnabled(false);
    if (m_bConnecting) {
        CompleteConnect();
        return;
    }
    OnSend(0);
}

// Writable while connecting means the connect has completed, well or not.
void CNonBlockingSocket::CompleteConnect()
{
    m_bConnecting = false;
    const int error = PendingError();
    if (error == 0)
        m_readNotifier->setEnabled(true);
    const QPointer<CNonBlockingSocket> alive(this);
    OnConnect(error);
    if (error == 0 && alive && IsOpen())
        OnSend(0);
}

void CNonBlockingSocket::OnReadable()
{
    if (!PeerHasClosed()) {
        OnReceive(0);
        return;
    }
    m_readNotifier->setEnabled(false);
    OnClose(0);
}

// The peer's orderly close, seen even while its last data still waits. A
// reset is not a close: the next read reports its error.
bool CNonBlockingSocket::PeerHasClosed() const
{
    pollfd entry{m_fd, POLLIN | POLLRDHUP, 0};
    if (::poll(&entry, 1, 0) != 1)
        return false;
    return (entry.revents & POLLRDHUP) != 0 && (entry.revents & POLLERR) == 0;
}

int CNonBlockingSocket::PendingError() const
{
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return errno;
    return error;
}

} // namespace netsonde
