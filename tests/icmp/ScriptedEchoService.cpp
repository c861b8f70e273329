#include "icmp/ScriptedEchoService.h"

#include <arpa/inet.h>

#include <algorithm>

namespace netsonde::test {

namespace {

class CScriptedEchoHandle final : public echo::EchoHandle {
public:
    explicit CScriptedEchoHandle(CScriptedEchoService& service) : m_service(service) {}

    echo::EchoReply SendEcho(std::uint32_t destination, std::span<const std::uint8_t> data,
                             std::optional<std::uint8_t> ttl, std::uint32_t timeoutMs) override
    {
        const bool allAA = std::all_of(data.begin(), data.end(), [](std::uint8_t b) { return b == 0xAA; });
        return m_service.Answer({destination, data.size(), allAA, ttl, timeoutMs});
    }

private:
    CScriptedEchoService& m_service;
};

} // namespace

CScriptedEchoService::CScriptedEchoService(Responder responder, State state)
    : m_responder(std::move(responder)), m_state(state)
{
}

std::optional<echo::EchoSocketKind> CScriptedEchoService::SocketKind() const
{
    return IsLoaded() ? std::optional{echo::EchoSocketKind::Datagram} : std::nullopt;
}

std::string CScriptedEchoService::Description() const
{
    return IsLoaded() ? "scripted echo service" : "scripted: no ICMP socket (ping_group_range, setcap cap_net_raw+ep)";
}

std::unique_ptr<echo::EchoHandle> CScriptedEchoService::CreateHandle()
{
    if (m_state != State::Loaded)
        return nullptr;
    return std::make_unique<CScriptedEchoHandle>(*this);
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

echo::EchoReply CScriptedEchoService::Answer(const CEchoRequest& request)
{
    std::unique_lock lock(m_mutex);
    m_requests.push_back(request);
    m_changed.notify_all();
    if (m_bHold) {
        const std::uint64_t releases = m_releases;
        m_changed.wait(lock, [&] { return m_bShutDown || m_releases != releases; });
    }
    if (m_bShutDown)
        return {};
    lock.unlock();
    return m_responder(request);
}

echo::EchoReply ReplyFrom(const char* dotted, std::uint32_t roundTripMs)
{
    return {1, ::inet_addr(dotted), roundTripMs};
}

} // namespace netsonde::test
