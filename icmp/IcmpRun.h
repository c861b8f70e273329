// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One run of a Ping or TraceRoute worker, on the worker's thread: its
// request in the run layer, the echo service it keeps alive, the run's own
// wake-up and the resources it owns (the echo handle, closed when the run
// object goes). Every effect is posted to the user-interface thread and is
// carried out there only while the run's request is pending; Stop raises
// the wake-up, so a send, a pause or a lookup in progress returns at once.

#include "platform/echo/EchoService.h"
#include "platform/posix/ShutdownSignal.h"
#include "platform/resolver/HostLookup.h"
#include "run/RunController.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

namespace netsonde {

// The texts that differ between the tools in the start steps.
struct IcmpRunTexts {
    QString reserving;
    QString opening;
    QString openFailed;
};

class IcmpRun {
public:
    using Effect = std::function<void(RunController&)>;

    IcmpRun(RunController& runs, RunController::RequestId request, std::shared_ptr<echo::EchoService> service,
            std::shared_ptr<const ShutdownSignal> wake, HostLookups lookups);

    // Start steps: finds the service, resolves the target (the status line
    // shows `hostAsTyped`; `addressText` is tried as a dotted address, then
    // as an IPv6 literal; a name uses the address `preference` chooses) and
    // opens the echo handle of the target's family. False when the run is
    // over: abandoned (silently) or failed (after its report and the end of
    // the run).
    bool Open(const QString& hostAsTyped, const QString& addressText, AddressPreference preference,
              const IcmpRunTexts& texts);

    bool StillCurrent() const;
    // Posts an effect; it is dropped when the run is no longer current.
    void Post(Effect effect);
    void SetStatus(const QString& text);
    void EndRun();

    const IpAddress& Destination() const { return m_destination; }
    echo::EchoReply SendEcho(std::span<const std::uint8_t> data, std::optional<std::uint8_t> ttl,
                             std::uint32_t timeoutMs);
    // Requests kept outstanding together (see echo::EchoHandle).
    std::optional<std::uint16_t> SendRequest(std::span<const std::uint8_t> data, std::optional<std::uint8_t> ttl);
    std::optional<echo::EchoAnswer> AwaitAnswer(echo::EchoHandle::Clock::time_point deadline, int alsoWatch);
    const HostLookups& Lookups() const { return m_lookups; }
    // A blocking lookup that returns at once with *woken true when the run is woken.
    LookupOutcome LookUpUnlessWoken(std::function<LookupOutcome()> lookup, bool* woken) const;
    // The official name of an address, none when the lookup gives nothing.
    std::optional<QString> LookUpName(const IpAddress& address) const;
    // Sleeps unless the run is woken first.
    void Pause(std::uint32_t milliseconds);
    // Waits while the user-interface thread has many of the run's effects
    // still to carry out: a run without pauses never gets far ahead of it.
    void WaitWhileBehind();

private:
    bool FindService();
    bool Resolve(const QString& hostAsTyped, const QString& addressText, AddressPreference preference);
    bool OpenHandle(const IcmpRunTexts& texts);
    void EndRunThenReport(const QString& text);
    void ReportThenEndRun(const QString& text);

    RunController* m_runs;
    RunController::RequestId m_request;
    std::shared_ptr<echo::EchoService> m_service;
    std::shared_ptr<const ShutdownSignal> m_wake;
    HostLookups m_lookups;
    std::unique_ptr<echo::EchoHandle> m_handle;
    std::shared_ptr<std::atomic<int>> m_backlog = std::make_shared<std::atomic<int>>(0); // effects posted, not yet run
    IpAddress m_destination;
};

// Data of every byte 0xAA, as the tools send it.
constexpr std::uint8_t kEchoFillByte = 0xAA;

} // namespace netsonde
