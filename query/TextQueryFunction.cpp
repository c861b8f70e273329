// SPDX-License-Identifier: GPL-3.0-or-later
#include "query/TextQueryFunction.h"

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

TextQueryFunction::TextQueryFunction(RunController& runs, FunctionId id, QueryFunction kind)
    : m_runs(runs), m_id(id), m_kind(kind)
{
}

TextQueryFunction::~TextQueryFunction() = default;

bool TextQueryFunction::IsCurrent() const
{
    return m_request != 0 && m_runs.IsPending(m_request);
}

qsizetype TextQueryFunction::PaneLength() const
{
    return m_runs.View().PaneLength(m_id);
}

void TextQueryFunction::AppendText(const QString& text)
{
    if (!text.isEmpty())
        m_runs.View().AppendPaneText(m_id, text);
}

void TextQueryFunction::NoteReceived(QByteArrayView bytes)
{
    m_runs.View().NoteReceivedBytes(m_id, bytes);
}

void TextQueryFunction::SetStatusText(const QString& text)
{
    m_runs.SetStatusText(text);
}

void TextQueryFunction::EndQuery()
{
    CloseSocket();
    m_runs.EndRun();
}

void TextQueryFunction::FailQuery(const QString& text, MessageIcon icon)
{
    // No socket event may arrive while the box is open.
    CloseSocket();
    m_runs.ShowMessage(text, icon);
    m_runs.EndRun();
}

QueryFields TextQueryFunction::FieldsOf(const RunInputs& inputs) const
{
    switch (m_kind) {
    case QueryFunction::Finger:
        return {m_kind, inputs.user, inputs.host, inputs.verboseFormat, inputs.fireWall};
    case QueryFunction::WhoIs:
        return {m_kind, inputs.user, inputs.host, false, inputs.fireWall};
    case QueryFunction::QuoteOfDay:
        break;
    }
    return {m_kind, {}, inputs.host, false, {}};
}

void TextQueryFunction::Start(const RunInputs& inputs)
{
    const QueryFields fields = FieldsOf(inputs);
    if (fields.host.isEmpty()) {
        m_runs.ShowMessage(QStringLiteral("Please, enter a host name or address"), MessageIcon::Exclamation);
        m_runs.EndRun();
        return;
    }
    if (inputs.clearOutput)
        m_runs.View().SetPaneText(m_id, {});
    m_runs.BeginRun();
    m_runs.RecordRecentHost();

    // Host and request come from the firewall value read at Go, so they
    // always agree.
    const QueryPlan plan = BuildQueryPlan(fields);
    m_targetHost = plan.targetHost;
    m_port = plan.port;
    m_requestBytes = plan.request;
    m_pageHost = fields.host;
    m_preference = inputs.preference;
    SetStatusText(QStringLiteral("Resolving ") + m_targetHost);

    if (const auto address = ParseAddressLiteral(m_targetHost.toStdString())) {
        ConnectToChosen({&*address, 1});
        return;
    }
    const auto done = [this](LookupHandle, const LookupResult& result) { OnHostResolved(result); };
    if (m_runs.LookUpName(m_targetHost, done) == 0) {
        m_runs.ShowMessage(QStringLiteral("Unable to resolve hostname"), MessageIcon::Exclamation);
        m_runs.EndRun();
    }
}

void TextQueryFunction::OnHostResolved(const LookupResult& result)
{
    const HostEntry* entry = std::get_if<HostEntry>(&result);
    if (entry == nullptr) {
        FailLookup();
        return;
    }
    ConnectToChosen({entry->addresses.constData(), static_cast<std::size_t>(entry->addresses.size())});
}

// A host whose addresses the preference all excludes fails as a lookup does.
void TextQueryFunction::ConnectToChosen(std::span<const IpAddress> addresses)
{
    const std::optional<IpAddress> address = ChooseAddress(addresses, m_preference);
    if (!address) {
        FailLookup();
        return;
    }
    m_serverAddress = *address;
    CreateQuerySocket();
}

void TextQueryFunction::FailLookup()
{
    m_runs.ShowMessage(QStringLiteral("Unable to resolve ") + m_targetHost, MessageIcon::Exclamation);
    m_runs.EndRun();
}

void TextQueryFunction::CreateQuerySocket()
{
    SetStatusText(CreatingSocketText(m_kind));
    m_querySocket.reset();
    m_request = m_runs.OpenRequest();
    m_querySocket = std::make_unique<QuerySocket>(*this, m_kind);
    m_querySocket->Prepare(m_requestBytes, m_serverAddress.Family());
    if (!m_querySocket->AsyncSelect()) {
        FailQuery(QStringLiteral("Cannot set asynchronous mode"), MessageIcon::Exclamation);
        return;
    }
    SetStatusText(QStringLiteral("Connecting to ") + m_pageHost);
    if (!m_querySocket->Connect(m_serverAddress, m_port)) {
        const int error = m_querySocket->LastError();
        FailQuery(QStringLiteral("Cannot connect to %1 (%2)").arg(m_targetHost, QString::number(error)),
                  MessageIcon::Exclamation);
    }
}

// Text the decoder still holds goes to the pane before the socket closes.
void TextQueryFunction::CloseSocket()
{
    if (!m_querySocket || !m_querySocket->IsOpen())
        return;
    m_querySocket->AppendHeldText();
    m_querySocket->Close();
}

void TextQueryFunction::Cancel()
{
    CloseSocket();
    m_querySocket.reset();
    m_request = 0;
}

void InstallTextQueryFunctions(RunController& runs)
{
    runs.SetFunction(FunctionId::Finger,
                     std::make_unique<TextQueryFunction>(runs, FunctionId::Finger, QueryFunction::Finger));
    runs.SetFunction(FunctionId::WhoIs,
                     std::make_unique<TextQueryFunction>(runs, FunctionId::WhoIs, QueryFunction::WhoIs));
    runs.SetFunction(FunctionId::QuoteOfDay,
                     std::make_unique<TextQueryFunction>(runs, FunctionId::QuoteOfDay, QueryFunction::QuoteOfDay));
}

} // namespace netsonde
