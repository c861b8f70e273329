// SPDX-License-Identifier: GPL-3.0-or-later
#include "query/TextQueryFunction.h"

#include "platform/AppMessages.h"
#include "platform/net/IpAddress.h"
#include "query/QuerySocket.h"
#include "run/RunView.h"

#include <optional>

namespace netsonde {

namespace {

QString CreatingSocketText(QueryFunction kind)
{
    switch (kind) {
    case QueryFunction::Finger:
        return QStringLiteral("Creating Finger Socket");
    case QueryFunction::WhoIs:
        return QStringLiteral("Creating WhoIs Socket");
    case QueryFunction::QuoteOfDay:
        return QStringLiteral("Creating Quote Of Day Socket");
    }
    return {};
}

} // namespace

CTextQueryFunction::CTextQueryFunction(CRunController& runs, FunctionId id, QueryFunction kind)
    : m_runs(runs), m_id(id), m_kind(kind)
{
}

CTextQueryFunction::~CTextQueryFunction() = default;

bool CTextQueryFunction::IsCurrent() const { return m_request != 0 && m_runs.IsPending(m_request); }

qsizetype CTextQueryFunction::PaneLength() const { return m_runs.View().PaneLength(m_id); }

void CTextQueryFunction::AppendText(const QString& text)
{
    if (!text.isEmpty())
        m_runs.View().AppendPaneText(m_id, text);
}

void CTextQueryFunction::NoteReceived(QByteArrayView bytes) { m_runs.View().NoteReceivedBytes(m_id, bytes); }

void CTextQueryFunction::SetStatusText(const QString& text) { m_runs.SetStatusText(text); }

void CTextQueryFunction::EndQuery()
{
    CloseSocket();
    m_runs.EndRun();
}

void CTextQueryFunction::FailQuery(const QString& text, MessageIcon icon)
{
    // No socket event may arrive while the box is open.
    CloseSocket();
    m_runs.ShowMessage(text, icon);
    m_runs.EndRun();
}

QueryFields CTextQueryFunction::FieldsOf(const CRunInputs& inputs) const
{
    switch (m_kind) {
    case QueryFunction::Finger:
        return {m_kind, inputs.strUser, inputs.strHost, inputs.bVerboseFormat, inputs.strFireWall};
    case QueryFunction::WhoIs:
        return {m_kind, inputs.strUser, inputs.strHost, false, inputs.strFireWall};
    case QueryFunction::QuoteOfDay:
        break;
    }
    return {m_kind, {}, inputs.strHost, false, {}};
}

void CTextQueryFunction::Start(const CRunInputs& inputs)
{
    const QueryFields fields = FieldsOf(inputs);
    if (fields.host.isEmpty()) {
        m_runs.ShowMessage(QStringLiteral("Please, enter a host name or address"), MessageIcon::Exclamation);
        m_runs.EndRun();
        return;
    }
    if (inputs.bClearOutput)
        m_runs.View().SetPaneText(m_id, {});
    m_runs.BeginRun();
    m_runs.RecordRecentHost();

    // Host and request come from the firewall value read at Go, so they
    // always agree.
    const QueryPlan plan = BuildQueryPlan(fields);
    m_strTargetHost = plan.targetHost;
    m_nPort = plan.port;
    m_requestBytes = plan.request;
    m_strPageHost = fields.host;
    m_preference = inputs.preference;
    SetStatusText(QStringLiteral("Resolving ") + m_strTargetHost);

    if (const auto address = ParseAddressLiteral(m_strTargetHost.toStdString())) {
        ConnectToChosen({&*address, 1});
        return;
    }
    if (m_runs.LookUpName(m_strTargetHost, WM_APP_HOST_RESOLVED) == 0) {
        m_runs.ShowMessage(QStringLiteral("Unable to resolve hostname"), MessageIcon::Exclamation);
        m_runs.EndRun();
    }
}

void CTextQueryFunction::OnLookupCompleted(const CAppMessageEvent& message)
{
    if (message.Message() != WM_APP_HOST_RESOLVED)
        return;
    const CHostEntry* entry = HostEntryOf(message);
    if (message.LParam() != kLookupSucceeded || entry == nullptr) {
        FailLookup();
        return;
    }
    ConnectToChosen({entry->addresses.constData(), static_cast<std::size_t>(entry->addresses.size())});
}

// A host whose addresses the preference all excludes fails as a lookup does.
void CTextQueryFunction::ConnectToChosen(std::span<const CIpAddress> addresses)
{
    const std::optional<CIpAddress> address = ChooseAddress(addresses, m_preference);
    if (!address) {
        FailLookup();
        return;
    }
    m_serverAddress = *address;
    CreateQuerySocket();
}

void CTextQueryFunction::FailLookup()
{
    m_runs.ShowMessage(QStringLiteral("Unable to resolve ") + m_strTargetHost, MessageIcon::Exclamation);
    m_runs.EndRun();
}

void CTextQueryFunction::CreateQuerySocket()
{
    SetStatusText(CreatingSocketText(m_kind));
    m_pQuerySocket.reset();
    m_request = m_runs.OpenRequest();
    m_pQuerySocket = std::make_unique<CQuerySocket>(*this, m_kind);
    m_pQuerySocket->Prepare(m_requestBytes, m_serverAddress.Family());
    if (!m_pQuerySocket->AsyncSelect()) {
        FailQuery(QStringLiteral("Cannot set asynchronous mode"), MessageIcon::Exclamation);
        return;
    }
    SetStatusText(QStringLiteral("Connecting to ") + m_strPageHost);
    if (!m_pQuerySocket->Connect(m_serverAddress, m_nPort)) {
        const int error = m_pQuerySocket->LastError();
        FailQuery(QStringLiteral("Cannot connect to %1 (%2)").arg(m_strTargetHost, QString::number(error)),
                  MessageIcon::Exclamation);
    }
}

// Text the decoder still holds goes to the pane before the socket closes.
void CTextQueryFunction::CloseSocket()
{
    if (!m_pQuerySocket || !m_pQuerySocket->IsOpen())
        return;
    m_pQuerySocket->AppendHeldText();
    m_pQuerySocket->Close();
}

void CTextQueryFunction::Cancel()
{
    CloseSocket();
    m_pQuerySocket.reset();
    m_request = 0;
}

void InstallTextQueryFunctions(CRunController& runs)
{
    runs.SetFunction(FunctionId::Finger, std::make_unique<CTextQueryFunction>(runs, FunctionId::Finger, QueryFunction::Finger));
    runs.SetFunction(FunctionId::WhoIs, std::make_unique<CTextQueryFunction>(runs, FunctionId::WhoIs, QueryFunction::WhoIs));
    runs.SetFunction(FunctionId::QuoteOfDay,
                     std::make_unique<CTextQueryFunction>(runs, FunctionId::QuoteOfDay, QueryFunction::QuoteOfDay));
}

} // namespace netsonde
