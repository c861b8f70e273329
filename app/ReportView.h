// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Report mode's view of a run: it keeps the run's record (the pane's text or
// the result rows, the bytes received, the host entry resolved, how NS
// LookUp's answer came, whether the route reached its destination, the
// servers WhoIs asked) and writes status texts to standard error on request.
// With `probeLines` it writes a CSV line for each probe whose wait is over
// to standard output as it comes, after a header line at the run's start:
// the memory stays the same however long the run goes.

#include "run/ProbeWatch.h"
#include "run/RunView.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

#include <optional>

namespace netsonde {

class ReportView final : public RunView {
public:
    ReportView(FunctionId function, bool progress, bool probeLines = false)
        : m_function(function), m_progress(progress), m_probeLines(probeLines)
    {
    }

    void BeginRun(const RunInputs&) override;
    void RecordRecentHost(const RunInputs&) override {}
    void ShowStatusText(const QString& text) override;
    void SetPaneText(FunctionId id, const QString& text) override;
    void AppendPaneText(FunctionId id, const QString& text) override;
    qsizetype PaneLength(FunctionId id) const override;
    void ClearRows(FunctionId id) override;
    void InsertRow(FunctionId id, int row, unsigned number) override;
    void SetCell(FunctionId id, int row, ResultColumn column, const QString& text) override;
    FunctionId SelectedFunction() const override { return m_function; }
    void EndRun(FunctionId) override {}
    void NoteReceivedBytes(FunctionId id, QByteArrayView bytes) override;
    void NoteResolvedHost(const HostEntry& entry) override { m_resolvedHost = entry; }
    void NoteDnsExchange(const DnsExchange& exchange) override { m_dnsExchange = exchange; }
    void NoteWhoIsHop(const WhoIsHop& hop) override { m_whoIsHops.append(hop); }
    void NoteDestinationReached() override { m_destinationReached = true; }
    void NoteProbe(FunctionId id, const ProbeResult& probe) override;

    const QString& PaneText() const { return m_pane; }
    // The newest kMaxPingRows rows, and how many older ones were dropped. A
    // row holds its cells up to the last one set: read them with value().
    const QList<QStringList>& Rows() const { return m_rows; }
    qint64 DroppedRows() const { return m_droppedRows; }
    const ProbeWatch& Probes() const { return m_watch; }
    qint64 BytesReceived() const { return m_bytesReceived; }
    // The DNS answer NS LookUp reported, if any.
    const std::optional<QByteArray>& DnsAnswer() const { return m_dnsAnswer; }
    const std::optional<HostEntry>& ResolvedHost() const { return m_resolvedHost; }
    // How the last DNS answer noted came, if any.
    const std::optional<DnsExchange>& LastDnsExchange() const { return m_dnsExchange; }
    bool DestinationReached() const { return m_destinationReached; }
    // Each server WhoIs asked in automatic mode, in order.
    const QList<WhoIsHop>& WhoIsHops() const { return m_whoIsHops; }

private:
    FunctionId m_function;
    bool m_progress;
    bool m_probeLines;
    QDateTime m_began; // UTC
    QString m_pane;
    QList<QStringList> m_rows;
    qint64 m_droppedRows = 0;
    ProbeWatch m_watch;
    qint64 m_bytesReceived = 0;
    std::optional<QByteArray> m_dnsAnswer;
    std::optional<HostEntry> m_resolvedHost;
    std::optional<DnsExchange> m_dnsExchange;
    bool m_destinationReached = false;
    QList<WhoIsHop> m_whoIsHops;
};

} // namespace netsonde
