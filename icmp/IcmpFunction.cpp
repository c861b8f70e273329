#include "icmp/IcmpFunction.h"

#include "mainwindow/MainDialog.h"
#include "pages/PropertyPage.h"
#include "platform/AppMessages.h"
#include "platform/MessageBox.h"

#include <QTreeWidget>

#include <arpa/inet.h>

#include <algorithm>

namespace netsonde {

namespace {

constexpr int kAddressColumn = 1;
constexpr int kHostNameColumn = 2;

QTreeWidget* ListOf(const CMainDialog& dialog, FunctionId id) { return dialog.ResultList(id); }

} // namespace

CIcmpFunction::CIcmpFunction(CMainDialog& dialog, FunctionId id, std::shared_ptr<CIcmpSession> session)
    : m_dialog(dialog), m_id(id), m_session(std::move(session))
{
    QTreeWidget* list = ListOf(m_dialog, m_id);
    m_doubleClick = QObject::connect(list, &QTreeWidget::itemDoubleClicked, list, [this] { OnResultListDblClk(); });
}

// The window goes with its functions: no worker reaches it afterwards.
CIcmpFunction::~CIcmpFunction()
{
    QObject::disconnect(m_doubleClick);
    m_session->DetachWindow();
}

bool CIcmpFunction::PrepareRun()
{
    CPropertyPage* page = m_dialog.Page(m_id);
    page->DoDataExchange(true);
    if (page->m_strHost.isEmpty()) {
        ShowMessageBox(QStringLiteral("Please, enter a host name or address"), MessageIcon::Exclamation);
        m_dialog.OnStop();
        return false;
    }
    // A double-click's lookup still pending would end this run when it completes.
    CancelLookup();
    ListOf(m_dialog, m_id)->clear();
    m_dialog.BeginRun();
    page->AddRecentHost(page->m_strHost);
    page->DoDataExchange(false);
    page->DoDataExchange(true);
    return true;
}

CIcmpRun CIcmpFunction::NewRun()
{
    return CIcmpRun(m_session, m_session->BeginRun(), m_dialog.EchoService());
}

void CIcmpFunction::Cancel()
{
    CancelLookup();
    m_session->AbandonRun();
    SendAppMessage(m_dialog.Page(m_id), WM_APP_FOCUS_HOST);
}

void CIcmpFunction::CancelLookup()
{
    if (m_dialog.m_hLookupTask != 0)
        m_dialog.Resolver().CancelAsyncRequest(m_dialog.m_hLookupTask);
    m_dialog.m_hLookupTask = 0;
}

void CIcmpFunction::OnResultListDblClk()
{
    const QList<QTreeWidgetItem*> selected = ListOf(m_dialog, m_id)->selectedItems();
    if (selected.isEmpty())
        return;
    const QString text = selected.front()->text(kAddressColumn);
    const in_addr_t address = ::inet_addr(text.toUtf8().constData());
    if (text.isEmpty() || address == INADDR_NONE) {
        ShowMessageBox(QStringLiteral("Sorry, cannot resolve this host"), MessageIcon::Exclamation);
        return;
    }
    m_dialog.BeginRun();
    m_dialog.SetStatusText(QStringLiteral("Resolving IP address ") + text);
    m_dialog.m_hLookupTask = m_dialog.Resolver().AsyncGetHostByAddr(&m_dialog, WM_APP_ADDRESS_RESOLVED, address);
    if (m_dialog.m_hLookupTask == 0) {
        ShowMessageBox(QStringLiteral("Unable to resolve IP Address"), MessageIcon::Exclamation);
        m_dialog.OnStop();
    }
}

// The window has dropped stale completions and cleared the handle already.
void CIcmpFunction::OnAppMessage(const CAppMessageEvent& message)
{
    const FunctionId current = m_dialog.CurrentFunction();
    if (message.Message() != WM_APP_ADDRESS_RESOLVED
        || (current != FunctionId::Ping && current != FunctionId::TraceRoute))
        return;
    const QList<QTreeWidgetItem*> selected = ListOf(m_dialog, current)->selectedItems();
    if (!selected.isEmpty()) {
        const CHostEntry* entry = HostEntryOf(message);
        const bool found = message.LParam() == kLookupSucceeded && entry != nullptr;
        selected.front()->setText(kHostNameColumn, found ? entry->strOfficialName : QStringLiteral("Unavailable"));
    }
    m_dialog.OnStop();
}

void InsertResultRow(QTreeWidget* list, int row, unsigned number)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, QString::number(number));
    list->insertTopLevelItem(std::min(row, list->topLevelItemCount()), item);
    list->scrollToItem(item);
}

void SetResultCell(QTreeWidget* list, int row, int column, const QString& text)
{
    if (QTreeWidgetItem* item = list->topLevelItem(row))
        item->setText(column, text);
}

QString FormatRoundTrip(std::uint32_t milliseconds)
{
    return QString::number(milliseconds) + QStringLiteral(" ms");
}

} // namespace netsonde
