// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a run shows, and nothing else: the window is one adapter of this
// interface and report mode another. The run layer calls it on the
// user-interface thread only, and only for the run in progress.

#include "platform/resolver/Resolver.h"
#include "run/DnsExchange.h"
#include "run/FunctionId.h"
#include "run/ProbeResult.h"
#include "run/ResultColumns.h"
#include "run/RunInputs.h"
#include "run/WhoIsHop.h"

#include <QByteArrayView>
#include <QString>

#include <vector>

namespace netsonde {

// The newest rows a view keeps of a list: a Ping run until stopped drops its
// oldest rows beyond it.
constexpr int kMaxPingRows = 10000;

class RunView {
public:
    virtual ~RunView() = default;

    // The run's input is accepted: the window disables its inputs and shows
    // the function's pane.
    virtual void BeginRun(const RunInputs& inputs) = 0;
    // The host (and name server) go into the page's Recent List.
    virtual void RecordRecentHost(const RunInputs& inputs) = 0;
    virtual void ShowStatusText(const QString& text) = 0;

    // Text panes (Finger, WhoIs, NS LookUp, QoD).
    virtual void SetPaneText(FunctionId id, const QString& text) = 0;
    virtual void AppendPaneText(FunctionId id, const QString& text) = 0;
    // Characters in the pane now, counting text of earlier runs it keeps.
    virtual qsizetype PaneLength(FunctionId id) const = 0;

    // Result lists (Ping, TraceRoute).
    virtual void ClearRows(FunctionId id) = 0;
    // The columns the run fills, in order; views that know the run's inputs
    // (report mode) need not be told.
    virtual void ShowColumns(FunctionId, const std::vector<ResultColumn>&) {}
    // `row` counts the run's rows from its first, dropped ones included: a
    // view whose list is full drops its oldest row before it inserts one, and
    // ignores cells of rows it dropped.
    virtual void InsertRow(FunctionId id, int row, unsigned number) = 0;
    virtual void SetCell(FunctionId id, int row, ResultColumn column, const QString& text) = 0;

    // The function whose tab is selected now (the run's own in report mode).
    virtual FunctionId SelectedFunction() const = 0;

    // Ends the run's view: inputs enabled again, the focus on the host field.
    virtual void EndRun(FunctionId id) = 0;

    // What a run received beyond what it shows, for views that keep a
    // record of the run (report mode); the window keeps none of it.
    // Each read of a text query's socket, or the DNS answer NS LookUp reports.
    virtual void NoteReceivedBytes(FunctionId, QByteArrayView) {}
    // The host entry that NS LookUp's resolver mode reports for its target.
    virtual void NoteResolvedHost(const HostEntry&) {}
    // How NS LookUp got the answer it reports, noted with its bytes.
    virtual void NoteDnsExchange(const DnsExchange&) {}
    // Each server WhoIs asked in automatic mode, once its hop has ended.
    virtual void NoteWhoIsHop(const WhoIsHop&) {}
    // TraceRoute stopped at a hop where the destination answered.
    virtual void NoteDestinationReached() {}
    // Each probe of Ping and of TraceRoute once its wait is over.
    virtual void NoteProbe(FunctionId, const ProbeResult&) {}
};

} // namespace netsonde
