// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/RoundTripStatistics.h"

#include <algorithm>
#include <cmath>

namespace netsonde {

void RoundTripStatistics::Add(std::optional<double> roundTripMs)
{
    ++m_sent;
    m_last = roundTripMs;
    if (!roundTripMs)
        return;
    const double value = *roundTripMs;
    ++m_received;
    const double delta = value - m_mean;
    m_mean += delta / static_cast<double>(m_received);
    m_squaredDeviations += delta * (value - m_mean);
    m_best = m_received == 1 ? value : std::min(m_best, value);
    m_worst = m_received == 1 ? value : std::max(m_worst, value);
    if (m_previousReceived) {
        const double change = std::abs(value - *m_previousReceived);
        m_meanChange += (change - m_meanChange) / static_cast<double>(m_received - 1);
    }
    m_previousReceived = value;
}

double RoundTripStatistics::LossPercent() const
{
    if (m_sent == 0)
        return 0;
    return 100.0 * static_cast<double>(m_sent - m_received) / static_cast<double>(m_sent);
}

std::optional<double> RoundTripStatistics::Average() const
{
    return OfReceived(m_mean);
}

std::optional<double> RoundTripStatistics::Best() const
{
    return OfReceived(m_best);
}

std::optional<double> RoundTripStatistics::Worst() const
{
    return OfReceived(m_worst);
}

std::optional<double> RoundTripStatistics::StandardDeviation() const
{
    if (m_received < 2)
        return std::nullopt;
    return std::sqrt(m_squaredDeviations / static_cast<double>(m_received - 1));
}

std::optional<double> RoundTripStatistics::Jitter() const
{
    if (m_received < 2)
        return std::nullopt;
    return m_meanChange;
}

std::optional<double> RoundTripStatistics::OfReceived(double value) const
{
    return m_received > 0 ? std::optional<double>(value) : std::nullopt;
}

QString FormatMilliseconds(double ms)
{
    return QString::number(ms, 'f', 1);
}

QString LossText(double lossPercent)
{
    return QString::number(lossPercent, 'f', 1) + QLatin1Char('%');
}

} // namespace netsonde
