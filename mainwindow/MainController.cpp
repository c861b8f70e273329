// SPDX-License-Identifier: GPL-3.0-or-later
// The function controller: Go, the begin-run step, Stop, Clear and the tab
// changes.

#include "mainwindow/MainDialog.h"

#include "icmp/IcmpFunction.h"
#include "mainwindow/OutputPane.h"
#include "mainwindow/ResultPane.h"
#include "mainwindow/TabControl.h"
#include "pages/NameServerLookUpPage.h"
#include "pages/UserHostPage.h"
#include "run/ResultColumns.h"
#include "widgets/AnimationControl.h"

#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTreeWidget>

namespace netsonde {

FunctionId MainDialog::CurrentFunction() const
{
    const int index = m_tab->CurrentIndex();
    return index >= 0 && index < kFunctionCount ? static_cast<FunctionId>(index) : FunctionId::Ping;
}

void MainDialog::SelectFunction(FunctionId id)
{
    m_tab->SetCurrentIndex(Index(id));
}

void MainDialog::OnGo()
{
    m_animation->Play();
    m_stopButton->setEnabled(true);
    m_goButton->setEnabled(false);
    m_runs->Go(ReadInputs(CurrentFunction()));
}

void MainDialog::BeginRun()
{
    EnableInputs(false);
    const FunctionId current = CurrentFunction();
    if (!m_paneShown[Index(current)])
        ShowPaneOf(current);
    m_statusBar->show();
    if (m_outputShown) {
        LayoutControls();
        return;
    }
    m_outputShown = true;
    EnableOutputActions(true);
    ExpandWindow();
}

// The run's own work is released even when another tab is selected now;
// the selected function is cancelled too.
void MainDialog::OnStop()
{
    m_runs->Stop(CurrentFunction());
}

void MainDialog::OnRunEnded(FunctionId selected)
{
    m_animation->Stop();
    SummariseEndedRun();
    EnableInputs(true);
    m_stopButton->setEnabled(false);
    m_goButton->setEnabled(true);
    Page(selected)->FocusHost();
}

void MainDialog::OnResultListDblClk(FunctionId id)
{
    const QList<QTreeWidgetItem*> selected = ResultList(id)->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = ResultPaneOf(id)->RunRowOf(selected.front());
    const QString address = selected.front()->text(ColumnIndex(ResultColumn::Address));
    static_cast<IcmpFunction*>(FunctionFor(id))->ResolveRow(row, address);
}

void MainDialog::OnClear()
{
    m_outputShown = false;
    for (int i = 0; i < kFunctionCount; ++i)
        ClearRunSummary(static_cast<FunctionId>(i));
    EnableOutputActions(false);
    const bool anyPaneShown = std::find(m_paneShown.begin(), m_paneShown.end(), true) != m_paneShown.end();
    if (anyPaneShown) {
        OnStop();
        m_paneShown.fill(false);
        // Every pane is hidden, not only the current tab's: the visible one
        // may belong to a function run before a tab change.
        for (QWidget* pane : m_panes)
            pane->hide();
        m_statusBar->hide();
        MakeCompact();
    }
    for (PropertyPage* page : m_pages) {
        // The page's other fields keep what the user set since the last run.
        page->DoDataExchange(true);
        page->m_host.clear();
        if (auto* userHost = qobject_cast<UserHostPage*>(page))
            userHost->m_user.clear();
        page->Refresh();
    }
    for (FunctionId id : {FunctionId::Finger, FunctionId::WhoIs, FunctionId::NameServerLookUp, FunctionId::QuoteOfDay})
        TextPane(id)->SetText({});
    Page(CurrentFunction())->FocusHost();
}

void MainDialog::EnableInputs(bool enable)
{
    for (int i = 0; i < kFunctionCount; ++i) {
        const auto id = static_cast<FunctionId>(i);
        const bool icmp = id == FunctionId::Ping || id == FunctionId::TraceRoute;
        if (icmp && !m_icmpAvailable)
            continue;
        for (QWidget* control : Page(id)->InputControls())
            control->setEnabled(enable);
        if (icmp)
            ResultList(id)->setEnabled(enable);
    }
    if (enable)
        NameServerLookUpTab()->UpdateNameServerEnabled();
}

void MainDialog::ShowPaneOf(FunctionId id)
{
    for (int i = 0; i < kFunctionCount; ++i) {
        m_paneShown[i] = i == Index(id);
        m_panes[i]->setVisible(m_paneShown[i]);
    }
}

void MainDialog::ExpandWindow()
{
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
    if (isMaximized()) {
        if (QScreen* s = screen())
            setGeometry(s->availableGeometry());
        LayoutControls();
        return;
    }
    resize(width(), m_options.expandedHeight);
    LayoutControls();
}

void MainDialog::UpdateWindowTitle(int index)
{
    if (index >= 0 && index < kFunctionCount)
        setWindowTitle(QString::fromLatin1(FunctionTable[index].windowTitle));
}

void MainDialog::OnTabSelChanging(int leavingIndex)
{
    if (leavingIndex < 0 || leavingIndex >= kFunctionCount)
        return;
    m_pages[leavingIndex]->hide();
    m_pages[leavingIndex]->setEnabled(false);
}

void MainDialog::OnTabSelChange(int newIndex)
{
    if (newIndex < 0 || newIndex >= kFunctionCount)
        return;
    PropertyPage* page = m_pages[newIndex];
    page->show();
    page->setEnabled(true);
    page->setFocus(Qt::TabFocusReason);
    UpdateWindowTitle(newIndex);
    ShowRunSummary(static_cast<FunctionId>(newIndex));
    page->OnTabSelected();
    page->FocusHost();
}

} // namespace netsonde
