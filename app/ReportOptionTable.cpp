// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReportOptionTable.h"

#include <algorithm>
#include <cmath>

namespace netsonde {

namespace {

using enum FunctionId;

std::optional<ReportFormat> FormatOfWord(const QString& word)
{
    if (word == QLatin1String("text"))
        return ReportFormat::Text;
    if (word == QLatin1String("json"))
        return ReportFormat::Json;
    if (word == QLatin1String("csv"))
        return ReportFormat::Csv;
    return std::nullopt;
}

template <std::optional<int> ReportOptions::*number>
QString SetNumber(ReportOptions& options, const QString& name, const QString& value)
{
    bool ok = false;
    const int parsed = value.toInt(&ok, 10);
    if (!ok)
        return QStringLiteral("--%1 needs a whole number, not \"%2\"").arg(name, value);
    options.*number = parsed;
    return {};
}

template <std::optional<QString> ReportOptions::*text>
QString SetText(ReportOptions& options, const QString&, const QString& value)
{
    options.*text = value;
    return {};
}

template <bool ReportOptions::*flag>
QString SetFlag(ReportOptions& options, const QString&, const QString&)
{
    options.*flag = true;
    return {};
}

QString SetSearchType(ReportOptions& options, const QString&, const QString& value)
{
    options.searchType = SearchTypeOfWord(value);
    return options.searchType ? QString() : QStringLiteral("unknown search type \"%1\"").arg(value);
}

QString SetFormat(ReportOptions& options, const QString&, const QString& value)
{
    const std::optional<ReportFormat> format = FormatOfWord(value);
    if (!format)
        return QStringLiteral("unknown format \"%1\" (text, json or csv)").arg(value);
    options.format = *format;
    return {};
}

constexpr double kShortestIntervalSeconds = 0.1;
constexpr double kLongestIntervalSeconds = 60;
constexpr double kMillisecondsPerSecond = 1000;

QString SetInterval(ReportOptions& options, const QString&, const QString& value)
{
    bool ok = false;
    const double seconds = value.toDouble(&ok);
    if (!ok || !(seconds >= kShortestIntervalSeconds && seconds <= kLongestIntervalSeconds))
        return QStringLiteral("--interval needs seconds between 0.1 and 60, not \"%1\"").arg(value);
    options.intervalMs = static_cast<int>(std::lround(seconds * kMillisecondsPerSecond));
    return {};
}

// --report needs no value: its presence chose this reading.
QString SetReport(ReportOptions&, const QString&, const QString&)
{
    return {};
}

// --help wins over --version.
QString SetHelp(ReportOptions& options, const QString&, const QString&)
{
    options.mode = ReportOptions::Mode::Help;
    return {};
}

QString SetVersion(ReportOptions& options, const QString&, const QString&)
{
    if (options.mode != ReportOptions::Mode::Help)
        options.mode = ReportOptions::Mode::Version;
    return {};
}

// Every option of ours, in the order of --help.
// clang-format off
const ReportOption kReportOptions[] = {
    {"count", "N", {Ping}, "number of pings (0: until interrupted)", SetNumber<&ReportOptions::count>},
    {"timeout", "S", {Ping, TraceRoute, NameServerLookUp}, "time-out in seconds", SetNumber<&ReportOptions::timeout>},
    {"delay", "MS", {Ping}, "pause between pings in milliseconds", SetNumber<&ReportOptions::delay>},
    {"hops", "N", {TraceRoute}, "maximum hops", SetNumber<&ReportOptions::hops>},
    {"no-resolve", nullptr, {Ping, TraceRoute}, "do not resolve IP addresses", SetFlag<&ReportOptions::noResolve>},
    {"sequential", nullptr, {TraceRoute}, "probe one hop at a time", SetFlag<&ReportOptions::oneHopAtATime>},
    {"asn", nullptr, {TraceRoute}, "show AS numbers", SetFlag<&ReportOptions::showAsNumbers>},
    {"rounds", "N", {TraceRoute}, "probe every hop N times, with statistics (0: until Ctrl-C)", SetNumber<&ReportOptions::rounds>},
    {"interval", "S", {TraceRoute}, "seconds between rounds, 0.1 to 60 (default 1)", SetInterval},
    {"verbose", nullptr, {Finger, NameServerLookUp}, "verbose format", SetFlag<&ReportOptions::verbose>},
    {"type", "WORD", {NameServerLookUp}, "search type (A, MX, ALL, ... or gethostbyx)", SetSearchType},
    {"server", "HOST", {NameServerLookUp}, "name server", SetText<&ReportOptions::server>},
    {"tries", "N", {NameServerLookUp}, "number of tries", SetNumber<&ReportOptions::tries>},
    {"bufsize", "N", {NameServerLookUp}, "UDP payload size, 512 to 4096 (0: no EDNS)", SetNumber<&ReportOptions::udpPayloadSize>},
    {"tcp", nullptr, {NameServerLookUp}, "ask over TCP", SetFlag<&ReportOptions::useTcp>},
    {"dnssec", nullptr, {NameServerLookUp}, "request DNSSEC records", SetFlag<&ReportOptions::requestDnssec>},
    {"user", "TEXT", {Finger, WhoIs}, "user; WhoIs: the query (a domain, an address or prefix, AS64500)", SetText<&ReportOptions::user>},
    {"progress", nullptr, {}, "write every status-line text to standard error", SetFlag<&ReportOptions::progress>},
    {"format", "WORD", {}, "text (the default), json or csv (Ping, TraceRoute)", SetFormat},
    {"report", nullptr, {}, nullptr, SetReport, true},
    {"help", nullptr, {}, nullptr, SetHelp, true},
    {"version", nullptr, {}, nullptr, SetVersion, true},
};
// clang-format on

} // namespace

std::span<const ReportOption> AllReportOptions()
{
    return kReportOptions;
}

const ReportOption* FindReportOption(const QString& name)
{
    for (const ReportOption& option : kReportOptions) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

bool AppliesTo(const ReportOption& option, FunctionId function)
{
    return option.functions.size() == 0 || std::ranges::find(option.functions, function) != option.functions.end();
}

} // namespace netsonde
