// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ResultPane.h"

#include "mainwindow/RoundTripGraph.h"
#include "run/RunView.h"

#include <QCheckBox>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace netsonde {

namespace {

constexpr int kRefreshIntervalMs = 100;

} // namespace

ResultPane::ResultPane(bool ping, QWidget* parent)
    : QWidget(parent), m_ping(ping), m_graphBox(new QCheckBox(QStringLiteral("Graph"), this)),
      m_list(new QTreeWidget(this)), m_graph(new RoundTripGraph(this)), m_refresh(new QTimer(this))
{
    m_refresh->setSingleShot(true);
    m_refresh->setInterval(kRefreshIntervalMs);
    m_graph->hide();
    // The pane takes the focus for its list, and is read out by its name.
    setFocusPolicy(m_list->focusPolicy());
    setFocusProxy(m_list);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_graphBox, 0, Qt::AlignRight);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_graph, 1);
    connect(m_graphBox, &QCheckBox::toggled, this, &ResultPane::ShowGraph);
    connect(m_refresh, &QTimer::timeout, this, &ResultPane::OnRefreshDue);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &ResultPane::ShowProbes);
}

void ResultPane::ClearRows()
{
    m_list->clear();
    m_droppedRows = 0;
    m_probes.Clear();
    ShowProbes();
}

void ResultPane::InsertRow(int row, unsigned number)
{
    if (row < m_droppedRows)
        return;
    if (m_list->topLevelItemCount() >= kMaxPingRows) {
        delete m_list->takeTopLevelItem(0);
        ++m_droppedRows;
    }
    auto* item = new QTreeWidgetItem;
    item->setText(ColumnIndex(ResultColumn::Number), QString::number(number));
    m_list->insertTopLevelItem(std::min(row - m_droppedRows, m_list->topLevelItemCount()), item);
    m_list->scrollToItem(item);
}

void ResultPane::SetCell(int row, ResultColumn column, const QString& text)
{
    if (QTreeWidgetItem* item = row < m_droppedRows ? nullptr : m_list->topLevelItem(row - m_droppedRows))
        item->setText(ColumnIndex(column), text);
}

int ResultPane::RunRowOf(QTreeWidgetItem* item) const
{
    return m_list->indexOfTopLevelItem(item) + m_droppedRows;
}

void ResultPane::NoteProbe(const ProbeResult& probe)
{
    m_probes.Add(probe);
    if (!m_refresh->isActive())
        m_refresh->start();
}

void ResultPane::OnRefreshDue()
{
    if (m_graph->isVisibleTo(this))
        ShowProbes();
    Q_EMIT probesNoted();
}

void ResultPane::ShowGraph(bool shown)
{
    m_list->setVisible(!shown);
    m_graph->setVisible(shown);
    ShowProbes();
}

void ResultPane::ShowProbes()
{
    m_graph->SetSeries(m_probes.SeriesOf(ShownHop()));
}

// A TraceRoute row's number is its hop; no row shows no hop (0).
unsigned ResultPane::ShownHop() const
{
    if (m_ping)
        return 0;
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    const int count = m_list->topLevelItemCount();
    const QTreeWidgetItem* row = selected.isEmpty() ? m_list->topLevelItem(count - 1) : selected.front();
    return row ? row->text(ColumnIndex(ResultColumn::Number)).toUInt() : 0;
}

} // namespace netsonde
