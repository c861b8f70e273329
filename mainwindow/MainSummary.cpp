// SPDX-License-Identifier: GPL-3.0-or-later
// The run summary on the right of the status bar: each Ping and TraceRoute
// run's statistics, kept per function and shown for the selected tab.

#include "mainwindow/MainDialog.h"

#include "mainwindow/ResultPane.h"
#include "mainwindow/RunSummary.h"
#include "run/ResultColumns.h"

#include <QLabel>
#include <QStatusBar>
#include <QTreeWidget>

namespace netsonde {

namespace {

std::vector<SummaryRow> SummaryRows(const QTreeWidget* list)
{
    std::vector<SummaryRow> rows;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list->topLevelItem(row);
        rows.push_back(
            {item->text(ColumnIndex(ResultColumn::Address)), item->text(ColumnIndex(ResultColumn::ResponseTime))});
    }
    return rows;
}

} // namespace

void MainDialog::CreateRunSummary()
{
    m_runSummary = new QLabel(m_statusBar);
    m_statusBar->addPermanentWidget(m_runSummary);
}

QString MainDialog::RunSummaryText() const
{
    return m_runSummary ? m_runSummary->text() : QString();
}

void MainDialog::ClearRunSummary(FunctionId id)
{
    SetRunSummary(id, {});
}

// Only the end of a run that Go started is summarised, stopped or not.
void MainDialog::SummariseEndedRun()
{
    const std::optional<RunController::RunEnd> end = m_runs->LastRunEnd();
    if (!end)
        return;
    if (end->function == FunctionId::Ping) {
        SetRunSummary(end->function, PingSummary(ResultPaneOf(end->function)->Probes().StatisticsOf(0)));
    } else if (end->function == FunctionId::TraceRoute) {
        const RunInputs& inputs = m_runs->Inputs();
        const TraceEnd trace{end->completed, inputs.maxHops, inputs.host};
        SetRunSummary(end->function, TraceRouteSummary(SummaryRows(ResultList(end->function)), trace));
    }
}

// While Ping runs its summary follows the probes.
void MainDialog::SummarisePingSoFar()
{
    if (RunningFunction() == FunctionId::Ping)
        SetRunSummary(FunctionId::Ping, PingSummary(ResultPaneOf(FunctionId::Ping)->Probes().StatisticsOf(0)));
}

void MainDialog::SetRunSummary(FunctionId id, const QString& text)
{
    m_runSummaries[Index(id)] = text;
    if (id == CurrentFunction())
        ShowRunSummary(id);
}

void MainDialog::ShowRunSummary(FunctionId id)
{
    if (m_runSummary)
        m_runSummary->setText(m_runSummaries[Index(id)]);
}

} // namespace netsonde
