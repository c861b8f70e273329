#include "icmp/IcmpRun.h"

#include "mainwindow/MainDialog.h"
#include "platform/MessageBox.h"

#include <arpa/inet.h>

namespace netsonde {

CIcmpRun::CIcmpRun(std::shared_ptr<CIcmpSession> session, CIcmpSession::RunToken token,
                   std::shared_ptr<echo::EchoService> service)
    : m_session(std::move(session)), m_token(token), m_service(std::move(service))
{
}

bool CIcmpRun::Open(const QString& hostAsTyped, const QString& addressText, const CIcmpRunTexts& texts)
{
    if (!StillCurrent())
        return false;
    SetStatus(QStringLiteral("Trying to locating API functions"));
    if (!FindService())
        return false;
    if (!StillCurrent())
        return false;
    if (!Resolve(hostAsTyped, addressText))
        return false;
    if (!StillCurrent())
        return false;
    // The per-run buffers are this object's members: nothing to reserve that can fail.
    SetStatus(texts.reserving);
    if (!StillCurrent())
        return false;
    return OpenHandle(texts) && StillCurrent();
}

bool CIcmpRun::FindService()
{
    if (m_service && m_service->IsLoaded())
        return true;
    EndRunThenReport(QStringLiteral("Cannot locate the required API functions in ICMP.DLL."));
    return false;
}

bool CIcmpRun::Resolve(const QString& hostAsTyped, const QString& addressText)
{
    SetStatus(QStringLiteral("Resolving ") + hostAsTyped);
    const in_addr_t literal = ::inet_addr(addressText.toUtf8().constData());
    if (literal != INADDR_NONE) {
        m_destination = literal;
        return true;
    }
    const CLookupOutcome outcome = m_session->Lookups().byName(hostAsTyped.toUtf8());
    if (!StillCurrent())
        return false;
    if (outcome.nError != kLookupSucceeded || outcome.entry.addresses.isEmpty()) {
        ReportThenEndRun(QStringLiteral("Unable to resolve hostname"));
        return false;
    }
    m_destination = outcome.entry.addresses.front();
    return true;
}

bool CIcmpRun::OpenHandle(const CIcmpRunTexts& texts)
{
    SetStatus(texts.opening);
    m_handle = m_service->CreateHandle();
    if (m_handle)
        return true;
    ReportThenEndRun(texts.openFailed);
    return false;
}

bool CIcmpRun::StillCurrent() const { return m_session->StillCurrent(m_token); }

bool CIcmpRun::OnWindow(const std::function<void(CMainDialog&)>& effect)
{
    return m_session->OnWindow(m_token, effect);
}

void CIcmpRun::SetStatus(const QString& text)
{
    OnWindow([&](CMainDialog& dialog) { dialog.SetStatusText(text); });
}

void CIcmpRun::EndRun()
{
    OnWindow([](CMainDialog& dialog) { dialog.OnStop(); });
}

// One effect on the window each: the end-run step abandons the run, so the
// report that follows it would otherwise be dropped.
void CIcmpRun::EndRunThenReport(const QString& text)
{
    OnWindow([&](CMainDialog& dialog) {
        dialog.OnStop();
        ShowMessageBox(text, MessageIcon::Exclamation);
    });
}

void CIcmpRun::ReportThenEndRun(const QString& text)
{
    OnWindow([&](CMainDialog& dialog) {
        ShowMessageBox(text, MessageIcon::Exclamation);
        dialog.OnStop();
    });
}

echo::EchoReply CIcmpRun::SendEcho(std::span<const std::uint8_t> data, std::optional<std::uint8_t> ttl,
                                   std::uint32_t timeoutMs)
{
    return m_handle->SendEcho(m_destination, data, ttl, timeoutMs);
}

std::optional<QString> CIcmpRun::LookUpName(std::uint32_t address) const
{
    const CLookupOutcome outcome = m_session->Lookups().byAddress(address);
    if (outcome.nError != kLookupSucceeded)
        return std::nullopt;
    return outcome.entry.strOfficialName;
}

bool CIcmpRun::Pause(std::uint32_t milliseconds)
{
    return m_session->Pause(m_token, std::chrono::milliseconds(milliseconds));
}

} // namespace netsonde
