#include "query/TextQueryFunction.h"

#include "mainwindow/MainDialog.h"
#include "mainwindow/OutputPane.h"
#include "pages/QuoteOfDayPage.h"
#include "pages/UserHostPage.h"
#include "platform/AppMessages.h"
#include "query/QuerySocket.h"

#include <arpa/inet.h>

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

// The address of a dotted IPv4 text, as inet_addr reads it; none for a
// host name (and for "255.255.255.255", which inet_addr cannot tell apart
// from a failure).
std::optional<std::uint32_t> DottedAddress(const QString& host)
{
    const QByteArray text = host.toUtf8();
    if (text.contains('\0'))
        return std::nullopt;
    const in_addr_t address = ::inet_addr(text.constData());
    if (address == INADDR_NONE)
        return std::nullopt;
    return address;
}

// The Recent List entry of a Finger or WhoIs query: user@host, or the host
// alone when no user is given.
QString UserAtHost(const CUserHostPage& page)
{
    return page.m_strUser.isEmpty() ? page.m_strHost : page.m_strUser + QLatin1Char('@') + page.m_strHost;
}

} // namespace

CTextQueryFunction::CTextQueryFunction(CMainDialog& dialog, FunctionId id, QueryFunction kind)
    : m_dialog(dialog), m_id(id), m_kind(kind)
{
}

CTextQueryFunction::~CTextQueryFunction() = default;

COutputPane& CTextQueryFunction::Pane() const { return *m_dialog.TextPane(m_id); }

void CTextQueryFunction::SetStatusText(const QString& text) { m_dialog.SetStatusText(text); }

void CTextQueryFunction::EndQuery() { m_dialog.OnStop(); }

void CTextQueryFunction::FailQuery(const QString& text, MessageIcon icon)
{
    // No socket event may arrive while the box is open.
    m_bConnected = false;
    if (m_pQuerySocket)
        m_pQuerySocket->Close();
    ShowMessageBox(text, icon);
    EndQuery();
}

void CTextQueryFunction::StartQuery(CPropertyPage& page, const QueryFields& fields, bool bClearOutput,
                                    const QString& strRecentEntry)
{
    if (fields.host.isEmpty()) {
        ShowMessageBox(QStringLiteral("Please, enter a host name or address"), MessageIcon::Exclamation);
        m_dialog.OnStop();
        return;
    }
    if (bClearOutput)
        Pane().SetText({});
    m_dialog.BeginRun();
    page.AddRecentHost(strRecentEntry);
    page.DoDataExchange(false);

    // Host and request come from the firewall value read now, so a change
    // made while the lookup runs cannot make them disagree.
    const QueryPlan plan = BuildQueryPlan(fields);
    m_strTargetHost = plan.targetHost;
    m_nPort = plan.port;
    m_request = plan.request;
    m_strPageHost = fields.host;
    SetStatusText(QStringLiteral("Resolving ") + m_strTargetHost);

    if (const auto address = DottedAddress(m_strTargetHost)) {
        ConnectTo(*address);
        return;
    }
    m_hLookup = m_dialog.Resolver().AsyncGetHostByName(&m_dialog, WM_APP_HOST_RESOLVED, m_strTargetHost);
    m_dialog.m_hLookupTask = m_hLookup;
    if (m_hLookup == 0) {
        ShowMessageBox(QStringLiteral("Unable to resolve hostname"), MessageIcon::Exclamation);
        m_dialog.OnStop();
    }
}

void CTextQueryFunction::OnAppMessage(const CAppMessageEvent& message)
{
    if (message.Message() == WM_APP_HOST_RESOLVED)
        OnHostResolved(message);
}

// The main window has already dropped a stale completion and cleared the
// pending handle.
void CTextQueryFunction::OnHostResolved(const CAppMessageEvent& message)
{
    m_hLookup = 0;
    const CHostEntry* entry = HostEntryOf(message);
    if (message.LParam() != kLookupSucceeded || entry == nullptr || entry->addresses.isEmpty()) {
        ShowMessageBox(QStringLiteral("Unable to resolve ") + m_strTargetHost, MessageIcon::Exclamation);
        m_dialog.OnStop();
        return;
    }
    ConnectTo(entry->addresses.first());
}

void CTextQueryFunction::ConnectTo(std::uint32_t address)
{
    m_serverAddress = sockaddr_in{};
    m_serverAddress.sin_family = AF_INET;
    m_serverAddress.sin_port = htons(m_nPort);
    m_serverAddress.sin_addr.s_addr = address;
    CreateQuerySocket();
}

void CTextQueryFunction::CreateQuerySocket()
{
    SetStatusText(CreatingSocketText(m_kind));
    ReleaseSocket();
    m_pQuerySocket = std::make_unique<CQuerySocket>(*this, m_kind);
    m_pQuerySocket->Prepare(m_request);
    if (!m_pQuerySocket->AsyncSelect()) {
        FailQuery(QStringLiteral("Cannot set asynchronous mode"), MessageIcon::Exclamation);
        return;
    }
    SetStatusText(QStringLiteral("Connecting to ") + m_strPageHost);
    if (!m_pQuerySocket->Connect(m_serverAddress)) {
        FailQuery(QStringLiteral("Cannot connect to %1 (%2)").arg(m_strTargetHost).arg(m_pQuerySocket->LastError()),
                  MessageIcon::Exclamation);
    }
}

void CTextQueryFunction::CancelQuery()
{
    ReleaseLookup();
    ReleaseSocket();
    SendAppMessage(m_dialog.Page(m_id), WM_APP_FOCUS_HOST);
}

void CTextQueryFunction::ReleaseLookup()
{
    if (m_hLookup != 0 && m_dialog.m_hLookupTask == m_hLookup) {
        m_dialog.Resolver().CancelAsyncRequest(m_hLookup);
        m_dialog.m_hLookupTask = 0;
    }
    m_hLookup = 0;
}

// The socket may be the one whose event is being handled now: it is closed
// at once and deleted once that event is over.
void CTextQueryFunction::ReleaseSocket()
{
    m_bConnected = false;
    if (!m_pQuerySocket)
        return;
    m_pQuerySocket->AppendHeldText();
    m_pQuerySocket->Close();
    m_pQuerySocket.release()->deleteLater();
}

CFingerFunction::CFingerFunction(CMainDialog& dialog)
    : CTextQueryFunction(dialog, FunctionId::Finger, QueryFunction::Finger)
{
}

void CFingerFunction::StartFinger()
{
    CFingerPage& page = *m_dialog.FingerPage();
    page.SplitHostField();
    page.DoDataExchange(true);
    const QueryFields fields{QueryFunction::Finger, page.m_strUser, page.m_strHost, page.m_bVerboseFormat,
                             m_dialog.m_strFingerFireWall};
    StartQuery(page, fields, page.m_bClearOutput, UserAtHost(page));
}

CWhoIsFunction::CWhoIsFunction(CMainDialog& dialog)
    : CTextQueryFunction(dialog, FunctionId::WhoIs, QueryFunction::WhoIs)
{
}

void CWhoIsFunction::StartWhoIs()
{
    CWhoIsPage& page = *m_dialog.WhoIsPage();
    page.SplitHostField();
    page.DoDataExchange(true);
    const QueryFields fields{QueryFunction::WhoIs, page.m_strUser, page.m_strHost, false,
                             m_dialog.m_strWhoIsFireWall};
    StartQuery(page, fields, page.m_bClearOutput, UserAtHost(page));
}

CQuoteOfDayFunction::CQuoteOfDayFunction(CMainDialog& dialog)
    : CTextQueryFunction(dialog, FunctionId::QuoteOfDay, QueryFunction::QuoteOfDay)
{
}

void CQuoteOfDayFunction::StartQuoteOfTheDay()
{
    CQuoteOfDayPage& page = *m_dialog.QuoteOfDayPage();
    page.DoDataExchange(true);
    const QueryFields fields{QueryFunction::QuoteOfDay, {}, page.m_strHost, false, {}};
    StartQuery(page, fields, page.m_bClearOutput, page.m_strHost);
}

} // namespace netsonde
