// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Echo peers of the test's own inside the namespace lab, each with a raw ICMP socket
// and a thread of its own:
// - CDelayedEchoResponder answers each echo request reaching the destination after
//   a chosen delay (the destination's kernel is told to stay silent), as a slow link
//   would without a netem qdisc;
// - CEchoRequestFlood sends echo requests from the source to a host, like another
//   program on the same machine, with every sequence number under identifiers of
//   its own, so that each reply it draws is one that only it asked for.

#include "support/LabNamespace.h"

#include "platform/echo/EchoPacket.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace netsonde::test {

namespace echopeers {

using Clock = std::chrono::steady_clock;

inline int MillisecondsUntil(Clock::time_point due)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

inline void SendIcmp(int socket, std::uint32_t to, const std::vector<std::uint8_t>& icmp)
{
    const sockaddr_storage address = Ipv4SocketAddress(to, 0);
    ::sendto(socket, icmp.data(), icmp.size(), 0, reinterpret_cast<const sockaddr*>(&address), sizeof(sockaddr_in));
}

// The ICMP message of a received IPv4 packet of the given type; empty for anything else.
inline std::vector<std::uint8_t> ReceiveIcmp(int socket, std::uint8_t type, std::uint32_t* from = nullptr)
{
    std::uint8_t packet[2048];
    sockaddr_in sender{};
    socklen_t senderSize = sizeof sender;
    const auto size =
        ::recvfrom(socket, packet, sizeof packet, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sender), &senderSize);
    const std::size_t headerSize = size < 20 ? 0 : (packet[0] & 0x0F) * 4u;
    if (headerSize < 20 || static_cast<std::size_t>(size) < headerSize + echo::kIcmpHeaderSize
        || packet[headerSize] != type)
        return {};
    if (from)
        *from = sender.sin_addr.s_addr;
    return {packet + headerSize, packet + size};
}

// A raw ICMP socket made inside a namespace, and a thread that runs the work on
// it until the object goes.
class CNamespaceThread {
public:
    explicit CNamespaceThread(const QString& ns)
        : m_socket(BindInsideNamespace(ns, SOCK_RAW, Ipv4SocketAddress(INADDR_ANY, 0), IPPROTO_ICMP))
    {
    }
    ~CNamespaceThread()
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(m_stop, &one, sizeof one);
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_socket);
        ::close(m_stop);
    }

    // Whether the socket could be made, and the work started.
    bool Start(std::function<void(int socket)> work)
    {
        if (m_socket >= 0)
            m_thread = std::thread([this, work] { work(m_socket); });
        return m_socket >= 0;
    }

    // Blocks until the socket has something, the object goes, or the time-out
    // (ms, -1 for none) passes. False once the object goes.
    bool WaitForPacket(int timeoutMs, bool& readable) const
    {
        pollfd watches[2] = {{m_socket, POLLIN, 0}, {m_stop, POLLIN, 0}};
        readable = ::poll(watches, 2, timeoutMs) > 0 && watches[0].revents != 0;
        return watches[1].revents == 0;
    }

private:
    int m_socket;
    int m_stop = ::eventfd(0, EFD_CLOEXEC);
    std::thread m_thread;
};

} // namespace echopeers

// Answers one request at a time: the requests of one echo handle come one after another.
class CDelayedEchoResponder {
public:
    // Runs in the named destination namespace; the kernel there ignores echo
    // requests while the responder lives.
    CDelayedEchoResponder(const QString& destinationNamespace, std::chrono::milliseconds delay)
        : m_namespace(destinationNamespace), m_thread(destinationNamespace)
    {
        m_running = SetKernelEchoIgnored(true) && m_thread.Start([this, delay](int socket) { Serve(socket, delay); });
    }
    ~CDelayedEchoResponder() { SetKernelEchoIgnored(false); }

    bool IsRunning() const { return m_running; }
    int Answered() const { return m_answered; }

private:
    bool SetKernelEchoIgnored(bool ignored) const
    {
        const std::string command = "ip netns exec '" + m_namespace.toStdString()
            + "' sysctl -q -w net.ipv4.icmp_echo_ignore_all=" + (ignored ? "1" : "0");
        return std::system(command.c_str()) == 0;
    }

    // An echo request becomes its reply, sent `delay` after its arrival.
    void Serve(int socket, std::chrono::milliseconds delay)
    {
        bool readable = false;
        std::uint32_t from = 0;
        while (m_thread.WaitForPacket(-1, readable)) {
            const auto arrived = echopeers::Clock::now();
            std::vector<std::uint8_t> reply = echopeers::ReceiveIcmp(socket, echo::kIcmpEchoRequest, &from);
            if (reply.empty())
                continue;
            reply[0] = echo::kIcmpEchoReply;
            reply[2] = reply[3] = 0;
            const std::uint16_t sum = echo::InternetChecksum(reply);
            reply[2] = static_cast<std::uint8_t>(sum >> 8);
            reply[3] = static_cast<std::uint8_t>(sum & 0xFF);
            std::this_thread::sleep_until(arrived + delay);
            ++m_answered;
            echopeers::SendIcmp(socket, from, reply);
        }
    }

    QString m_namespace;
    std::atomic<int> m_answered{0};
    echopeers::CNamespaceThread m_thread;
    bool m_running = false;
};

class CEchoRequestFlood {
public:
    // From the source namespace to `destination` (network order), `burst` requests
    // every millisecond, sequence numbers running through every value under each
    // identifier.
    CEchoRequestFlood(const QString& sourceNamespace, std::uint32_t destination, int burst) : m_thread(sourceNamespace)
    {
        m_running = m_thread.Start([=, this](int socket) { Flood(socket, destination, burst); });
    }

    bool IsRunning() const { return m_running; }
    int Sent() const { return m_sent; }
    int Replies() const { return m_replies; }

private:
    void Flood(int socket, std::uint32_t destination, int burst)
    {
        const std::vector<std::uint8_t> data(56, 0x5A);
        auto next = echopeers::Clock::now();
        for (std::uint32_t count = 0;; ++count) {
            const auto identifier = static_cast<std::uint16_t>(0x4E00 + (count >> 16));
            const auto sequence = static_cast<std::uint16_t>(count);
            echopeers::SendIcmp(socket, destination, echo::BuildEchoRequest(IpFamily::IPv4, identifier, sequence, data));
            ++m_sent;
            if (count % static_cast<std::uint32_t>(burst) != 0)
                continue;
            // A machine that fell behind starts afresh rather than catching up at once.
            using std::chrono::milliseconds;
            next = std::max(next + milliseconds(1), echopeers::Clock::now() - milliseconds(10));
            if (!DrainUntil(socket, next))
                return;
        }
    }

    // Reads (and counts) the replies that come in before the next request is due.
    bool DrainUntil(int socket, echopeers::Clock::time_point next)
    {
        bool readable = false;
        while (m_thread.WaitForPacket(echopeers::MillisecondsUntil(next), readable)) {
            while (readable && !echopeers::ReceiveIcmp(socket, echo::kIcmpEchoReply).empty())
                ++m_replies;
            if (echopeers::Clock::now() >= next)
                return true;
        }
        return false;
    }

    std::atomic<int> m_sent{0};
    std::atomic<int> m_replies{0};
    echopeers::CNamespaceThread m_thread;
    bool m_running = false;
};

} // namespace netsonde::test
