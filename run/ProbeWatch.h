// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a view keeps of a watched run's probes: for each hop (0 for Ping) the
// statistics of the whole run and the series its graph draws, both of fixed
// size however long the run goes on.

#include "run/ProbeResult.h"
#include "run/RoundTripSeries.h"
#include "run/RoundTripStatistics.h"

#include <map>

namespace netsonde {

class ProbeWatch {
public:
    void Add(const ProbeResult& probe);
    // Empties every hop's record; a record, once made, stays at its address
    // for the watch's life, so a graph may keep drawing its series.
    void Clear();

    // Empty statistics for a hop of which no probe was noted.
    const RoundTripStatistics& StatisticsOf(unsigned hop) const;
    // None for a hop of which no probe was ever noted.
    const RoundTripSeries* SeriesOf(unsigned hop) const;

private:
    struct HopRecord {
        RoundTripStatistics statistics;
        RoundTripSeries series;
    };

    std::map<unsigned, HopRecord> m_hops;
};

} // namespace netsonde
