// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sockets of the test's own inside one of the namespace lab's network namespaces:
// only a helper thread enters the namespace, and the socket stays there.

#include "platform/net/IpAddress.h"

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

// A socket of the given type (SOCK_NONBLOCK allowed) bound to the address and
// port inside the named network namespace, listening when it is a stream socket
// (an IPv6 one takes IPv6 only); -1 when it cannot be made.
inline int BindInsideNamespace(const QString& nameSpace, int type, const IpAddress& address, std::uint16_t port)
{
    sockaddr_storage local{};
    const socklen_t size = address.ToSockAddr(port, local);
    int fd = -1;
    std::thread([&] {
        const int ns = ::open(("/run/netns/" + nameSpace.toUtf8()).constData(), O_RDONLY | O_CLOEXEC);
        const bool entered = ns >= 0 && ::setns(ns, CLONE_NEWNET) == 0; // this thread only
        ::close(ns);
        fd = entered ? ::socket(local.ss_family, type | SOCK_CLOEXEC, 0) : -1;
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (local.ss_family == AF_INET6)
            ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
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
    return BindInsideNamespace(nameSpace, type, IpAddress::FromIPv4(address), port);
}

} // namespace netsonde::test
