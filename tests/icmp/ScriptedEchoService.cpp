// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/ScriptedEchoService.h"

#include "platform/echo/ShutdownSignal.h"

#include <arpa/inet.h>

#include <algorithm>
#include <chrono>

namespace netsonde::test {

namespace {

// A condition variable cannot watch the run wake's event descriptor: a held request
// looks at it this often.
constexpr std::chrono::milliseconds kWakeCheckInterval(2);

class CScriptedEchoHandle final : public echo::EchoHandle {
public:
    CScriptedEchoHandle(CScriptedEchoService& service, std::shared_ptr<const echo::ShutdownSignal> runWake)
        : m_service(service), m_runWake(std::move(runWake))
    {
    }

    echo::EchoReply SendEcho(const CIpAddress& destination, std::span<const std::uint8_t> data,
                             std::optional<std::uint8_t> ttl, std::uint32_t timeoutMs) override
    {
        const bool allAA = std::all_of(data.begin(), data.end(), [](std::uint8_t b) { return b == 0xAA; });
        const auto now = std::chrono::steady_clock::now();
        return m_service.Answer({destination, data.size(), allAA, ttl, timeoutMs, now}, m_runWake.get());
    }

private:
    CScriptedEchoService& m_service;
    const std::shared_ptr<const echo::ShutdownSignal> m_runWake;
};

} // namespace

CScriptedEchoService::CScriptedEchoService(Responder responder, State state)
    : m_responder(std::move(responder)), m_state(state)
{
}

bool CScriptedEchoService::IsLoaded(IpFamily family) const
{
    return m_state != State::NotLoaded && !(m_state == State::OnlyIPv4 && family == IpFamily::IPv6);
}

std::optional<echo::EchoSocketKind> CScriptedEchoService::SocketKind(IpFamily family) const
{
    return IsLoaded(family) ? std::optional{echo::EchoSocketKind::Datagram} : std::nullopt;
}

std::string CScriptedEchoService::Description(IpFamily family) const
{
    const std::string protocol = family == IpFamily::IPv6 ? "ICMPv6" : "ICMP";
    return IsLoaded(family) ? "scripted echo service"
                            : "scripted: no " + protocol + " socket (ping_group_range, setcap cap_net_raw+ep)";
}

std::unique_ptr<echo::EchoHandle> CScriptedEchoService::CreateHandle(
    IpFamily family, std::shared_ptr<const echo::ShutdownSignal> runWake)
{
    if (m_state == State::HandleRefused || !IsLoaded(family))
        return nullptr;
    return std::make_unique<CScriptedEchoHandle>(*this, std::move(runWake));
}

void CScriptedEchoService::ShutdownAll()
{
    {
        const std::lock_guard lock(m_mutex);
        m_bShutDown = true;
    }
    m_changed.notify_all();
}

void CScriptedEchoService::HoldRequests(bool hold)
{
    const std::lock_guard lock(m_mutex);
    m_bHold = hold;
}

void CScriptedEchoService::ReleaseHeld()
{
    {
        const std::lock_guard lock(m_mutex);
        ++m_releases;
    }
    m_changed.notify_all();
}

std::vector<CEchoRequest> CScriptedEchoService::Requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

bool CScriptedEchoService::IsWoken(const echo::ShutdownSignal* runWake) const
{
    return m_bShutDown || (runWake != nullptr && runWake->IsRaised());
}

echo::EchoReply CScriptedEchoService::Answer(const CEchoRequest& request, const echo::ShutdownSignal* runWake)
{
    std::unique_lock lock(m_mutex);
    m_requests.push_back(request);
    m_changed.notify_all();
    if (m_bHold) {
        const std::uint64_t releases = m_releases;
        while (!IsWoken(runWake) && m_releases == releases)
            m_changed.wait_for(lock, kWakeCheckInterval);
    }
    if (IsWoken(runWake))
        return {};
    lock.unlock();
    return m_responder(request);
}

echo::EchoReply ReplyFrom(const char* dotted, std::uint32_t roundTripMs)
{
    const std::optional<CIpAddress> ipv6 = ParseIpv6Literal(dotted);
    return {1, ipv6.value_or(CIpAddress::FromIPv4(::inet_addr(dotted))), roundTripMs};
}

} // namespace netsonde::test
