// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A TCP server of the test's own on a fixed port of the namespace lab's
// destination. The test drives it step by step: it accepts, reads what the
// client sent, and sends chunks that the client's kernel has fully received
// (and acknowledged) before the test lets the client's event loop run again,
// so each chunk is read by the client in one piece.

#include "netns/LabEnvironment.h"

#include <QByteArray>
#include <QDir>
#include <QDeadlineTimer>
#include <QString>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <thread>

namespace netsonde::test {

class CLabServer {
public:
    // Listens on address:port inside the named network namespace.
    CLabServer(const QString& nameSpace, std::uint32_t address, std::uint16_t port)
        : CLabServer(nameSpace, QString::fromLatin1(::inet_ntoa(in_addr{address})), port)
    {
    }
    // The address as IPv4 or IPv6 text.
    CLabServer(const QString& nameSpace, const QString& address, std::uint16_t port)
    {
        // Only the helper thread enters the namespace; the socket stays there.
        std::thread([&] { m_listenFd = ListenInside(nameSpace, address, port); }).join();
    }
    ~CLabServer()
    {
        CloseConnection();
        if (m_listenFd >= 0)
            ::close(m_listenFd);
    }
    CLabServer(const CLabServer&) = delete;
    CLabServer& operator=(const CLabServer&) = delete;

    bool IsListening() const { return m_listenFd >= 0; }

    // Takes a waiting connection; false while none waits.
    bool Accept()
    {
        if (m_fd >= 0)
            return true;
        m_fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        return m_fd >= 0;
    }

    // Everything the client has sent so far.
    QByteArray Received()
    {
        char buffer[4096];
        qsizetype n = 0;
        while (m_fd >= 0 && (n = ::recv(m_fd, buffer, sizeof buffer, 0)) > 0)
            m_received.append(buffer, n);
        if (n == 0)
            m_bPeerClosed = true;
        return m_received;
    }

    // Whether the client has closed its side.
    bool PeerClosed()
    {
        Received();
        return m_bPeerClosed;
    }

    // Sends the bytes and returns once the client's kernel holds them all.
    bool Deliver(const QByteArray& bytes)
    {
        qsizetype done = 0;
        const QDeadlineTimer deadline(10000);
        while (done < bytes.size() && !deadline.hasExpired()) {
            const auto n = ::send(m_fd, bytes.constData() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n > 0)
                done += n;
            else if (errno != EAGAIN)
                return false;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return done == bytes.size() && WaitUntilAcknowledged();
    }

    // Closes the sending side; returns once the client's kernel has seen it.
    bool Finish()
    {
        if (::shutdown(m_fd, SHUT_WR) != 0)
            return false;
        return WaitUntilAcknowledged();
    }

    void CloseConnection()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    static int ListenInside(const QString& nameSpace, const QString& address, std::uint16_t port)
    {
        const QByteArray path = "/run/netns/" + nameSpace.toUtf8();
        const int nsFd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (nsFd < 0)
            return -1;
        const bool entered = ::setns(nsFd, CLONE_NEWNET) == 0;
        ::close(nsFd);
        if (!entered)
            return -1;
        // A numeric IPv4 or IPv6 address.
        addrinfo hints{};
        hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* local = nullptr;
        if (::getaddrinfo(address.toLatin1().constData(), QByteArray::number(port).constData(), &hints, &local) != 0)
            return -1;
        const int fd = ::socket(local->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        const bool listening = fd >= 0 && ::bind(fd, local->ai_addr, local->ai_addrlen) == 0 && ::listen(fd, 4) == 0;
        ::freeaddrinfo(local);
        if (!listening && fd >= 0)
            ::close(fd);
        return listening ? fd : -1;
    }

    bool WaitUntilAcknowledged() const
    {
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            // Bytes (and the FIN) sent or waiting but not yet acknowledged.
            int pending = 0;
            if (::ioctl(m_fd, SIOCOUTQ, &pending) != 0)
                return false;
            if (pending == 0)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    int m_listenFd = -1;
    int m_fd = -1;
    QByteArray m_received;
    bool m_bPeerClosed = false;
};

// Bytes waiting in this process's socket connected to the destination's
// port, found among the open files; -1 when there is no such socket.
inline int UnreadBytesFrom(std::uint16_t port)
{
    for (const QString& name : QDir("/proc/self/fd").entryList(QDir::Files | QDir::System)) {
        const int fd = name.toInt();
        sockaddr_in peer{};
        socklen_t size = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0 || peer.sin_family != AF_INET
            || peer.sin_port != htons(port) || peer.sin_addr.s_addr != LabAddress("NETSONDE_LAB_DESTINATION"))
            continue;
        int unread = 0;
        return ::ioctl(fd, FIONREAD, &unread) == 0 ? unread : -1;
    }
    return -1;
}

} // namespace netsonde::test
