// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Report mode's view of a run: it keeps the run's record (the pane's text or
// the result rows, the bytes received, the host entry resolved, whether the
// route reached its destination) and writes status texts to standard error
// on request.

#include "run/RunView.h"

#include <QList>
#include <QStringList>

#include <optional>

namespace netsonde {

class CReportView final : public IRunView {
public:
    CReportView(FunctionId function, bool bProgress) : m_function(function), m_bProgress(bProgress) {}

    void BeginRun(const CRunInputs&) override {}
    void RecordRecentHost(const CRunInputs&) override {}
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
    void NoteResolvedHost(const CHostEntry& entry) override { m_resolvedHost = entry; }
    void NoteDestinationReached() override { m_bDestinationReached = true; }

    const QString& PaneText() const { return m_strPane; }
    const QList<QStringList>& Rows() const { return m_rows; }
    qint64 BytesReceived() const { return m_nBytesReceived; }
    // The DNS answer NS LookUp reported, if any.
    const std::optional<QByteArray>& DnsAnswer() const { return m_dnsAnswer; }
    const std::optional<CHostEntry>& ResolvedHost() const { return m_resolvedHost; }
    bool DestinationReached() const { return m_bDestinationReached; }

private:
    FunctionId m_function;
    bool m_bProgress;
    QString m_strPane;
    QList<QStringList> m_rows;
    qint64 m_nBytesReceived = 0;
    std::optional<QByteArray> m_dnsAnswer;
    std::optional<CHostEntry> m_resolvedHost;
    bool m_bDestinationReached = false;
};

} // namespace netsonde
