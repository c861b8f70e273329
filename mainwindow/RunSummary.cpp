// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/RunSummary.h"

#include <cmath>

namespace netsonde {

namespace {

const QString kMillisecondsSuffix = QStringLiteral(" ms");
constexpr qsizetype kLongestTimeDigits = 10;

std::vector<unsigned> AnsweredTimes(const std::vector<SummaryRow>& rows)
{
    std::vector<unsigned> times;
    for (const SummaryRow& row : rows) {
        if (const std::optional<unsigned> ms = ResponseTimeOf(row.responseTime))
            times.push_back(*ms);
    }
    return times;
}

QString OneDecimal(double value)
{
    return QString::number(value, 'f', 1);
}

QString MinAvgMax(const RoundTripStatistics& statistics)
{
    return QStringLiteral("min/avg/max %1/%2/%3 ms")
        .arg(OneDecimal(statistics.Best().value_or(0)), OneDecimal(statistics.Average().value_or(0)),
             OneDecimal(statistics.Worst().value_or(0)));
}

} // namespace

std::optional<unsigned> ResponseTimeOf(const QString& cell)
{
    if (!cell.endsWith(kMillisecondsSuffix))
        return std::nullopt;
    const QString digits = cell.chopped(kMillisecondsSuffix.size());
    if (digits.isEmpty() || digits.size() > kLongestTimeDigits)
        return std::nullopt;
    bool ok = false;
    const unsigned ms = digits.toUInt(&ok);
    return ok ? std::optional{ms} : std::nullopt;
}

QString PingSummary(const RoundTripStatistics& statistics)
{
    if (statistics.Sent() == 0)
        return {};
    const auto loss = static_cast<long>(std::lround(statistics.LossPercent()));
    QString text =
        QStringLiteral("%1 sent, %2 received, %3% loss").arg(statistics.Sent()).arg(statistics.Received()).arg(loss);
    if (statistics.Received() != 0)
        text += QStringLiteral(", ") + MinAvgMax(statistics);
    return text;
}

bool TraceReachedDestination(const std::vector<SummaryRow>& rows, const TraceEnd& end)
{
    if (!end.completed || rows.empty() || !ResponseTimeOf(rows.back().responseTime))
        return false;
    return rows.size() < end.maxHops || rows.back().address == end.host.trimmed();
}

QString TraceRouteSummary(const std::vector<SummaryRow>& rows, const TraceEnd& end)
{
    if (rows.empty())
        return {};
    return QStringLiteral("%1 %2, %3 answered, destination %4")
        .arg(rows.size())
        .arg(rows.size() == 1 ? QStringLiteral("hop") : QStringLiteral("hops"))
        .arg(AnsweredTimes(rows).size())
        .arg(TraceReachedDestination(rows, end) ? QStringLiteral("reached") : QStringLiteral("not reached"));
}

} // namespace netsonde
