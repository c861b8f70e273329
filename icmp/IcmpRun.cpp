// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/IcmpRun.h"

#include "platform/net/IpAddress.h"
#include "platform/resolver/WakeableLookup.h"

#include <chrono>

namespace netsonde {

namespace {

constexpr int kMostEffectsBehind = 64;
constexpr std::uint32_t kCatchUpMs = 1;

} // namespace

IcmpRun::IcmpRun(RunController& runs, RunController::RequestId request, std::shared_ptr<echo::EchoService> service,
                 std::shared_ptr<const ShutdownSignal> wake, HostLookups lookups)
    : m_runs(&runs), m_request(request), m_service(std::move(service)), m_wake(std::move(wake)),
      m_lookups(std::move(lookups))
{
}

bool IcmpRun::Open(const QString& hostAsTyped, const QString& addressText, AddressPreference preference,
                   const IcmpRunTexts& texts)
{
    if (!StillCurrent())
        return false;
    SetStatus(QStringLiteral("Trying to locating API functions"));
    if (!FindService() || !StillCurrent())
        return false;
    if (!Resolve(hostAsTyped, addressText, preference) || !StillCurrent())
        return false;
    // The per-run buffers are this object's members: nothing to reserve that can fail.
    SetStatus(texts.reserving);
    if (!StillCurrent())
        return false;
    return OpenHandle(texts) && StillCurrent();
}

bool IcmpRun::FindService()
{
    if (m_service && echo::IsLoadedForAnyFamily(*m_service))
        return true;
    EndRunThenReport(QStringLiteral("Cannot locate the required API functions in ICMP.DLL."));
    return false;
}

bool IcmpRun::Resolve(const QString& hostAsTyped, const QString& addressText, AddressPreference preference)
{
    SetStatus(QStringLiteral("Resolving ") + hostAsTyped);
    if (const std::optional<IpAddress> literal = ParseAddressLiteral(addressText.toStdString())) {
        // A family forced by -4 or -6 refuses a literal of the other family.
        if (!PreferenceAllows(preference, literal->Family())) {
            ReportThenEndRun(QStringLiteral("Unable to resolve hostname"));
            return false;
        }
        m_destination = *literal;
        return true;
    }
    bool woken = false;
    const QByteArray name = hostAsTyped.toUtf8();
    const LookupOutcome outcome =
        LookUpUnlessWoken([lookups = m_lookups, name] { return lookups.byName(name); }, &woken);
    if (woken || !StillCurrent())
        return false;
    const std::optional<IpAddress> chosen =
        outcome.errorCode == kLookupSucceeded ? ChooseAddress(outcome.entry.addresses, preference) : std::nullopt;
    if (!chosen) {
        ReportThenEndRun(QStringLiteral("Unable to resolve hostname"));
        return false;
    }
    m_destination = *chosen;
    return true;
}

// A service may work for one family only: the report then says why the
// target's family has no socket.
bool IcmpRun::OpenHandle(const IcmpRunTexts& texts)
{
    SetStatus(texts.opening);
    const IpFamily family = m_destination.Family();
    if (!m_service->IsLoaded(family)) {
        ReportThenEndRun(texts.openFailed + QLatin1Char(' ') + QString::fromStdString(m_service->Description(family)));
        return false;
    }
    m_handle = m_service->CreateHandle(family, m_wake);
    if (m_handle)
        return true;
    ReportThenEndRun(texts.openFailed);
    return false;
}

bool IcmpRun::StillCurrent() const
{
    return !m_wake->IsRaised() && m_runs->IsPending(m_request);
}

void IcmpRun::Post(Effect effect)
{
    RunController* runs = m_runs;
    ++*m_backlog;
    m_runs->PostEffect(m_request, [runs, backlog = m_backlog, effect = std::move(effect)] {
        --*backlog;
        effect(*runs);
    });
}

void IcmpRun::SetStatus(const QString& text)
{
    Post([text](RunController& runs) { runs.SetStatusText(text); });
}

void IcmpRun::EndRun()
{
    Post([](RunController& runs) { runs.EndRun(); });
}

void IcmpRun::EndRunThenReport(const QString& text)
{
    Post([text](RunController& runs) {
        runs.EndRun();
        runs.ShowMessage(text, MessageIcon::Exclamation);
    });
}

void IcmpRun::ReportThenEndRun(const QString& text)
{
    Post([text](RunController& runs) {
        runs.ShowMessage(text, MessageIcon::Exclamation);
        runs.EndRun();
    });
}

echo::EchoReply IcmpRun::SendEcho(std::span<const std::uint8_t> data, std::optional<std::uint8_t> ttl,
                                  std::uint32_t timeoutMs)
{
    return m_handle->SendEcho(m_destination, data, ttl, timeoutMs);
}

std::optional<std::uint16_t> IcmpRun::SendRequest(std::span<const std::uint8_t> data, std::optional<std::uint8_t> ttl)
{
    return m_handle->SendRequest(m_destination, data, ttl);
}

std::optional<echo::EchoAnswer> IcmpRun::AwaitAnswer(echo::EchoHandle::Clock::time_point deadline, int alsoWatch)
{
    return m_handle->AwaitAnswer(deadline, alsoWatch);
}

LookupOutcome IcmpRun::LookUpUnlessWoken(std::function<LookupOutcome()> lookup, bool* woken) const
{
    return netsonde::LookUpUnlessWoken(std::move(lookup), *m_wake, woken);
}

std::optional<QString> IcmpRun::LookUpName(const IpAddress& address) const
{
    bool woken = false;
    const LookupOutcome outcome =
        LookUpUnlessWoken([lookups = m_lookups, address] { return lookups.byAddress(address); }, &woken);
    if (woken || outcome.errorCode != kLookupSucceeded)
        return std::nullopt;
    return outcome.entry.officialName;
}

void IcmpRun::Pause(std::uint32_t milliseconds)
{
    m_wake->WaitFor(std::chrono::milliseconds(milliseconds));
}

void IcmpRun::WaitWhileBehind()
{
    while (*m_backlog > kMostEffectsBehind && StillCurrent())
        Pause(kCatchUpMs);
}

} // namespace netsonde
