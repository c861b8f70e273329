// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The summary of a Ping or TraceRoute run: "3 sent, 3 received, 0% loss,
// min/avg/max 1.0/1.3/2.0 ms" from the statistics of the whole run, or
// "8 hops, 6 answered, destination reached" from the list's rows when the
// run ends. The status bar shows it on its right.

#include "run/RoundTripStatistics.h"

#include <QString>

#include <optional>
#include <vector>

namespace netsonde {

// The cells of one result row the summary reads.
struct SummaryRow {
    QString address;
    QString responseTime; // "N ms", empty for no response
};

// The milliseconds of a Response Time cell; none for a row without response.
std::optional<unsigned> ResponseTimeOf(const QString& cell);

// Empty for a run that sent nothing.
QString PingSummary(const RoundTripStatistics& statistics);

// How a trace ended. The trace stops before its hop limit only where the
// destination (or the second address it answered from) answered, so a trace
// that ended by itself with its last row answered reached its destination
// when it has fewer rows than hops allowed; at the limit only a last address
// equal to the host as typed (a dotted address) shows it was reached.
struct TraceEnd {
    bool completed = false; // ended by itself, not stopped
    unsigned maxHops = 0;
    QString host; // as typed
};

bool TraceReachedDestination(const std::vector<SummaryRow>& rows, const TraceEnd& end);

// Empty for a list without rows.
QString TraceRouteSummary(const std::vector<SummaryRow>& rows, const TraceEnd& end);

} // namespace netsonde
