// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The round trips of a run as its graph draws them: each probe's send time
// and round trip, oldest first, in a ring of fixed capacity, so that a run of
// days keeps the same memory: kRoundTripSeriesCapacity samples of 16 bytes
// (225 KiB), the last 4 hours at one probe a second; older ones are dropped.

#include "run/RingBuffer.h"

#include <QtGlobal>

#include <optional>

namespace netsonde {

constexpr std::size_t kRoundTripSeriesCapacity = 14400;

struct RoundTripSample {
    qint64 sentMs = 0;                // since the run began
    std::optional<float> roundTripMs; // none: the probe was lost
};

class RoundTripSeries {
public:
    explicit RoundTripSeries(std::size_t capacity = kRoundTripSeriesCapacity);

    // A probe whose wait is over. One sent before probes already added
    // (a lost probe's wait ends late) takes its place by send time.
    void Add(qint64 sentMs, std::optional<float> roundTripMs);
    void Clear() { m_samples.clear(); }

    std::size_t Count() const { return m_samples.size(); }
    bool IsEmpty() const { return m_samples.empty(); }
    const RoundTripSample& At(std::size_t index) const { return m_samples[index]; }
    qint64 FirstMs() const { return m_samples.front().sentMs; }
    qint64 LastMs() const { return m_samples.back().sentMs; }
    // The index of the first sample sent at or after `ms`; Count() when none.
    std::size_t FirstAtOrAfter(qint64 ms) const;

private:
    RingBuffer<RoundTripSample> m_samples;
};

} // namespace netsonde
