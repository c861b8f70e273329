// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A TCP server of the test's own on a fixed port of the namespace lab's
// destination, over IPv4 and IPv6. The test drives it step by step: it accepts,
// reads what the client sent, and sends chunks that the client's kernel has fully
// received (and acknowledged) before the test lets the client's event loop run
// again, so each chunk is read by the client in one piece.

#include "netns/LabEnvironment.h"
#include "support/LabNamespace.h"

#include <QByteArray>
#include <QDir>
#include <QDeadlineTimer>
#include <QString>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>

namespace netsonde::test {

class CLabServer {
public:
    // Listens on address:port and on the port of every IPv6 address inside the
    // named network namespace.
    CLabServer(const QString& nameSpace, std::uint32_t address, std::uint16_t port)
        : m_listenFds{ListenInside(nameSpace, Ipv4SocketAddress(address, port)),
                      ListenInside(nameSpace, AnyIpv6SocketAddress(port))}
    {
    }
    ~CLabServer()
    {
        CloseConnection();
        for (const int fd : m_listenFds) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    CLabServer(const CLabServer&) = delete;
    CLabServer& operator=(const CLabServer&) = delete;

    bool IsListening() const { return m_listenFds[0] >= 0 && m_listenFds[1] >= 0; }

    // Takes a waiting connection of either family; false while none waits.
    bool Accept()
    {
        for (const int listenFd : m_listenFds) {
            if (m_fd < 0)
                m_fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        }
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

    // The address the client connected to, as text; empty before a connection.
    QString LocalAddress() const
    {
        sockaddr_storage local{};
        socklen_t size = sizeof local;
        char text[INET6_ADDRSTRLEN] = {};
        if (m_fd < 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &size) != 0)
            return {};
        const bool v6 = local.ss_family == AF_INET6;
        const void* address = v6 ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in6&>(local).sin6_addr)
                                  : &reinterpret_cast<const sockaddr_in&>(local).sin_addr;
        return QString::fromLatin1(::inet_ntop(local.ss_family, address, text, sizeof text));
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
    static int ListenInside(const QString& nameSpace, const sockaddr_storage& local)
    {
        const int fd = BindInsideNamespace(nameSpace, SOCK_STREAM, local);
        if (fd >= 0)
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        return fd;
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

    int m_listenFds[2];
    int m_fd = -1;
    QByteArray m_received;
    bool m_bPeerClosed = false;
};

inline QString LabText(const char* variable) { return QString::fromLocal8Bit(qgetenv(variable)); }
inline QString Destination() { return LabText("NETSONDE_LAB_DESTINATION"); }

// A server at the destination's IPv4 address and each of its IPv6 addresses.
inline std::unique_ptr<CLabServer> ServeAtDestination(std::uint16_t port)
{
    auto server = std::make_unique<CLabServer>(LabText("NETSONDE_LAB_NS_DESTINATION"),
                                               LabAddress("NETSONDE_LAB_DESTINATION"), port);
    if (!server->IsListening())
        qWarning("cannot listen on port %d of the lab's destination", port);
    return server;
}

// Whether the socket address is the destination's (of either family) at the port.
inline bool IsDestinationPort(const sockaddr_storage& peer, std::uint16_t port)
{
    if (peer.ss_family == AF_INET) {
        const auto& peer4 = reinterpret_cast<const sockaddr_in&>(peer);
        return peer4.sin_port == htons(port) && peer4.sin_addr.s_addr == LabAddress("NETSONDE_LAB_DESTINATION");
    }
    const auto& peer6 = reinterpret_cast<const sockaddr_in6&>(peer);
    const in6_addr destination = LabAddress6("NETSONDE_LAB_DESTINATION6");
    return peer.ss_family == AF_INET6 && peer6.sin6_port == htons(port)
        && std::memcmp(&peer6.sin6_addr, &destination, sizeof destination) == 0;
}

// Bytes waiting in this process's socket connected to the destination's
// port, found among the open files; -1 when there is no such socket.
inline int UnreadBytesFrom(std::uint16_t port)
{
    for (const QString& name : QDir("/proc/self/fd").entryList(QDir::Files | QDir::System)) {
        const int fd = name.toInt();
        sockaddr_storage peer{};
        socklen_t size = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0 || !IsDestinationPort(peer, port))
            continue;
        int unread = 0;
        return ::ioctl(fd, FIONREAD, &unread) == 0 ? unread : -1;
    }
    return -1;
}

} // namespace netsonde::test
