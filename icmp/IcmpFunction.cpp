// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/IcmpFunction.h"

#include "platform/net/IpAddress.h"
#include "run/RunView.h"

namespace netsonde {

IcmpFunction::IcmpFunction(RunController& runs, FunctionId id, std::shared_ptr<echo::EchoService> service,
                           HostLookups lookups)
    : m_runs(runs), m_id(id), m_service(std::move(service)), m_lookups(std::move(lookups))
{
}

bool IcmpFunction::PrepareRun(const RunInputs& inputs)
{
    if (inputs.host.isEmpty()) {
        m_runs.ShowMessage(QStringLiteral("Please, enter a host name or address"), MessageIcon::Exclamation);
        m_runs.EndRun();
        return false;
    }
    m_runs.View().ClearRows(m_id);
    m_runs.View().ShowColumns(m_id, ShownResultColumns(m_id, inputs));
    m_runs.BeginRun();
    m_runs.RecordRecentHost();
    return true;
}

void IcmpFunction::StartWorker(std::function<void(IcmpRun&)> body)
{
    if (m_wake)
        m_wake->Raise();
    m_wake = std::make_shared<ShutdownSignal>();
    const RunController::RequestId request = m_runs.OpenRequest();
    auto run = std::make_shared<IcmpRun>(m_runs, request, m_service, m_wake, m_lookups);
    if (!m_wake->IsValid() || !m_runs.StartWorker([run, body = std::move(body)] { body(*run); })) {
        m_runs.ShowMessage(QStringLiteral("Unable to start a thread for this run"), MessageIcon::Exclamation);
        m_runs.EndRun();
    }
}

void IcmpFunction::Cancel()
{
    if (m_wake)
        m_wake->Raise();
    m_lookupRow = -1;
}

void IcmpFunction::ResolveRow(int row, const QString& addressText)
{
    const std::optional<IpAddress> address = ParseAddressLiteral(addressText.toStdString());
    if (addressText.isEmpty() || !address) {
        m_runs.ShowMessage(QStringLiteral("Sorry, cannot resolve this host"), MessageIcon::Exclamation);
        return;
    }
    m_runs.StartSideRun(m_id);
    m_runs.BeginRun();
    m_runs.SetStatusText(QStringLiteral("Resolving IP address ") + addressText);
    m_lookupRow = row;
    const auto done = [this](LookupHandle, const LookupResult& result) { OnAddressResolved(result); };
    if (m_runs.LookUpAddress(*address, done) == 0) {
        m_runs.ShowMessage(QStringLiteral("Unable to resolve IP Address"), MessageIcon::Exclamation);
        m_runs.EndRun();
    }
}

void IcmpFunction::OnAddressResolved(const LookupResult& result)
{
    if (m_lookupRow < 0)
        return;
    const HostEntry* entry = std::get_if<HostEntry>(&result);
    m_runs.View().SetCell(m_id, m_lookupRow, ResultColumn::HostName,
                          entry ? entry->officialName : QStringLiteral("Unavailable"));
    m_lookupRow = -1;
    m_runs.EndRun();
}

QString FormatRoundTrip(std::uint32_t milliseconds)
{
    return QString::number(milliseconds) + QStringLiteral(" ms");
}

} // namespace netsonde
