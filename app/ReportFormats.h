// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The machine-readable forms of a report: one JSON object per run, and CSV
// rows for Ping and TraceRoute. The text form is the export text of Save.

#include "app/ReportView.h"
#include "run/RunInputs.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

namespace netsonde {

// Everything a run leaves for its report.
struct ReportRecord {
    const RunInputs& inputs;
    const ReportView& view;
    QDateTime started; // UTC
    int exitStatus = 0;
    QStringList messages; // the message-box texts, in the order shown
};

inline constexpr char kReportJsonFormat[] = "netsonde-report/1";

// The run as one JSON object (indented, ending with a line end).
QByteArray ReportJson(const ReportRecord& record);

// The result rows as CSV after a header line ("seq" or "hop", address,
// name, time_ms), quoted as RFC 4180 has it, with CR LF line ends.
QByteArray ReportCsv(const RunInputs& inputs, const QList<QStringList>& rows);

// A repeated trace's CSV: the header line, and the line of one probe whose
// wait is over (its send time as ISO 8601 UTC from the run's start).
QByteArray ProbeCsvHeader();
QByteArray ProbeCsvLine(const QDateTime& began, const ProbeResult& probe);

} // namespace netsonde
