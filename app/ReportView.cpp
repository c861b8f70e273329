// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReportView.h"

#include "app/ReportFormats.h"

#include <algorithm>
#include <cstdio>

namespace netsonde {

namespace {

void WriteOut(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace

void ReportView::BeginRun(const RunInputs&)
{
    m_began = QDateTime::currentDateTimeUtc();
    if (m_probeLines)
        WriteOut(ProbeCsvHeader());
}

void ReportView::NoteProbe(FunctionId, const ProbeResult& probe)
{
    m_watch.Add(probe);
    if (m_probeLines)
        WriteOut(ProbeCsvLine(m_began, probe));
}

void ReportView::ShowStatusText(const QString& text)
{
    if (!m_progress)
        return;
    const QByteArray line = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
}

void ReportView::SetPaneText(FunctionId, const QString& text)
{
    m_pane = text;
}

void ReportView::AppendPaneText(FunctionId, const QString& text)
{
    m_pane += text;
}

qsizetype ReportView::PaneLength(FunctionId) const
{
    return m_pane.size();
}

void ReportView::NoteReceivedBytes(FunctionId id, QByteArrayView bytes)
{
    m_bytesReceived += bytes.size();
    if (id == FunctionId::NameServerLookUp)
        m_dnsAnswer = bytes.toByteArray();
}

void ReportView::ClearRows(FunctionId)
{
    m_rows.clear();
    m_droppedRows = 0;
    m_watch.Clear();
}

void ReportView::InsertRow(FunctionId, int row, unsigned number)
{
    if (row < m_droppedRows)
        return;
    if (m_rows.size() >= kMaxPingRows) {
        m_rows.removeFirst();
        ++m_droppedRows;
    }
    QStringList cells(ColumnIndex(ResultColumn::Number) + 1);
    cells[ColumnIndex(ResultColumn::Number)] = QString::number(number);
    m_rows.insert(std::clamp<qsizetype>(row - m_droppedRows, 0, m_rows.size()), cells);
}

void ReportView::SetCell(FunctionId, int row, ResultColumn column, const QString& text)
{
    const qint64 kept = row - m_droppedRows;
    if (kept < 0 || kept >= m_rows.size())
        return;
    QStringList& cells = m_rows[kept];
    cells.resize(std::max<qsizetype>(cells.size(), ColumnIndex(column) + 1));
    cells[ColumnIndex(column)] = text;
}

} // namespace netsonde
