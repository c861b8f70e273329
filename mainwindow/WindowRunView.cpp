// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/WindowRunView.h"

#include "mainwindow/MainDialog.h"
#include "mainwindow/OutputPane.h"
#include "mainwindow/ResultPane.h"

#include <QTreeWidget>

#include <algorithm>

namespace netsonde {

void WindowRunView::BeginRun(const RunInputs& inputs)
{
    m_dialog.ClearRunSummary(inputs.function);
    m_dialog.BeginRun();
}

void WindowRunView::RecordRecentHost(const RunInputs& inputs)
{
    m_dialog.RecordRecentHost(inputs);
}

void WindowRunView::ShowStatusText(const QString& text)
{
    m_dialog.SetStatusText(text);
}

void WindowRunView::SetPaneText(FunctionId id, const QString& text)
{
    m_dialog.TextPane(id)->SetText(text);
}

void WindowRunView::AppendPaneText(FunctionId id, const QString& text)
{
    m_dialog.TextPane(id)->AppendText(text);
}

qsizetype WindowRunView::PaneLength(FunctionId id) const
{
    return m_dialog.TextPane(id)->Length();
}

void WindowRunView::ClearRows(FunctionId id)
{
    m_dialog.ResultPaneOf(id)->ClearRows();
}

// The other columns stay hidden until a run fills them.
void WindowRunView::ShowColumns(FunctionId id, const std::vector<ResultColumn>& columns)
{
    QTreeWidget* list = m_dialog.ResultList(id);
    for (const ResultColumnInfo& column : kResultColumns)
        list->setColumnHidden(ColumnIndex(column.id), std::ranges::find(columns, column.id) == columns.end());
}

void WindowRunView::InsertRow(FunctionId id, int row, unsigned number)
{
    m_dialog.ResultPaneOf(id)->InsertRow(row, number);
}

void WindowRunView::SetCell(FunctionId id, int row, ResultColumn column, const QString& text)
{
    m_dialog.ResultPaneOf(id)->SetCell(row, column, text);
}

void WindowRunView::NoteProbe(FunctionId id, const ProbeResult& probe)
{
    m_dialog.ResultPaneOf(id)->NoteProbe(probe);
}

FunctionId WindowRunView::SelectedFunction() const
{
    return m_dialog.CurrentFunction();
}

void WindowRunView::EndRun(FunctionId selected)
{
    m_dialog.OnRunEnded(selected);
}

} // namespace netsonde
