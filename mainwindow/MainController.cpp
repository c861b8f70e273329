// SPDX-License-Identifier: GPL-3.0-or-later
// The function controller: Go, the begin-run step, Stop, Clear and the tab
// changes.

#include "mainwindow/MainDialog.h"

#include "export/ResultColumns.h"
#include "icmp/IcmpFunction.h"
#include "mainwindow/OutputPane.h"
#include "mainwindow/TabControl.h"
#include "pages/NameServerLookUpPage.h"
#include "pages/UserHostPage.h"
#include "platform/AppMessages.h"
#include "resources/BusyAnimation.h"
#include "resources/ResourceIds.h"

#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTreeWidget>

namespace netsonde {

FunctionId CMainDialog::CurrentFunction() const
{
    const int index = m_tab->CurrentIndex();
    return index >= 0 && index < kFunctionCount ? static_cast<FunctionId>(index) : FunctionId::Ping;
}

void CMainDialog::SelectFunction(FunctionId id) { m_tab->SetCurrentIndex(Index(id)); }

void CMainDialog::OnGo()
{
    m_animation->Play();
    m_btnStop->setEnabled(true);
    m_btnGo->setEnabled(false);
    m_runs->Go(ReadInputs(CurrentFunction()));
}

void CMainDialog::BeginRun()
{
    EnableInputs(false);
    const FunctionId current = CurrentFunction();
    if (!m_bPaneShown[Index(current)])
        ShowPaneOf(current);
    m_statusBar->show();
    if (m_bOutputShown) {
        LayoutControls();
        return;
    }
    m_bOutputShown = true;
    for (int command : {ID_FILE_SAVE, ID_COPY_RESULTS, ID_FILE_PRINT})
        SetCommandEnabled(command, true);
    ExpandWindow();
}

// The run's own work is released even when another tab is selected now;
// the selected function is cancelled too.
void CMainDialog::OnStop() { m_runs->Stop(CurrentFunction()); }

void CMainDialog::OnRunEnded(FunctionId selected)
{
    m_animation->Stop();
    SummariseEndedRun();
    EnableInputs(true);
    m_btnStop->setEnabled(false);
    m_btnGo->setEnabled(true);
    SendAppMessage(Page(selected), WM_APP_FOCUS_HOST);
}

void CMainDialog::OnResultListDblClk(FunctionId id)
{
    const QList<QTreeWidgetItem*> selected = ResultList(id)->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = ResultList(id)->indexOfTopLevelItem(selected.front());
    const QString address = selected.front()->text(ColumnIndex(ResultColumn::Address));
    static_cast<CIcmpFunction*>(Function(id))->ResolveRow(row, address);
}

void CMainDialog::OnClear()
{
    m_bOutputShown = false;
    for (int i = 0; i < kFunctionCount; ++i)
        ClearRunSummary(static_cast<FunctionId>(i));
    for (int command : {ID_FILE_SAVE, ID_COPY_RESULTS, ID_FILE_PRINT})
        SetCommandEnabled(command, false);
    const bool anyPaneShown = std::find(m_bPaneShown.begin(), m_bPaneShown.end(), true) != m_bPaneShown.end();
    if (anyPaneShown) {
        OnStop();
        m_bPaneShown.fill(false);
        // Every pane is hidden, not only the current tab's: the visible one
        // may belong to a function run before a tab change.
        for (QWidget* pane : m_panes)
            pane->hide();
        m_statusBar->hide();
        MakeCompact();
    }
    for (CPropertyPage* page : m_pPages) {
        // The page's other fields keep what the user set since the last run.
        page->DoDataExchange(true);
        page->m_strHost.clear();
        if (auto* userHost = qobject_cast<CUserHostPage*>(page))
            userHost->m_strUser.clear();
        SendAppMessage(page, WM_APP_REFRESH);
    }
    for (FunctionId id : {FunctionId::Finger, FunctionId::WhoIs, FunctionId::NameServerLookUp, FunctionId::QuoteOfDay})
        TextPane(id)->SetText({});
    SendAppMessage(Page(CurrentFunction()), WM_APP_FOCUS_HOST);
}

void CMainDialog::EnableInputs(bool enable)
{
    for (int i = 0; i < kFunctionCount; ++i) {
        const auto id = static_cast<FunctionId>(i);
        const bool icmp = id == FunctionId::Ping || id == FunctionId::TraceRoute;
        if (icmp && !m_bIcmpAvailable)
            continue;
        for (QWidget* control : Page(id)->InputControls())
            control->setEnabled(enable);
        if (icmp)
            Pane(id)->setEnabled(enable);
    }
    if (enable)
        NameServerLookUpPage()->UpdateNameServerEnabled();
}

void CMainDialog::ShowPaneOf(FunctionId id)
{
    for (int i = 0; i < kFunctionCount; ++i) {
        m_bPaneShown[i] = i == Index(id);
        m_panes[i]->setVisible(m_bPaneShown[i]);
    }
}

void CMainDialog::ExpandWindow()
{
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
    if (isMaximized()) {
        if (QScreen* s = screen())
            setGeometry(s->availableGeometry());
        LayoutControls();
        return;
    }
    resize(width(), m_options.nExpandedHeight);
    LayoutControls();
}

void CMainDialog::UpdateWindowTitle(int index)
{
    if (index >= 0 && index < kFunctionCount)
        setWindowTitle(QString::fromLatin1(FunctionTable[index].windowTitle));
}

void CMainDialog::OnTabSelChanging(int leavingIndex)
{
    if (leavingIndex < 0 || leavingIndex >= kFunctionCount)
        return;
    m_pPages[leavingIndex]->hide();
    m_pPages[leavingIndex]->setEnabled(false);
}

void CMainDialog::OnTabSelChange(int newIndex)
{
    if (newIndex < 0 || newIndex >= kFunctionCount)
        return;
    CPropertyPage* page = m_pPages[newIndex];
    page->show();
    page->setEnabled(true);
    page->setFocus(Qt::TabFocusReason);
    UpdateWindowTitle(newIndex);
    ShowRunSummary(static_cast<FunctionId>(newIndex));
    page->OnTabSelected();
    SendAppMessage(page, WM_APP_FOCUS_HOST);
}

} // namespace netsonde
