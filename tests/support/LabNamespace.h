// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sockets of the test's own inside one of the namespace lab's network namespaces:
// only a helper thread enters the namespace, and the socket stays there.

#include <QByteArray>
#include <QString>

#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <thread>

namespace netsonde::test {

inline sockaddr_storage Ipv4SocketAddress(std::uint32_t address, std::uint16_t port)
{
    sockaddr_storage storage{};
    auto& local = reinterpret_cast<sockaddr_in&>(storage);
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = address;
    return storage;
}

// Every IPv6 address of the namespace.
inline sockaddr_storage AnyIpv6SocketAddress(std::uint16_t port)
{
    sockaddr_storage storage{};
    auto& local = reinterpret_cast<sockaddr_in6&>(storage);
    local.sin6_family = AF_INET6;
    local.sin6_port = htons(port);
    local.sin6_addr = in6addr_any;
    return storage;
}

// A socket of the given type (SOCK_NONBLOCK allowed) and protocol bound to the
// local address inside the named network namespace, listening when it is a
// stream socket (an IPv6 one takes IPv6 only); -1 when it cannot be made.
inline int BindInsideNamespace(const QString& nameSpace, int type, const sockaddr_storage& local, int protocol = 0)
{
    int fd = -1;
    std::thread([&] {
        const int ns = ::open(("/run/netns/" + nameSpace.toUtf8()).constData(), O_RDONLY | O_CLOEXEC);
        const bool entered = ns >= 0 && ::setns(ns, CLONE_NEWNET) == 0; // this thread only
        ::close(ns);
        fd = entered ? ::socket(local.ss_family, type | SOCK_CLOEXEC, protocol) : -1;
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (local.ss_family == AF_INET6)
            ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
        const socklen_t size = local.ss_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
        if (fd >= 0
            && (::bind(fd, reinterpret_cast<const sockaddr*>(&local), size) != 0
                || ((type & ~SOCK_NONBLOCK) == SOCK_STREAM && ::listen(fd, 4) != 0))) {
            ::close(fd);
            fd = -1;
        }
    }).join();
    return fd;
}

inline int BindInsideNamespace(const QString& nameSpace, int type, std::uint32_t address, std::uint16_t port)
{
    return BindInsideNamespace(nameSpace, type, Ipv4SocketAddress(address, port));
}

} // namespace netsonde::test
