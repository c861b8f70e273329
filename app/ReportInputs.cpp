// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReportInputs.h"

#include "dns/LookUpOptions.h"
#include "dns/SearchTypeTable.h"
#include "icmp/TraceOptions.h"
#include "query/AddressSplitting.h"
#include "settings/RecentList.h"
#include "settings/SettingsKeys.h"

namespace netsonde {

namespace {

// A value for a page field must lie in the field's own range.
QString OutOfRange(SettingKey key, const char* option, const std::optional<int>& value)
{
    const SettingInfo& info = SettingInfoOf(key);
    if (!value || (*value >= info.minimum && *value <= info.maximum))
        return {};
    return QStringLiteral("--%1 must lie between %2 and %3")
        .arg(QLatin1String(option))
        .arg(info.minimum)
        .arg(info.maximum);
}

unsigned StoredOr(SettingKey key, const std::optional<int>& value)
{
    return static_cast<unsigned>(value.value_or(ReadIntSetting(key)));
}

void FillPing(const ReportOptions& options, RunInputs& inputs)
{
    inputs.timeout = StoredOr(SettingKey::PingTimeout, options.timeout);
    // --count 0 pings until interrupted; the stored Until Stopped is not read,
    // so that a script never waits for an interrupt it did not ask for.
    inputs.pingUntilStopped = options.count == 0;
    inputs.pings = inputs.pingUntilStopped ? 0 : StoredOr(SettingKey::PingNumberOfPings, options.count);
    inputs.delay = StoredOr(SettingKey::PingDelay, options.delay);
    inputs.resolve = ReadFlagSetting(SettingKey::PingResolve) && !options.noResolve;
}

void FillTraceRoute(const ReportOptions& options, RunInputs& inputs)
{
    inputs.timeout = StoredOr(SettingKey::TraceRouteTimeout, options.timeout);
    inputs.maxHops = StoredOr(SettingKey::TraceRouteHops, options.hops);
    inputs.resolve = ReadFlagSetting(SettingKey::TraceRouteResolve) && !options.noResolve;
    ReadStoredTraceOptions(inputs);
    inputs.probeOneHopAtATime = inputs.probeOneHopAtATime || options.oneHopAtATime;
    inputs.showAsNumbers = inputs.showAsNumbers || options.showAsNumbers;
    inputs.rounds = static_cast<unsigned>(options.rounds.value_or(1));
    inputs.roundIntervalMs =
        static_cast<unsigned>(options.intervalMs.value_or(static_cast<int>(inputs.roundIntervalMs)));
}

// "user@host" in the host field is split as the page splits it.
void FillUserHost(const ReportOptions& options, SettingKey fireWall, RunInputs& inputs)
{
    inputs.user = options.user.value_or(QString());
    if (ReadFlagSetting(SettingKey::SmartAddressSplitting)) {
        if (const auto parts = SplitAtFirstAt(inputs.host)) {
            inputs.user = parts->user;
            inputs.host = parts->host;
        }
    }
    inputs.fireWall = ReadTextSetting(fireWall);
}

void FillNameServerLookUp(const ReportOptions& options, RunInputs& inputs)
{
    // Without a type the command line's own rule selects the first entry.
    inputs.searchType = options.searchType.value_or(QString::fromLatin1(SearchTypeTable[0].text));
    inputs.nameServer =
        options.server.value_or(RecentList::Parse(ReadTextSetting(SettingKey::NsLookUpNameServers)).value(0));
    inputs.verboseFormat = ReadFlagSetting(SettingKey::NsLookUpVerboseFormat) || options.verbose;
    ReadStoredLookUpOptions(inputs);
    if (options.timeout)
        inputs.timeout = static_cast<unsigned>(*options.timeout);
    if (options.tries)
        inputs.tries = static_cast<unsigned>(*options.tries);
    if (options.udpPayloadSize)
        inputs.udpPayloadSize = UsableUdpPayloadSize(static_cast<unsigned>(*options.udpPayloadSize));
    inputs.useTcp = inputs.useTcp || options.useTcp;
    inputs.requestDnssec = inputs.requestDnssec || options.requestDnssec;
}

// The setting whose range --timeout must lie in: the selected function's.
SettingKey TimeoutKey(const ReportOptions& options)
{
    const auto function = static_cast<FunctionId>(options.FunctionIndex());
    if (function == FunctionId::Ping)
        return SettingKey::PingTimeout;
    return function == FunctionId::NameServerLookUp ? SettingKey::NsLookUpTimeout : SettingKey::TraceRouteTimeout;
}

constexpr int kMostRounds = 1000000;

QString RoundsOutOfRange(const std::optional<int>& rounds)
{
    if (!rounds || (*rounds >= 0 && *rounds <= kMostRounds))
        return {};
    return QStringLiteral("--rounds must lie between 0 and %1").arg(kMostRounds);
}

} // namespace

QString ReportRangeError(const ReportOptions& options)
{
    const std::optional<int> count = options.count == 0 ? std::nullopt : options.count;
    for (const QString& error :
         {OutOfRange(SettingKey::PingNumberOfPings, "count", count),
          OutOfRange(SettingKey::PingDelay, "delay", options.delay),
          OutOfRange(TimeoutKey(options), "timeout", options.timeout),
          OutOfRange(SettingKey::TraceRouteHops, "hops", options.hops), RoundsOutOfRange(options.rounds),
          OutOfRange(SettingKey::NsLookUpTries, "tries", options.tries),
          OutOfRange(SettingKey::NsLookUpUdpPayloadSize, "bufsize", options.udpPayloadSize)}) {
        if (!error.isEmpty())
            return error;
    }
    return {};
}

RunInputs ReportInputs(const ReportOptions& options)
{
    RunInputs inputs;
    inputs.function = static_cast<FunctionId>(options.FunctionIndex());
    inputs.host = options.Host();
    inputs.preference = options.preference.value_or(
        ReadFlagSetting(SettingKey::PreferIPv6) ? AddressPreference::PreferIPv6 : AddressPreference::PreferIPv4);
    switch (inputs.function) {
    case FunctionId::Ping:
        FillPing(options, inputs);
        break;
    case FunctionId::TraceRoute:
        FillTraceRoute(options, inputs);
        break;
    case FunctionId::Finger:
        FillUserHost(options, SettingKey::FingerFireWall, inputs);
        inputs.verboseFormat = ReadFlagSetting(SettingKey::FingerVerboseFormat) || options.verbose;
        break;
    case FunctionId::WhoIs:
        FillUserHost(options, SettingKey::WhoIsFireWall, inputs);
        break;
    case FunctionId::NameServerLookUp:
        FillNameServerLookUp(options, inputs);
        break;
    case FunctionId::QuoteOfDay:
        break;
    }
    return inputs;
}

} // namespace netsonde
