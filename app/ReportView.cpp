// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReportView.h"

#include <algorithm>
#include <cstdio>

namespace netsonde {

void CReportView::ShowStatusText(const QString& text)
{
    if (!m_bProgress)
        return;
    const QByteArray line = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
}

void CReportView::SetPaneText(FunctionId, const QString& text) { m_strPane = text; }

void CReportView::AppendPaneText(FunctionId, const QString& text) { m_strPane += text; }

qsizetype CReportView::PaneLength(FunctionId) const { return m_strPane.size(); }

void CReportView::NoteReceivedBytes(FunctionId id, QByteArrayView bytes)
{
    m_nBytesReceived += bytes.size();
    if (id == FunctionId::NameServerLookUp)
        m_dnsAnswer = bytes.toByteArray();
}

void CReportView::ClearRows(FunctionId) { m_rows.clear(); }

void CReportView::InsertRow(FunctionId, int row, unsigned number)
{
    QStringList cells(kResultColumnCount);
    cells[ColumnIndex(ResultColumn::Number)] = QString::number(number);
    m_rows.insert(std::clamp<qsizetype>(row, 0, m_rows.size()), cells);
}

void CReportView::SetCell(FunctionId, int row, ResultColumn column, const QString& text)
{
    if (row >= 0 && row < m_rows.size())
        m_rows[row][ColumnIndex(column)] = text;
}

} // namespace netsonde
