// SPDX-License-Identifier: GPL-3.0-or-later
// Answers echo requests in the lab's destination namespace after a chosen
// delay, standing in for a slow link (this kernel has no netem). The kernel
// there ignores echo requests while it runs. Runs until its standard input
// closes.
//
// Usage: bench_delayed_echo DELAY_MS   (inside the lab, as root)

#include "platform/echo/EchoPacket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct PendingReply {
    Clock::time_point due;
    sockaddr_in to{};
    std::vector<std::uint8_t> icmp;
};

bool SetKernelEchoIgnored(const std::string& nameSpace, bool ignored)
{
    const std::string command =
        "ip netns exec '" + nameSpace + "' sysctl -q -w net.ipv4.icmp_echo_ignore_all=" + (ignored ? "1" : "0");
    return std::system(command.c_str()) == 0;
}

int RawIcmpSocketIn(const std::string& nameSpace)
{
    const int fd = ::open(("/run/netns/" + nameSpace).c_str(), O_RDONLY | O_CLOEXEC);
    const bool entered = fd >= 0 && ::setns(fd, CLONE_NEWNET) == 0;
    if (fd >= 0)
        ::close(fd);
    return entered ? ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP) : -1;
}

// An echo request read from the raw socket becomes its reply, due `delay` after
// its arrival; anything else is dropped.
void Receive(int socket, std::chrono::milliseconds delay, std::deque<PendingReply>& pending)
{
    std::uint8_t packet[2048];
    PendingReply reply{Clock::now() + delay, {}, {}};
    socklen_t fromSize = sizeof reply.to;
    const auto size =
        ::recvfrom(socket, packet, sizeof packet, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&reply.to), &fromSize);
    const std::size_t headerSize = size < 20 ? 0 : (packet[0] & 0x0F) * 4u;
    if (headerSize < 20 || static_cast<std::size_t>(size) < headerSize + netsonde::echo::kIcmpHeaderSize
        || packet[headerSize] != netsonde::echo::kIcmpEchoRequest)
        return;
    reply.icmp.assign(packet + headerSize, packet + size);
    reply.icmp[0] = netsonde::echo::kIcmpEchoReply;
    reply.icmp[2] = reply.icmp[3] = 0;
    const std::uint16_t sum = netsonde::echo::InternetChecksum(reply.icmp);
    reply.icmp[2] = static_cast<std::uint8_t>(sum >> 8);
    reply.icmp[3] = static_cast<std::uint8_t>(sum & 0xFF);
    pending.push_back(std::move(reply));
}

int MillisecondsUntilFirst(const std::deque<PendingReply>& pending)
{
    if (pending.empty())
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(pending.front().due - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

void ServeUntilInputCloses(int socket, std::chrono::milliseconds delay)
{
    std::deque<PendingReply> pending;
    for (;;) {
        pollfd watches[2] = {{socket, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        if (::poll(watches, 2, MillisecondsUntilFirst(pending)) < 0 || watches[1].revents != 0)
            return;
        if (watches[0].revents != 0)
            Receive(socket, delay, pending);
        for (; !pending.empty() && pending.front().due <= Clock::now(); pending.pop_front())
            ::sendto(socket, pending.front().icmp.data(), pending.front().icmp.size(), 0,
                     reinterpret_cast<const sockaddr*>(&pending.front().to), sizeof(sockaddr_in));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    const char* destination = std::getenv("NETSONDE_LAB_NS_DESTINATION");
    if (argc != 2 || !destination) {
        std::fprintf(stderr, "usage: bench_delayed_echo DELAY_MS (inside the namespace lab)\n");
        return 2;
    }
    const int socket = RawIcmpSocketIn(destination);
    if (socket < 0 || !SetKernelEchoIgnored(destination, true)) {
        std::fprintf(stderr, "bench_delayed_echo: cannot answer in %s\n", destination);
        return 1;
    }
    ServeUntilInputCloses(socket, std::chrono::milliseconds(std::atoi(argv[1])));
    SetKernelEchoIgnored(destination, false);
    ::close(socket);
    return 0;
}
