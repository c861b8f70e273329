// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An echo service for tests: every request is recorded and answered by the
// test's responder, at once or, while requests are held, only when the test
// releases them, the service shuts down or the handle's run wake is raised (as a
// real request blocks until its answer or time-out).

#include "platform/echo/EchoService.h"
#include "platform/posix/ShutdownSignal.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace netsonde::test {

struct EchoRequest {
    IpAddress destination;
    std::size_t dataSize = 0;
    bool allBytesAA = false;
    std::optional<std::uint8_t> ttl;
    std::uint32_t timeoutMs = 0;
    std::chrono::steady_clock::time_point sentAt;
};

class ScriptedEchoService final : public echo::EchoService {
public:
    using Responder = std::function<echo::EchoReply(const EchoRequest&)>;

    // A service that is not loaded, one whose handles cannot be opened, or one
    // loaded for IPv4 only.
    enum class State { Loaded, NotLoaded, HandleRefused, OnlyIPv4 };

    explicit ScriptedEchoService(Responder responder, State state = State::Loaded)
        : m_responder(std::move(responder)), m_state(state)
    {
    }

    bool IsLoaded(IpFamily family) const override
    {
        return m_state != State::NotLoaded && !(m_state == State::OnlyIPv4 && family == IpFamily::IPv6);
    }
    std::optional<echo::EchoSocketKind> SocketKind(IpFamily family) const override
    {
        return IsLoaded(family) ? std::optional{echo::EchoSocketKind::Datagram} : std::nullopt;
    }
    std::string Description(IpFamily family) const override
    {
        const std::string protocol = family == IpFamily::IPv6 ? "ICMPv6" : "ICMP";
        return IsLoaded(family) ? "scripted echo service"
                                : "scripted: no " + protocol + " socket (ping_group_range, setcap cap_net_raw+ep)";
    }
    std::unique_ptr<echo::EchoHandle> CreateHandle(IpFamily family,
                                                   std::shared_ptr<const ShutdownSignal> runWake) override
    {
        if (m_state == State::HandleRefused || !IsLoaded(family))
            return nullptr;
        return std::make_unique<Handle>(*this, std::move(runWake));
    }
    void ShutdownAll() override
    {
        Locked([this] { m_shutDown = true; });
    }

    // While held, requests wait until released (and are then answered), shut down or woken.
    void HoldRequests(bool hold)
    {
        Locked([this, hold] { m_hold = hold; });
    }
    void ReleaseHeld()
    {
        Locked([this] { ++m_releases; });
    }
    std::vector<EchoRequest> Requests() const
    {
        const std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    // SendEcho answers at once (or when released), as before: a scripted silence costs no
    // time-out. Requests kept outstanding are answered in the order sent, with the
    // responder's round trip; a silent one only lets its waiter's deadline pass.
    class Handle final : public echo::EchoHandle {
    public:
        Handle(ScriptedEchoService& service, std::shared_ptr<const ShutdownSignal> runWake)
            : m_service(service), m_runWake(std::move(runWake))
        {
        }
        echo::EchoReply SendEcho(const IpAddress& destination, std::span<const std::uint8_t> data,
                                 std::optional<std::uint8_t> ttl, std::uint32_t timeoutMs) override
        {
            echo::EchoReply reply = m_service.Answer(Recorded(destination, data, ttl, timeoutMs), m_runWake.get());
            reply.roundTrip = std::chrono::milliseconds(reply.roundTripMs);
            return reply;
        }
        std::optional<std::uint16_t> SendRequest(const IpAddress& destination, std::span<const std::uint8_t> data,
                                                 std::optional<std::uint8_t> ttl) override
        {
            if (m_service.IsWoken(m_runWake.get()))
                return std::nullopt;
            m_outstanding.push_back({++m_sequence, Recorded(destination, data, ttl, 0)});
            m_service.Locked([this] { m_service.m_requests.push_back(m_outstanding.back().second); });
            return m_sequence;
        }
        std::optional<echo::EchoAnswer> AwaitAnswer(Clock::time_point deadline, int alsoWatch) override
        {
            while (!m_outstanding.empty()) {
                const auto [sequence, request] = m_outstanding.front();
                m_outstanding.erase(m_outstanding.begin());
                const echo::EchoReply reply = m_service.Answer(request, m_runWake.get(), false);
                if (reply.replyCount != 0)
                    return echo::EchoAnswer{sequence, reply.address, std::chrono::milliseconds(reply.roundTripMs)};
            }
            pollfd watches[2] = {{alsoWatch, POLLIN, 0}, {m_runWake ? m_runWake->PollDescriptor() : -1, POLLIN, 0}};
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            ::poll(watches, 2, static_cast<int>(std::clamp<long long>(left, 0, 60000)));
            return std::nullopt;
        }

    private:
        static EchoRequest Recorded(const IpAddress& destination, std::span<const std::uint8_t> data,
                                    std::optional<std::uint8_t> ttl, std::uint32_t timeoutMs)
        {
            const bool allAA = std::ranges::all_of(data, [](std::uint8_t b) { return b == 0xAA; });
            return {destination, data.size(), allAA, ttl, timeoutMs, std::chrono::steady_clock::now()};
        }

        ScriptedEchoService& m_service;
        const std::shared_ptr<const ShutdownSignal> m_runWake;
        std::vector<std::pair<std::uint16_t, EchoRequest>> m_outstanding;
        std::uint16_t m_sequence = 0;
    };

    template <typename Step>
    void Locked(Step step)
    {
        const std::lock_guard lock(m_mutex);
        step();
    }

    bool IsWoken(const ShutdownSignal* runWake) const
    {
        return m_shutDown || (runWake != nullptr && runWake->IsRaised());
    }

    // Nothing can wait on the run wake's event descriptor and the test's changes at
    // once: a held request looks at both every 2 ms.
    echo::EchoReply Answer(const EchoRequest& request, const ShutdownSignal* runWake, bool record = true)
    {
        std::unique_lock lock(m_mutex);
        if (record)
            m_requests.push_back(request);
        for (const std::uint64_t releases = m_releases; m_hold && !IsWoken(runWake) && m_releases == releases;)
            m_pause.wait_for(lock, std::chrono::milliseconds(2));
        if (IsWoken(runWake))
            return {};
        lock.unlock();
        return m_responder(request);
    }

    const Responder m_responder;
    const State m_state;
    mutable std::mutex m_mutex;
    std::condition_variable m_pause; // never notified: it only lets go of the lock for 2 ms
    std::vector<EchoRequest> m_requests;
    bool m_hold = false;
    bool m_shutDown = false;
    std::uint64_t m_releases = 0;
};

// A reply from `dotted` (either family) after `roundTripMs`.
inline echo::EchoReply ReplyFrom(const char* dotted, std::uint32_t roundTripMs = 1)
{
    return {1, ParseAddressLiteral(dotted).value(), roundTripMs};
}

} // namespace netsonde::test
