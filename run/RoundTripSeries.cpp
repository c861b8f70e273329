// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/RoundTripSeries.h"

#include <utility>

namespace netsonde {

RoundTripSeries::RoundTripSeries(std::size_t capacity) : m_samples(capacity) {}

void RoundTripSeries::Add(qint64 sentMs, std::optional<float> roundTripMs)
{
    m_samples.push_back({sentMs, roundTripMs});
    for (std::size_t index = m_samples.size(); index > 1 && m_samples[index - 2].sentMs > sentMs; --index)
        std::swap(m_samples[index - 2], m_samples[index - 1]);
}

std::size_t RoundTripSeries::FirstAtOrAfter(qint64 ms) const
{
    std::size_t low = 0;
    std::size_t high = m_samples.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (m_samples[middle].sentMs < ms)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

} // namespace netsonde
