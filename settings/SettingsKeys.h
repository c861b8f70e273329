// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every value Netsonde keeps in the settings store, with its section, key,
// kind, default and allowed range, in one table. Reads and writes go through
// the key's row, so the stored names and defaults are spelled once.

#include <QLatin1StringView>
#include <QString>

#include <span>

namespace netsonde {

enum class SettingKey {
    WindowRememberPosition,
    WindowState,
    WindowMinX,
    WindowMinY,
    WindowMaxX,
    WindowMaxY,
    WindowLeft,
    WindowTop,
    WindowRight,
    WindowBottom,
    WindowHeight,
    RememberLastFunction,
    SmartAddressSplitting,
    PreferIPv6,
    OutputFont,
    PingColumns,
    PingRecentList,
    PingTimeout,
    PingDelay,
    PingNumberOfPings,
    PingResolve,
    PingUntilStopped,
    TraceRouteColumns,
    TraceRouteRecentList,
    TraceRouteTimeout,
    TraceRouteHops,
    TraceRouteResolve,
    TraceRouteOneHopAtATime,
    TraceRouteShowAsNumbers,
    TraceRouteAsnZone,
    TraceRouteAsnZone6,
    TraceRouteRepeat,
    FingerFireWall,
    FingerRecentList,
    FingerClearOutput,
    FingerVerboseFormat,
    WhoIsFireWall,
    WhoIsRecentList,
    WhoIsClearOutput,
    NsLookUpRecentList,
    NsLookUpNameServers,
    NsLookUpSearchType,
    NsLookUpClearOutput,
    NsLookUpVerboseFormat,
    NsLookUpTimeout,
    NsLookUpTries,
    NsLookUpUdpPayloadSize,
    NsLookUpUseTcp,
    NsLookUpRequestDnssec,
    QuoteRecentList,
    QuoteClearOutput,
};

// Integer values are stored as decimal integers (check boxes as 0 or 1),
// YesNo values as the texts "Yes" and "No".
enum class SettingKind { Integer, Text, YesNo };

struct SettingInfo {
    SettingKey key;
    QLatin1StringView section;
    QLatin1StringView name;
    SettingKind kind;
    int defaultInt;
    QLatin1StringView defaultText;
    int minimum;
    int maximum;
};

const SettingInfo& SettingInfoOf(SettingKey key);
// Every row, in the order of the enumeration.
std::span<const SettingInfo> AllSettings();

// An Integer value: the stored number, or the default when it is absent or
// not a number, brought into [minimum, maximum].
int ReadIntSetting(SettingKey key);
// A Text or YesNo value as stored, or the default text.
QString ReadTextSetting(SettingKey key);
// An Integer value is on when it is not 0; a YesNo value when it is "Yes",
// case included.
bool ReadFlagSetting(SettingKey key);

void WriteSetting(SettingKey key, int value);
void WriteSetting(SettingKey key, const QString& value);
// 1 or 0 for an Integer value, "Yes" or "No" for a YesNo value.
void WriteFlagSetting(SettingKey key, bool on);

} // namespace netsonde
