// SPDX-License-Identifier: GPL-3.0-or-later
#include "whois/AutoWhoIs.h"

#include "run/RunView.h"

namespace netsonde {

namespace {

QString Heading(const WhoIsHop& hop)
{
    if (hop.referredBy.isEmpty())
        return QStringLiteral("[%1]").arg(hop.server);
    return QStringLiteral("[%1, referred by %2]").arg(hop.server, hop.referredBy);
}

} // namespace

AutoWhoIs::AutoWhoIs(RunController& runs)
    : TextQueryFunction(runs, FunctionId::WhoIs, QueryFunction::WhoIs), m_runs(runs)
{
}

AutoWhoIs::~AutoWhoIs() = default;

void AutoWhoIs::Start(const RunInputs& inputs)
{
    const bool nothingTyped = inputs.host.trimmed().isEmpty() && inputs.user.trimmed().isEmpty();
    if (!NamesAutomaticMode(inputs.host) || nothingTyped) {
        TextQueryFunction::Start(inputs);
        return;
    }
    m_query = ClassifyWhoIsQuery(inputs.user);
    if (m_query.kind == WhoIsQueryKind::Refused) {
        m_runs.ShowMessage(
            QStringLiteral("Cannot tell what to ask about \"%1\": enter a WhoIs server in the host field")
                .arg(inputs.user),
            MessageIcon::Exclamation);
        m_runs.EndRun();
        return;
    }
    if (inputs.clearOutput)
        m_runs.View().SetPaneText(FunctionId::WhoIs, {});
    m_runs.BeginRun();
    m_runs.RecordRecentHost();
    m_preference = inputs.preference;
    m_chain = m_runs.OpenRequest();
    m_asked.clear();
    StartChain();
}

// RDAP first; port 43 when the bootstrap names no RDAP service.
void AutoWhoIs::StartChain()
{
    StartRdap();
}

void AutoWhoIs::StartRdap()
{
    QString failure;
    m_rdap = CreateRdapService(&failure);
    if (!m_rdap) {
        ShowLine(QStringLiteral("[RDAP is not available (%1); asking the port-43 servers]").arg(failure), true);
        StartPort43Chain();
        return;
    }
    RdapService* lookup = m_rdap.get();
    QObject::connect(lookup, &RdapService::hopStarted, lookup,
                     [this](const QString& url, const QString& referredBy) { OnRdapHopStarted(url, referredBy); });
    QObject::connect(lookup, &RdapService::hopFinished, lookup,
                     [this](const WhoIsHop& hop) { OnRdapHopFinished(hop); });
    QObject::connect(lookup, &RdapService::finished, lookup, [this](bool answered) { OnRdapFinished(answered); });
    if (!lookup->Start(m_query))
        StartPort43Chain();
}

void AutoWhoIs::OnRdapHopStarted(const QString& url, const QString& referredBy)
{
    m_hop = WhoIsHop{WhoIsProtocol::Rdap, url, referredBy};
    ShowLine(Heading(m_hop), true);
    if (referredBy.isEmpty())
        ShowLine(QStringLiteral("(the RDAP service named by IANA's bootstrap registry of %1)")
                     .arg(m_rdap->BootstrapPublication().toUTC().toString(Qt::ISODate)),
                 false);
    SetStatusText(QStringLiteral("Asking ") + url);
}

void AutoWhoIs::OnRdapHopFinished(const WhoIsHop& hop)
{
    m_runs.View().AppendPaneText(FunctionId::WhoIs, hop.text);
    m_runs.View().NoteWhoIsHop(hop);
}

void AutoWhoIs::OnRdapFinished(bool answered)
{
    if (answered) {
        m_runs.EndRun();
        return;
    }
    ShowLine(QStringLiteral("[RDAP could not answer; asking the port-43 servers]"), true);
    StartPort43Chain();
}

void AutoWhoIs::StartPort43Chain()
{
    Ask(WhoIsServer{QString::fromLatin1(kFirstWhoIsServer)}, {});
}

void AutoWhoIs::Ask(const WhoIsServer& server, const QString& referredBy)
{
    m_server = server;
    m_asked << server.Text().toLower();
    const QByteArray request = WhoIsRequest(server, m_query);
    m_hop = WhoIsHop{};
    m_hop.server = server.Text();
    m_hop.referredBy = referredBy;
    m_hop.query = QString::fromLatin1(request.chopped(2));
    ShowLine(Heading(m_hop), true);
    m_hopTime.start();
    m_ended = std::move(m_connection);
    m_connection = std::make_unique<WhoIsConnection>(m_runs, m_preference);
    QObject::connect(m_connection.get(), &WhoIsConnection::finished, m_connection.get(),
                     [this](const QString& error, bool cutOff) { OnHopFinished(error, cutOff); });
    m_connection->Start(server, request);
}

void AutoWhoIs::OnHopFinished(const QString& error, bool cutOff)
{
    m_hop.timeMs = m_hopTime.elapsed();
    m_hop.text = m_connection->Text();
    m_hop.status = error.isEmpty() ? QStringLiteral("ok") : error;
    if (!error.isEmpty())
        ShowLine(error, false);
    m_runs.View().NoteWhoIsHop(m_hop);
    if (!error.isEmpty() || cutOff) {
        m_runs.EndRun();
        return;
    }
    const WhoIsReferral referral = FindWhoIsReferral(m_hop.text, m_server, m_query);
    // The next hop starts after this event, outside the connection's signal.
    QMetaObject::invokeMethod(
        m_connection.get(),
        [this, referral] {
            if (IsRunning())
                FollowReferral(referral);
        },
        Qt::QueuedConnection);
}

void AutoWhoIs::FollowReferral(const WhoIsReferral& referral)
{
    QString refusal = referral.refusal;
    if (referral.server && m_asked.contains(referral.server->Text().toLower()))
        refusal = QStringLiteral("asked already");
    else if (referral.server && m_asked.size() >= kMostWhoIsServers)
        refusal = QStringLiteral("%1 servers asked already").arg(kMostWhoIsServers);
    if (!refusal.isEmpty())
        ShowLine(QStringLiteral("[referral to %1 not followed: %2]").arg(referral.target, refusal), false);
    if (!referral.server || !refusal.isEmpty()) {
        m_runs.EndRun();
        return;
    }
    Ask(*referral.server, m_server.Text());
}

// A line of its own, after a blank line when asked.
void AutoWhoIs::ShowLine(const QString& line, bool blankBefore)
{
    const bool paneEmpty = m_runs.View().PaneLength(FunctionId::WhoIs) == 0;
    const bool atLineStart = !m_connection || m_connection->Text().isEmpty() || m_connection->Text().endsWith(u'\n');
    QString text = paneEmpty || atLineStart ? QString() : QStringLiteral("\r\n");
    if (blankBefore && !paneEmpty)
        text += QLatin1String("\r\n");
    m_runs.View().AppendPaneText(FunctionId::WhoIs, text + line + QLatin1String("\r\n"));
}

bool AutoWhoIs::IsRunning() const
{
    return m_chain != 0 && m_runs.IsPending(m_chain);
}

void AutoWhoIs::Cancel()
{
    TextQueryFunction::Cancel();
    m_chain = 0;
    m_rdap.reset();
    m_connection.reset();
    m_ended.reset();
}

} // namespace netsonde
