// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pane of Ping or TraceRoute: the result list or, while its Graph box is
// ticked, the graph of the run's round trips in its place: Ping's, or the
// hop of the selected row (the last row when none is selected). It keeps the
// run's newest kMaxPingRows rows, addressed as the run layer counts them,
// and the run's probes; the graph follows them at most ten times a second.

#include "run/ProbeWatch.h"
#include "run/ResultColumns.h"

#include <QWidget>

class QCheckBox;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace netsonde {

class RoundTripGraph;

class ResultPane final : public QWidget {
    Q_OBJECT
public:
    ResultPane(bool ping, QWidget* parent);

    QTreeWidget* List() const { return m_list; }
    QCheckBox* GraphBox() const { return m_graphBox; }
    RoundTripGraph* Graph() const { return m_graph; }
    const ProbeWatch& Probes() const { return m_probes; }

    // The rows as the run layer addresses them (see RunView::InsertRow).
    // Clearing them begins a run: its probes go too.
    void ClearRows();
    void InsertRow(int row, unsigned number);
    void SetCell(int row, ResultColumn column, const QString& text);
    // The run's own index of a row of the list.
    int RunRowOf(QTreeWidgetItem* item) const;

    void NoteProbe(const ProbeResult& probe);

Q_SIGNALS:
    // Probes were noted since the last such signal; at most ten a second.
    void probesNoted();

private:
    void OnRefreshDue();
    void ShowGraph(bool shown);
    void ShowProbes();
    unsigned ShownHop() const;

    const bool m_ping;
    QCheckBox* m_graphBox;
    QTreeWidget* m_list;
    RoundTripGraph* m_graph;
    QTimer* m_refresh;
    ProbeWatch m_probes;
    int m_droppedRows = 0;
};

} // namespace netsonde
