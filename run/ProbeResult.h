// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One probe of a watched run whose wait is over: what the statistics, the
// graph and the per-probe report are made of.

#include <QString>
#include <QtGlobal>

#include <optional>

namespace netsonde {

struct ProbeResult {
    unsigned hop = 0;                  // TraceRoute's hop; 0 for Ping
    unsigned sequence = 0;             // Ping: the request's number; TraceRoute: the round, from 1
    qint64 sentMs = 0;                 // when it was sent, in milliseconds since the run began
    QString address;                   // the host that answered; empty when none did
    std::optional<double> roundTripMs; // none: lost
};

} // namespace netsonde
