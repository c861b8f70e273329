// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/ProbeWatch.h"

namespace netsonde {

void ProbeWatch::Add(const ProbeResult& probe)
{
    HopRecord& record = m_hops[probe.hop];
    record.statistics.Add(probe.roundTripMs);
    const std::optional<float> roundTrip =
        probe.roundTripMs ? std::optional{static_cast<float>(*probe.roundTripMs)} : std::nullopt;
    record.series.Add(probe.sentMs, roundTrip);
}

void ProbeWatch::Clear()
{
    for (auto& [hop, record] : m_hops) {
        record.statistics = {};
        record.series.Clear();
    }
}

const RoundTripStatistics& ProbeWatch::StatisticsOf(unsigned hop) const
{
    static const RoundTripStatistics none;
    const auto found = m_hops.find(hop);
    return found == m_hops.end() ? none : found->second.statistics;
}

const RoundTripSeries* ProbeWatch::SeriesOf(unsigned hop) const
{
    const auto found = m_hops.find(hop);
    return found == m_hops.end() ? nullptr : &found->second.series;
}

} // namespace netsonde
