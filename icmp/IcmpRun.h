#pragma once
// One run of a Ping or TraceRoute worker: its token, the echo service it
// keeps alive, and the resources it owns (the echo handle, closed when the run
// object goes). The start steps shared by both tools, the checks that the run
// is still wanted and the effects on the window live here.

#include "icmp/IcmpSession.h"
#include "platform/echo/EchoService.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace netsonde {

// The texts that differ between the tools in the start steps.
struct CIcmpRunTexts {
    QString reserving;
    QString opening;
    QString openFailed;
};

class CIcmpRun {
public:
    CIcmpRun(std::shared_ptr<CIcmpSession> session, CIcmpSession::RunToken token,
             std::shared_ptr<echo::EchoService> service);

    // Start steps 1 to 10: finds the service, resolves the target (the status
    // line shows `hostAsTyped`; `addressText` is tried as a dotted address
    // first) and opens the echo handle. False when the run is over: abandoned
    // (silently) or failed (after its report and the end-run step).
    bool Open(const QString& hostAsTyped, const QString& addressText, const CIcmpRunTexts& texts);

    bool StillCurrent() const;
    // Effects on the window, each dropped when the run is no longer current.
    bool OnWindow(const std::function<void(CMainDialog&)>& effect);
    void SetStatus(const QString& text);
    // The controller's end-run step.
    void EndRun();

    std::uint32_t Destination() const { return m_destination; }
    echo::EchoReply SendEcho(std::span<const std::uint8_t> data, std::optional<std::uint8_t> ttl,
                             std::uint32_t timeoutMs);
    // The official name of an address, none when the lookup gives nothing.
    std::optional<QString> LookUpName(std::uint32_t address) const;
    // Sleeps unless the run is abandoned first; true when still current after it.
    bool Pause(std::uint32_t milliseconds);

private:
    bool FindService();
    bool Resolve(const QString& hostAsTyped, const QString& addressText);
    bool OpenHandle(const CIcmpRunTexts& texts);
    void EndRunThenReport(const QString& text);
    void ReportThenEndRun(const QString& text);

    std::shared_ptr<CIcmpSession> m_session;
    CIcmpSession::RunToken m_token;
    std::shared_ptr<echo::EchoService> m_service;
    std::unique_ptr<echo::EchoHandle> m_handle;
    std::uint32_t m_destination = 0;
};

// Data of every byte 0xAA, as the tools send it.
constexpr std::uint8_t kEchoFillByte = 0xAA;

} // namespace netsonde
