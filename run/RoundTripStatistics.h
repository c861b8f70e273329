// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The statistics of a run's round trips, as the status bar, the lists, the
// graph and the report show them: counts, loss, last, average, best, worst,
// sample standard deviation and jitter. Updated probe by probe in constant
// memory, no sample kept: the variance by Welford's method, so that a run of
// days around a large round trip keeps its precision.

#include <QString>

#include <optional>

namespace netsonde {

class RoundTripStatistics {
public:
    // One probe whose wait is over, in send order: its round trip, or none
    // when it was lost.
    void Add(std::optional<double> roundTripMs);

    qint64 Sent() const { return m_sent; }
    qint64 Received() const { return m_received; }
    // Lost probes against those sent; 0 when none was sent.
    double LossPercent() const;
    // The last probe's round trip; none when it was lost or none was sent.
    std::optional<double> Last() const { return m_last; }
    std::optional<double> Average() const;
    std::optional<double> Best() const;
    std::optional<double> Worst() const;
    // The sample standard deviation (n - 1); none below two round trips.
    std::optional<double> StandardDeviation() const;
    // The mean absolute difference between consecutive round trips, lost
    // probes skipped; none below two round trips.
    std::optional<double> Jitter() const;

private:
    std::optional<double> OfReceived(double value) const;

    qint64 m_sent = 0;
    qint64 m_received = 0;
    std::optional<double> m_last;
    std::optional<double> m_previousReceived;
    double m_mean = 0;
    double m_squaredDeviations = 0; // Welford's sum of squared distances from the mean
    double m_best = 0;
    double m_worst = 0;
    double m_meanChange = 0; // running mean of the absolute changes
};

// A round trip as every view shows it: one decimal ("1.3").
QString FormatMilliseconds(double ms);
// A loss as every view shows it: one decimal and a percent sign ("33.3%").
QString LossText(double lossPercent);

} // namespace netsonde
