// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A TCP server of the test's own on a port of one of the namespace lab's
// namespaces, over IPv4 and IPv6. The test drives it step by step: it accepts,
// reads what the client sent, and sends chunks that the client's kernel has
// fully received and acknowledged before the test lets the client's event loop
// run again, so each chunk is read in one piece.

#include "support/LabEnvironment.h"
#include "support/LabNamespace.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QHostAddress>
#include <QString>

#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>

#include <memory>

namespace netsonde::test {

// Sends the bytes unless the client goes away or the deadline passes; the
// number of bytes that left.
inline qsizetype SendAll(int fd, QByteArrayView bytes, QDeadlineTimer deadline)
{
    qsizetype done = 0;
    while (done < bytes.size() && !deadline.hasExpired()) {
        const auto n = ::send(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done), MSG_NOSIGNAL);
        pollfd writable{fd, POLLOUT, 0};
        if (n > 0)
            done += n;
        else if (errno != EAGAIN || ::poll(&writable, 1, 100) < 0)
            break;
    }
    return done;
}

class LabServer {
public:
    // Listens on address:port and on the port of every IPv6 address inside the
    // named network namespace.
    LabServer(const QString& nameSpace, std::uint32_t address, std::uint16_t port)
        : m_listenFds{BindInsideNamespace(nameSpace, SOCK_STREAM | SOCK_NONBLOCK, address, port),
                      BindInsideNamespace(nameSpace, SOCK_STREAM | SOCK_NONBLOCK, *ParseIpv6Literal("::"), port)}
    {
    }
    ~LabServer()
    {
        CloseConnection();
        for (const int fd : m_listenFds)
            ::close(fd);
    }
    LabServer(const LabServer&) = delete;
    LabServer& operator=(const LabServer&) = delete;

    bool IsListening() const { return m_listenFds[0] >= 0 && m_listenFds[1] >= 0; }
    // The accepted connection's descriptor; -1 before one.
    int Descriptor() const { return m_fd; }

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
        m_peerClosed = m_peerClosed || n == 0 || (n < 0 && errno != EAGAIN);
        return m_received;
    }

    // Whether the client has closed its side.
    bool PeerClosed()
    {
        Received();
        return m_peerClosed;
    }

    // Sends the bytes and returns once the client's kernel holds them all.
    bool Deliver(const QByteArray& bytes)
    {
        return SendAll(m_fd, bytes, QDeadlineTimer(10000)) == bytes.size() && WaitUntilAcknowledged();
    }

    // Closes the sending side; returns once the client's kernel has seen it.
    bool Finish() { return ::shutdown(m_fd, SHUT_WR) == 0 && WaitUntilAcknowledged(); }

    // The address the client connected to, as numeric text; empty before a connection.
    QString LocalAddress() const
    {
        sockaddr_storage local{};
        socklen_t size = sizeof local;
        const bool known = m_fd >= 0 && ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &size) == 0;
        return known ? QHostAddress(reinterpret_cast<const sockaddr*>(&local)).toString() : QString();
    }

    void CloseConnection()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    bool WaitUntilAcknowledged() const
    {
        const QDeadlineTimer deadline(10000);
        // Bytes (and the FIN) sent or waiting but not yet acknowledged.
        int pending = -1;
        while (::ioctl(m_fd, SIOCOUTQ, &pending) == 0 && pending > 0 && !deadline.hasExpired())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return pending == 0;
    }

    int m_listenFds[2];
    int m_fd = -1;
    QByteArray m_received;
    bool m_peerClosed = false;
};

inline QString Destination()
{
    return LabText("NETSONDE_LAB_DESTINATION");
}

// A server at the destination's IPv4 address and each of its IPv6 addresses.
inline std::unique_ptr<LabServer> ServeAtDestination(std::uint16_t port)
{
    auto server = std::make_unique<LabServer>(LabText("NETSONDE_LAB_NS_DESTINATION"),
                                              LabAddress("NETSONDE_LAB_DESTINATION"), port);
    if (!server->IsListening())
        qWarning("cannot listen on port %d of the lab's destination", port);
    return server;
}

// Bytes waiting in this process's socket connected to the destination's
// port (of either family), found among the open files; -1 when there is no
// such socket.
inline int UnreadBytesFrom(std::uint16_t port)
{
    const QList<QHostAddress> destination{QHostAddress(Destination()),
                                          QHostAddress(LabText("NETSONDE_LAB_DESTINATION6"))};
    for (const QString& name : QDir("/proc/self/fd").entryList(QDir::Files | QDir::System)) {
        sockaddr_storage peer{};
        socklen_t size = sizeof peer;
        int unread = 0;
        // sin_port and sin6_port lie at the same place.
        if (::getpeername(name.toInt(), reinterpret_cast<sockaddr*>(&peer), &size) == 0
            && ntohs(reinterpret_cast<const sockaddr_in&>(peer).sin_port) == port
            && destination.contains(QHostAddress(reinterpret_cast<const sockaddr*>(&peer))))
            return ::ioctl(name.toInt(), FIONREAD, &unread) == 0 ? unread : -1;
    }
    return -1;
}

} // namespace netsonde::test
