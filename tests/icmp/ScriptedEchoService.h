// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An echo service for tests: every request is recorded and answered by the
// test's responder, at once or, while requests are held, only when the test
// releases them, the service shuts down or the handle's run wake is raised (as a
// real request blocks until its answer or time-out).

#include "platform/echo/EchoService.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace netsonde::test {

struct CEchoRequest {
    CIpAddress destination;
    std::size_t dataSize = 0;
    bool allBytesAA = false;
    std::optional<std::uint8_t> ttl;
    std::uint32_t timeoutMs = 0;
    std::chrono::steady_clock::time_point sentAt;
};

class CScriptedEchoService final : public echo::EchoService {
public:
    using Responder = std::function<echo::EchoReply(const CEchoRequest&)>;

    // A service that is not loaded, one whose handles cannot be opened, or one
    // loaded for IPv4 only.
    enum class State { Loaded, NotLoaded, HandleRefused, OnlyIPv4 };

    explicit CScriptedEchoService(Responder responder, State state = State::Loaded);

    bool IsLoaded(IpFamily family) const override;
    std::optional<echo::EchoSocketKind> SocketKind(IpFamily family) const override;
    std::string Description(IpFamily family) const override;
    std::unique_ptr<echo::EchoHandle> CreateHandle(IpFamily family,
                                                   std::shared_ptr<const echo::ShutdownSignal> runWake) override;
    void ShutdownAll() override;

    // While held, requests wait until released (and are then answered), shut down or woken.
    void HoldRequests(bool hold);
    void ReleaseHeld();
    std::vector<CEchoRequest> Requests() const;

    echo::EchoReply Answer(const CEchoRequest& request, const echo::ShutdownSignal* runWake);

private:
    bool IsWoken(const echo::ShutdownSignal* runWake) const;

    const Responder m_responder;
    const State m_state;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<CEchoRequest> m_requests;
    bool m_bHold = false;
    bool m_bShutDown = false;
    std::uint64_t m_releases = 0;
};

// A reply from `dotted` after `roundTripMs`.
echo::EchoReply ReplyFrom(const char* dotted, std::uint32_t roundTripMs = 1);

} // namespace netsonde::test
