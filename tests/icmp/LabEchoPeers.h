// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Echo peers of the test's own inside the namespace lab, each on a thread of its
// own that enters the namespace it works in:
// - CDelayedEchoResponder answers every echo request reaching the destination
//   after a chosen delay (the destination's kernel is told to stay silent), as a
//   slow link would without a netem qdisc;
// - CEchoRequestFlood sends echo requests from the source to a host, like another
//   program on the same machine, with every sequence number under identifiers of
//   its own, so that each reply it draws is one that only it asked for.

#include "support/LabNamespace.h"

#include "platform/echo/EchoPacket.h"

#include <QString>

#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <thread>
#include <vector>

namespace netsonde::test {

namespace echopeers {

using Clock = std::chrono::steady_clock;

inline void SendIcmp(int socket, std::uint32_t to, std::vector<std::uint8_t> icmp)
{
    icmp[2] = icmp[3] = 0;
    const std::uint16_t sum = echo::InternetChecksum(icmp);
    icmp[2] = static_cast<std::uint8_t>(sum >> 8);
    icmp[3] = static_cast<std::uint8_t>(sum);
    sockaddr_in address{AF_INET, 0, {to}, {}};
    ::sendto(socket, icmp.data(), icmp.size(), 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

// The ICMP message of a received IPv4 packet when it is of `type`; empty otherwise.
inline std::vector<std::uint8_t> IcmpOfType(const std::uint8_t* packet, ssize_t size, std::uint8_t type)
{
    const std::size_t header = size > 0 ? (packet[0] & 0x0Fu) * 4u : 0;
    if (header < 20 || std::size_t(size) < header + echo::kIcmpHeaderSize || packet[header] != type)
        return {};
    return {packet + header, packet + size};
}

inline int MillisecondsUntil(Clock::time_point due)
{
    return int(std::max<Clock::rep>(0, std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now()).count()));
}

// Runs `work(socket, stopDescriptor)` with a raw ICMP socket on a thread inside a
// namespace; IsRunning() says whether the thread got there and opened the socket.
class CNamespaceThread {
public:
    template <typename Work>
    CNamespaceThread(const QString& ns, Work work) : m_stop(::eventfd(0, EFD_CLOEXEC))
    {
        m_thread = std::thread([this, ns, work] {
            const int socket = EnterNetworkNamespace(ns) ? ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP)
                                                         : -1;
            m_started = socket >= 0 ? 1 : -1;
            m_started.notify_all();
            if (socket < 0)
                return;
            work(socket, m_stop);
            ::close(socket);
        });
        m_started.wait(0);
    }
    ~CNamespaceThread()
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(m_stop, &one, sizeof one);
        m_thread.join();
        ::close(m_stop);
    }
    CNamespaceThread(const CNamespaceThread&) = delete;
    CNamespaceThread& operator=(const CNamespaceThread&) = delete;

    bool IsRunning() const { return m_started == 1; }

private:
    int m_stop;
    std::atomic<int> m_started{0};
    std::thread m_thread;
};

// Blocks until the socket has something, the stop descriptor is raised, or the
// time-out (ms, -1 for none) passes. False once stopped.
inline bool WaitForPacket(int socket, int stop, int timeoutMs, bool& readable)
{
    pollfd watches[2] = {{socket, POLLIN, 0}, {stop, POLLIN, 0}};
    readable = ::poll(watches, 2, timeoutMs) > 0 && watches[0].revents != 0;
    return watches[1].revents == 0;
}

} // namespace echopeers

class CDelayedEchoResponder {
public:
    // Runs in the destination namespace of the lab whose name is given; the kernel
    // there ignores echo requests while the responder lives.
    CDelayedEchoResponder(const QString& destinationNamespace, std::chrono::milliseconds delay)
        : m_namespace(destinationNamespace), m_delay(delay), m_ignoring(SetKernelEchoIgnored(true)),
          m_thread(m_namespace, [this](int socket, int stop) { Serve(socket, stop); })
    {
    }
    ~CDelayedEchoResponder() { SetKernelEchoIgnored(false); }

    bool IsRunning() const { return m_ignoring && m_thread.IsRunning(); }
    int Answered() const { return m_answered; }

private:
    struct Pending {
        echopeers::Clock::time_point due;
        std::uint32_t to = 0;
        std::vector<std::uint8_t> reply;
    };

    bool SetKernelEchoIgnored(bool ignored) const
    {
        const std::string command = "ip netns exec '" + m_namespace.toStdString()
            + "' sysctl -q -w net.ipv4.icmp_echo_ignore_all=" + (ignored ? "1" : "0");
        return std::system(command.c_str()) == 0;
    }

    // Each echo request becomes its reply, due `delay` after its arrival.
    void Serve(int socket, int stop)
    {
        std::deque<Pending> pending;
        bool readable = false;
        while (echopeers::WaitForPacket(socket, stop,
                                        pending.empty() ? -1 : echopeers::MillisecondsUntil(pending.front().due),
                                        readable)) {
            std::uint8_t packet[2048];
            sockaddr_in from{};
            socklen_t fromSize = sizeof from;
            const auto size = readable ? ::recvfrom(socket, packet, sizeof packet, MSG_DONTWAIT,
                                                    reinterpret_cast<sockaddr*>(&from), &fromSize)
                                       : 0;
            std::vector<std::uint8_t> reply = echopeers::IcmpOfType(packet, size, echo::kIcmpEchoRequest);
            if (!reply.empty()) {
                reply[0] = echo::kIcmpEchoReply;
                pending.push_back({echopeers::Clock::now() + m_delay, from.sin_addr.s_addr, std::move(reply)});
            }
            for (; !pending.empty() && pending.front().due <= echopeers::Clock::now(); ++m_answered) {
                echopeers::SendIcmp(socket, pending.front().to, pending.front().reply);
                pending.pop_front();
            }
        }
    }

    QString m_namespace;
    std::chrono::milliseconds m_delay;
    std::atomic<int> m_answered{0};
    bool m_ignoring;
    echopeers::CNamespaceThread m_thread;
};

class CEchoRequestFlood {
public:
    // From the source namespace to `destination` (network order), `burst` requests
    // every millisecond, sequence numbers running through every value under each
    // identifier.
    CEchoRequestFlood(const QString& sourceNamespace, std::uint32_t destination, int burst)
        : m_thread(sourceNamespace,
                   [this, destination, burst](int socket, int stop) { Flood(socket, stop, destination, burst); })
    {
    }

    bool IsRunning() const { return m_thread.IsRunning(); }
    int Sent() const { return m_sent; }
    int Replies() const { return m_replies; }

private:
    void Flood(int socket, int stop, std::uint32_t destination, int burst)
    {
        const std::vector<std::uint8_t> data(56, 0x5A);
        auto next = echopeers::Clock::now();
        for (std::uint32_t count = 0;; ++count, ++m_sent) {
            const auto identifier = static_cast<std::uint16_t>(0x4E00 + (count >> 16));
            echopeers::SendIcmp(socket, destination,
                                echo::BuildEchoRequest(IpFamily::IPv4, identifier, std::uint16_t(count), data));
            if (count % static_cast<std::uint32_t>(burst) != 0)
                continue;
            // A machine that fell behind starts afresh rather than catching up at once.
            using std::chrono::milliseconds;
            next = std::max(next + milliseconds(1), echopeers::Clock::now() - milliseconds(10));
            if (!DrainUntil(socket, stop, next))
                return;
        }
    }

    // Reads (and counts) the replies that come in before the next request is due.
    bool DrainUntil(int socket, int stop, echopeers::Clock::time_point next)
    {
        bool readable = false;
        while (echopeers::WaitForPacket(socket, stop, echopeers::MillisecondsUntil(next), readable)) {
            std::uint8_t packet[2048];
            for (ssize_t size = 0; readable && (size = ::recv(socket, packet, sizeof packet, MSG_DONTWAIT)) > 0;)
                m_replies += !echopeers::IcmpOfType(packet, size, echo::kIcmpEchoReply).empty();
            if (echopeers::Clock::now() >= next)
                return true;
        }
        return false;
    }

    std::atomic<int> m_sent{0};
    std::atomic<int> m_replies{0};
    echopeers::CNamespaceThread m_thread;
};

} // namespace netsonde::test
