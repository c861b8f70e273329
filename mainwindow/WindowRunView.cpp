// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/WindowRunView.h"

#include "mainwindow/MainDialog.h"
#include "mainwindow/OutputPane.h"

#include <QTreeWidget>

#include <algorithm>

namespace netsonde {

void CWindowRunView::BeginRun(const CRunInputs& inputs)
{
    m_dialog.ClearRunSummary(inputs.function);
    m_dialog.BeginRun();
}

void CWindowRunView::RecordRecentHost(const CRunInputs& inputs) { m_dialog.RecordRecentHost(inputs); }

void CWindowRunView::ShowStatusText(const QString& text) { m_dialog.SetStatusText(text); }

void CWindowRunView::SetPaneText(FunctionId id, const QString& text) { m_dialog.TextPane(id)->SetText(text); }

void CWindowRunView::AppendPaneText(FunctionId id, const QString& text) { m_dialog.TextPane(id)->AppendText(text); }

qsizetype CWindowRunView::PaneLength(FunctionId id) const { return m_dialog.TextPane(id)->Length(); }

void CWindowRunView::ClearRows(FunctionId id) { m_dialog.ResultList(id)->clear(); }

void CWindowRunView::InsertRow(FunctionId id, int row, unsigned number)
{
    QTreeWidget* list = m_dialog.ResultList(id);
    auto* item = new QTreeWidgetItem;
    item->setText(ColumnIndex(ResultColumn::Number), QString::number(number));
    list->insertTopLevelItem(std::min(row, list->topLevelItemCount()), item);
    list->scrollToItem(item);
}

void CWindowRunView::SetCell(FunctionId id, int row, ResultColumn column, const QString& text)
{
    if (QTreeWidgetItem* item = m_dialog.ResultList(id)->topLevelItem(row))
        item->setText(ColumnIndex(column), text);
}

FunctionId CWindowRunView::SelectedFunction() const { return m_dialog.CurrentFunction(); }

void CWindowRunView::EndRun(FunctionId selected) { m_dialog.OnRunEnded(selected); }

} // namespace netsonde
