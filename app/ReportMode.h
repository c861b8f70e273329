// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Report mode: the function the command line selects runs once through the
// run layer and the same function code as the window, with no window, no
// page and no widget at all. Its export text goes to standard output with
// LF line ends, message boxes and (on request) status texts go to standard
// error, and the settings store is only read.

#include "app/ReportOptions.h"

namespace netsonde {

// Exit statuses of report mode.
inline constexpr int kReportDone = 0;
inline constexpr int kReportMessageShown = 1;
inline constexpr int kReportUsageError = 2;
inline constexpr int kReportInterrupted = 130;

// Runs the report that the options describe; returns the exit status.
int RunReport(const ReportOptions& options);

// Writes the error and the usage line to standard error; returns 2.
int ReportUsageError(const QString& reason);

// The export text with every CR LF turned into LF.
QString WithLfLineEnds(const QString& text);

} // namespace netsonde
