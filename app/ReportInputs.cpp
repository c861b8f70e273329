// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReportInputs.h"

#include "dns/SearchTypeTable.h"
#include "query/AddressSplitting.h"
#include "settings/RecentList.h"
#include "settings/SettingsKeys.h"

namespace netsonde {

namespace {

// A value for a page field must lie in the field's own range.
QString OutOfRange(SettingKey key, const char* option, const std::optional<int>& value)
{
    const CSettingInfo& info = SettingInfo(key);
    if (!value || (*value >= info.minimum && *value <= info.maximum))
        return {};
    return QStringLiteral("--%1 must lie between %2 and %3").arg(QLatin1String(option)).arg(info.minimum).arg(info.maximum);
}

unsigned StoredOr(SettingKey key, const std::optional<int>& value)
{
    return static_cast<unsigned>(value.value_or(ReadIntSetting(key)));
}

void FillPing(const CReportOptions& options, CRunInputs& inputs)
{
    inputs.nTimeout = StoredOr(SettingKey::PingTimeout, options.nTimeout);
    inputs.nPings = StoredOr(SettingKey::PingNumberOfPings, options.nCount);
    inputs.nDelay = StoredOr(SettingKey::PingDelay, options.nDelay);
    inputs.bResolve = ReadFlagSetting(SettingKey::PingResolve) && !options.bNoResolve;
}

void FillTraceRoute(const CReportOptions& options, CRunInputs& inputs)
{
    inputs.nTimeout = StoredOr(SettingKey::TraceRouteTimeout, options.nTimeout);
    inputs.nMaxHops = StoredOr(SettingKey::TraceRouteHops, options.nHops);
    inputs.bResolve = ReadFlagSetting(SettingKey::TraceRouteResolve) && !options.bNoResolve;
}

// "user@host" in the host field is split as the page splits it.
void FillUserHost(const CReportOptions& options, SettingKey fireWall, CRunInputs& inputs)
{
    inputs.strUser = options.strUser.value_or(QString());
    if (ReadFlagSetting(SettingKey::SmartAddressSplitting)) {
        if (const auto parts = SplitAtFirstAt(inputs.strHost)) {
            inputs.strUser = parts->user;
            inputs.strHost = parts->host;
        }
    }
    inputs.strFireWall = ReadTextSetting(fireWall);
}

void FillNameServerLookUp(const CReportOptions& options, CRunInputs& inputs)
{
    // Without a type the command line's own rule selects the first entry.
    inputs.strSearchType = options.strSearchType.value_or(QString::fromLatin1(SearchTypeTable[0].text));
    inputs.strNameServer =
        options.strServer.value_or(RecentList::Parse(ReadTextSetting(SettingKey::NsLookUpNameServers)).value(0));
    inputs.bVerboseFormat = ReadFlagSetting(SettingKey::NsLookUpVerboseFormat) || options.bVerbose;
}

} // namespace

QString ReportRangeError(const CReportOptions& options)
{
    const bool isPing = options.FunctionIndex() == Index(FunctionId::Ping);
    for (const QString& error :
         {OutOfRange(SettingKey::PingNumberOfPings, "count", options.nCount),
          OutOfRange(SettingKey::PingDelay, "delay", options.nDelay),
          OutOfRange(isPing ? SettingKey::PingTimeout : SettingKey::TraceRouteTimeout, "timeout", options.nTimeout),
          OutOfRange(SettingKey::TraceRouteHops, "hops", options.nHops)}) {
        if (!error.isEmpty())
            return error;
    }
    return {};
}

CRunInputs ReportInputs(const CReportOptions& options)
{
    CRunInputs inputs;
    inputs.function = static_cast<FunctionId>(options.FunctionIndex());
    inputs.strHost = options.Host();
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
        inputs.bVerboseFormat = ReadFlagSetting(SettingKey::FingerVerboseFormat) || options.bVerbose;
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
