// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Servers of the test's own that misbehave on purpose. Their sockets are
// made inside one of the namespace lab's network namespaces (only a helper
// thread enters it) and served by a thread of their own, so a server goes
// on sending while the window's event loop runs, as a real peer does.

#include "support/LabNamespace.h"

#include <QByteArray>
#include <QString>

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

namespace netsonde::test {

// Waits up to timeoutMs for the descriptor to be readable.
inline bool WaitReadable(int fd, int timeoutMs)
{
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs) == 1;
}

// A TCP server, on address:port and on the port of every IPv6 address of the
// namespace, that takes one connection after another and hands each to
// the test's behaviour on the server's thread. The behaviour gets the
// connection's descriptor (blocking), its number from 0 and the stop flag,
// which it checks between its steps; the server closes the connection
// after it.
class CThreadedTcpServer {
public:
    using Behaviour = std::function<void(int fd, int connection, const std::atomic<bool>& stop)>;

    CThreadedTcpServer(const QString& nameSpace, std::uint32_t address, std::uint16_t port, Behaviour behaviour)
        : m_listenFds{BindInsideNamespace(nameSpace, SOCK_STREAM, address, port),
                      BindInsideNamespace(nameSpace, SOCK_STREAM, AnyIpv6SocketAddress(port))}
        , m_behaviour(std::move(behaviour))
    {
        if (IsListening())
            m_thread = std::thread([this] { Serve(); });
    }
    ~CThreadedTcpServer()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        for (const int fd : m_listenFds) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    CThreadedTcpServer(const CThreadedTcpServer&) = delete;
    CThreadedTcpServer& operator=(const CThreadedTcpServer&) = delete;

    bool IsListening() const { return m_listenFds[0] >= 0 && m_listenFds[1] >= 0; }
    int Connections() const { return m_connections; }

private:
    void Serve()
    {
        while (!m_stop) {
            const int fd = AcceptWaiting(20);
            if (fd < 0)
                continue;
            // A blocked send wakes up now and then to see the stop flag.
            const timeval wake{0, 100000};
            ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wake, sizeof wake);
            m_behaviour(fd, m_connections, m_stop);
            ::close(fd);
            ++m_connections;
        }
    }

    // A connection waiting on either listening socket, waiting up to timeoutMs; -1 when none.
    int AcceptWaiting(int timeoutMs) const
    {
        pollfd entries[2] = {{m_listenFds[0], POLLIN, 0}, {m_listenFds[1], POLLIN, 0}};
        if (::poll(entries, 2, timeoutMs) <= 0)
            return -1;
        const int listenFd = (entries[0].revents & POLLIN) != 0 ? m_listenFds[0] : m_listenFds[1];
        return ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    }

    int m_listenFds[2];
    Behaviour m_behaviour;
    std::atomic<bool> m_stop = false;
    std::atomic<int> m_connections = 0;
    std::thread m_thread;
};

// Reads what the client sent until its request line ends (CR LF) or a
// second passes; Quote Of The Day clients send nothing.
inline QByteArray ReadRequestLine(int fd)
{
    QByteArray request;
    char buffer[512];
    while (!request.endsWith("\r\n") && WaitReadable(fd, 1000)) {
        const auto n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        request.append(buffer, n);
    }
    return request;
}

// Sends all bytes unless the client goes away or the test stops; the
// number of bytes that left.
inline qsizetype SendAll(int fd, QByteArrayView bytes, const std::atomic<bool>& stop)
{
    qsizetype done = 0;
    while (done < bytes.size() && !stop) {
        const auto n = ::send(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done), MSG_NOSIGNAL);
        if (n > 0)
            done += n;
        else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            break;
    }
    return done;
}

} // namespace netsonde::test
