// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/RunSummary.h"

#include <algorithm>
#include <cmath>
#include <numeric>

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

QString MinAvgMax(const std::vector<unsigned>& times)
{
    const auto [least, most] = std::minmax_element(times.begin(), times.end());
    const double sum = std::accumulate(times.begin(), times.end(), 0.0);
    return QStringLiteral("min/avg/max %1/%2/%3 ms")
        .arg(OneDecimal(*least), OneDecimal(sum / static_cast<double>(times.size())), OneDecimal(*most));
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

QString PingSummary(const std::vector<SummaryRow>& rows)
{
    if (rows.empty())
        return {};
    const std::vector<unsigned> times = AnsweredTimes(rows);
    const std::size_t sent = rows.size();
    const std::size_t lost = sent - times.size();
    const auto loss = static_cast<long>(std::lround(100.0 * static_cast<double>(lost) / static_cast<double>(sent)));
    QString text = QStringLiteral("%1 sent, %2 received, %3% loss").arg(sent).arg(times.size()).arg(loss);
    if (!times.empty())
        text += QStringLiteral(", ") + MinAvgMax(times);
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
