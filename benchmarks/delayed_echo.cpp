// SPDX-License-Identifier: GPL-3.0-or-later
// Answers echo requests, IPv4 and IPv6, in one of the namespace lab's network
// namespaces after a chosen delay, standing in for a slow link (this kernel has
// no netem). The kernel there ignores echo requests while it runs. Each reply
// leaves from the address its request was sent to. Runs until its standard
// input closes; it writes "answering" once it does. The benchmarks and the
// report-mode trace tests both use it.
//
// Usage: lab_delayed_echo NAMESPACE DELAY_MS   (inside the lab, as root)

#include "platform/echo/EchoPacket.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <span>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace netsonde::echo;

struct PendingReply {
    Clock::time_point due;
    int socket = -1;
    sockaddr_storage to{};
    socklen_t toSize = 0;
    std::vector<std::uint8_t> control; // the request's destination as packet info
    std::vector<std::uint8_t> icmp;
};

bool SetKernelEchoIgnored(const std::string& nameSpace, bool ignored)
{
    const std::string value = ignored ? "1" : "0";
    const std::string command = "ip netns exec '" + nameSpace + "' sysctl -q -w net.ipv4.icmp_echo_ignore_all=" + value
                                + " net.ipv6.icmp.echo_ignore_all=" + value;
    return std::system(command.c_str()) == 0;
}

bool EnterNamespace(const std::string& nameSpace)
{
    const int fd = ::open(("/run/netns/" + nameSpace).c_str(), O_RDONLY | O_CLOEXEC);
    const bool entered = fd >= 0 && ::setns(fd, CLONE_NEWNET) == 0;
    if (fd >= 0)
        ::close(fd);
    return entered;
}

// A raw socket of the family that tells the destination address of what it reads.
int RawIcmpSocket(bool ipv6)
{
    const int fd = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_RAW | SOCK_CLOEXEC, ipv6 ? IPPROTO_ICMPV6 : IPPROTO_ICMP);
    const int on = 1;
    if (fd >= 0
        && ::setsockopt(fd, ipv6 ? IPPROTO_IPV6 : IPPROTO_IP, ipv6 ? IPV6_RECVPKTINFO : IP_PKTINFO, &on, sizeof on)
               != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The ICMP message of what a raw socket read: IPv4's come after their IP header,
// IPv6's alone. Empty unless it is an echo request.
std::span<const std::uint8_t> EchoRequestIn(std::span<const std::uint8_t> read, bool ipv6)
{
    const std::size_t headerSize = ipv6 || read.empty() ? 0 : (read[0] & 0x0F) * 4u;
    if ((!ipv6 && headerSize < 20) || read.size() < headerSize + kIcmpHeaderSize)
        return {};
    const auto icmp = read.subspan(headerSize);
    return icmp[0] == (ipv6 ? kIcmpv6EchoRequest : kIcmpEchoRequest) ? icmp : std::span<const std::uint8_t>{};
}

// An echo request read from the socket becomes its reply, due `delay` after its
// arrival; anything else is dropped. The kernel fills in an ICMPv6 checksum.
void Receive(int socket, bool ipv6, std::chrono::milliseconds delay, std::deque<PendingReply>& pending)
{
    std::uint8_t packet[2048];
    PendingReply reply{Clock::now() + delay, socket, {}, sizeof(sockaddr_storage), std::vector<std::uint8_t>(128), {}};
    iovec data{packet, sizeof packet};
    msghdr message{&reply.to, reply.toSize, &data, 1, reply.control.data(), reply.control.size(), 0};
    const auto size = ::recvmsg(socket, &message, MSG_DONTWAIT);
    const auto icmp = EchoRequestIn(std::span<const std::uint8_t>(packet, size > 0 ? std::size_t(size) : 0), ipv6);
    if (icmp.empty() || (message.msg_flags & MSG_CTRUNC) != 0)
        return;
    reply.toSize = message.msg_namelen;
    reply.control.resize(message.msg_controllen);
    reply.icmp.assign(icmp.begin(), icmp.end());
    reply.icmp[0] = ipv6 ? kIcmpv6EchoReply : kIcmpEchoReply;
    reply.icmp[2] = reply.icmp[3] = 0;
    const std::uint16_t sum = ipv6 ? 0 : InternetChecksum(reply.icmp);
    reply.icmp[2] = static_cast<std::uint8_t>(sum >> 8);
    reply.icmp[3] = static_cast<std::uint8_t>(sum & 0xFF);
    pending.push_back(std::move(reply));
}

// Sends the reply from the address its request came to: the packet info read
// with the request names it (and, for IPv4, as the address to send from).
void Send(PendingReply& reply)
{
    iovec data{reply.icmp.data(), reply.icmp.size()};
    msghdr message{&reply.to, reply.toSize, &data, 1, reply.control.data(), reply.control.size(), 0};
    for (cmsghdr* info = CMSG_FIRSTHDR(&message); info; info = CMSG_NXTHDR(&message, info)) {
        if (info->cmsg_level == IPPROTO_IP && info->cmsg_type == IP_PKTINFO) {
            auto* packetInfo = reinterpret_cast<in_pktinfo*>(CMSG_DATA(info));
            packetInfo->ipi_spec_dst = packetInfo->ipi_addr;
            packetInfo->ipi_ifindex = 0;
        }
    }
    ::sendmsg(reply.socket, &message, 0);
}

int MillisecondsUntilFirst(const std::deque<PendingReply>& pending)
{
    if (pending.empty())
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(pending.front().due - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

void ServeUntilInputCloses(int socket, int socket6, std::chrono::milliseconds delay)
{
    std::deque<PendingReply> pending;
    for (;;) {
        pollfd watches[3] = {{socket, POLLIN, 0}, {socket6, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        if (::poll(watches, 3, MillisecondsUntilFirst(pending)) < 0 || watches[2].revents != 0)
            return;
        if (watches[0].revents != 0)
            Receive(socket, false, delay, pending);
        if (watches[1].revents != 0)
            Receive(socket6, true, delay, pending);
        for (; !pending.empty() && pending.front().due <= Clock::now(); pending.pop_front())
            Send(pending.front());
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: lab_delayed_echo NAMESPACE DELAY_MS (inside the namespace lab)\n");
        return 2;
    }
    const std::string nameSpace = argv[1];
    const bool entered = EnterNamespace(nameSpace);
    const int socket = entered ? RawIcmpSocket(false) : -1;
    const int socket6 = entered ? RawIcmpSocket(true) : -1;
    if (socket < 0 || socket6 < 0 || !SetKernelEchoIgnored(nameSpace, true)) {
        std::fprintf(stderr, "lab_delayed_echo: cannot answer in %s\n", nameSpace.c_str());
        return 1;
    }
    std::puts("answering");
    std::fflush(stdout);
    ServeUntilInputCloses(socket, socket6, std::chrono::milliseconds(std::atoi(argv[2])));
    SetKernelEchoIgnored(nameSpace, false);
    ::close(socket);
    ::close(socket6);
    return 0;
}
