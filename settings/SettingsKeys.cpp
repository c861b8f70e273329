// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsKeys.h"

#include "settings/SettingsStore.h"

#include <QtGlobal>

#include <climits>
#include <cstddef>

namespace netsonde {

namespace {

using enum SettingKey;
using namespace Qt::Literals::StringLiterals;

constexpr int kNoMinimum = INT_MIN;
constexpr int kNoMaximum = INT_MAX;
constexpr int kNotSet = -1;

constexpr SettingInfo IntegerRow(SettingKey key, QLatin1StringView section, QLatin1StringView name, int def,
                                 int minimum = kNoMinimum, int maximum = kNoMaximum)
{
    return {key, section, name, SettingKind::Integer, def, {}, minimum, maximum};
}

constexpr SettingInfo TextRow(SettingKey key, QLatin1StringView section, QLatin1StringView name,
                              QLatin1StringView def = {})
{
    return {key, section, name, SettingKind::Text, 0, def, kNoMinimum, kNoMaximum};
}

constexpr SettingInfo YesNoRow(SettingKey key, QLatin1StringView section, QLatin1StringView name, QLatin1StringView def)
{
    return {key, section, name, SettingKind::YesNo, 0, def, kNoMinimum, kNoMaximum};
}

constexpr SettingInfo kSettings[] = {
    YesNoRow(WindowRememberPosition, "Window"_L1, "RememberPosition"_L1, "No"_L1),
    TextRow(WindowState, "Window"_L1, "State"_L1),
    IntegerRow(WindowMinX, "Window"_L1, "MinX"_L1, kNotSet),
    IntegerRow(WindowMinY, "Window"_L1, "MinY"_L1, kNotSet),
    IntegerRow(WindowMaxX, "Window"_L1, "MaxX"_L1, kNotSet),
    IntegerRow(WindowMaxY, "Window"_L1, "MaxY"_L1, kNotSet),
    IntegerRow(WindowLeft, "Window"_L1, "Left"_L1, kNotSet),
    IntegerRow(WindowTop, "Window"_L1, "Top"_L1, kNotSet),
    IntegerRow(WindowRight, "Window"_L1, "Right"_L1, kNotSet),
    IntegerRow(WindowBottom, "Window"_L1, "Bottom"_L1, kNotSet),
    IntegerRow(WindowHeight, "Window"_L1, "Height"_L1, 350),
    IntegerRow(RememberLastFunction, "Options"_L1, "RememberLastFunction"_L1, kNotSet),
    YesNoRow(SmartAddressSplitting, "Options"_L1, "Smart Address Splitting"_L1, "Yes"_L1),
    YesNoRow(PreferIPv6, "Options"_L1, "Prefer IPv6"_L1, "No"_L1),
    TextRow(OutputFont, "Options"_L1, "Font"_L1),
    TextRow(PingColumns, "Ping"_L1, "Columns"_L1),
    TextRow(PingRecentList, "Ping"_L1, "Recent List"_L1),
    IntegerRow(PingTimeout, "Ping"_L1, "Timeout"_L1, 15, 1, 60),
    IntegerRow(PingDelay, "Ping"_L1, "Delay"_L1, 1000, 0, 10000),
    IntegerRow(PingNumberOfPings, "Ping"_L1, "Number of Pings"_L1, 3, 1, 30),
    IntegerRow(PingResolve, "Ping"_L1, "Resolve IP Addresses"_L1, 1),
    IntegerRow(PingUntilStopped, "Ping"_L1, "Until Stopped"_L1, 0),
    TextRow(TraceRouteColumns, "TraceRoute"_L1, "Columns"_L1),
    TextRow(TraceRouteRecentList, "TraceRoute"_L1, "Recent List"_L1),
    IntegerRow(TraceRouteTimeout, "TraceRoute"_L1, "Timeout"_L1, 5, 1, 60),
    IntegerRow(TraceRouteHops, "TraceRoute"_L1, "Hops"_L1, 15, 1, 60),
    IntegerRow(TraceRouteResolve, "TraceRoute"_L1, "Resolve IP Addresses"_L1, 1),
    IntegerRow(TraceRouteOneHopAtATime, "TraceRoute"_L1, "Probe One Hop At A Time"_L1, 0),
    IntegerRow(TraceRouteShowAsNumbers, "TraceRoute"_L1, "Show AS Numbers"_L1, 0),
    // The DNS zones whose TXT records name the AS that originates an address.
    TextRow(TraceRouteAsnZone, "TraceRoute"_L1, "AS Origin Zone"_L1, "origin.asn.cymru.com"_L1),
    TextRow(TraceRouteAsnZone6, "TraceRoute"_L1, "AS Origin Zone IPv6"_L1, "origin6.asn.cymru.com"_L1),
    IntegerRow(TraceRouteRepeat, "TraceRoute"_L1, "Repeat"_L1, 0),
    TextRow(FingerFireWall, "Finger"_L1, "FireWall"_L1),
    TextRow(FingerRecentList, "Finger"_L1, "Recent List"_L1),
    IntegerRow(FingerClearOutput, "Finger"_L1, "Clear Output"_L1, 1),
    IntegerRow(FingerVerboseFormat, "Finger"_L1, "Verbose Format"_L1, 0),
    TextRow(WhoIsFireWall, "WhoIs"_L1, "FireWall"_L1),
    TextRow(WhoIsRecentList, "WhoIs"_L1, "Recent List"_L1),
    IntegerRow(WhoIsClearOutput, "WhoIs"_L1, "Clear Output"_L1, 1),
    TextRow(NsLookUpRecentList, "Name Server LookUp"_L1, "Recent List"_L1),
    TextRow(NsLookUpNameServers, "Name Server LookUp"_L1, "Name Servers"_L1),
    IntegerRow(NsLookUpSearchType, "Name Server LookUp"_L1, "Search Type"_L1, 0),
    IntegerRow(NsLookUpClearOutput, "Name Server LookUp"_L1, "Clear Output"_L1, 1),
    IntegerRow(NsLookUpVerboseFormat, "Name Server LookUp"_L1, "Verbose Format"_L1, 0),
    IntegerRow(NsLookUpTimeout, "Name Server LookUp"_L1, "Timeout"_L1, 5, 1, 60),
    IntegerRow(NsLookUpTries, "Name Server LookUp"_L1, "Tries"_L1, 3, 1, 10),
    // 0 sends no OPT record; 1 to 511 are raised to 512.
    IntegerRow(NsLookUpUdpPayloadSize, "Name Server LookUp"_L1, "UDP Payload Size"_L1, 1232, 0, 4096),
    IntegerRow(NsLookUpUseTcp, "Name Server LookUp"_L1, "Use TCP"_L1, 0),
    IntegerRow(NsLookUpRequestDnssec, "Name Server LookUp"_L1, "Request DNSSEC Records"_L1, 0),
    TextRow(QuoteRecentList, "Quote Of The Day"_L1, "Recent List"_L1),
    IntegerRow(QuoteClearOutput, "Quote Of The Day"_L1, "Clear Output"_L1, 1),
};

constexpr bool RowsFollowTheEnumeration()
{
    for (std::size_t i = 0; i < std::size(kSettings); ++i) {
        if (static_cast<std::size_t>(kSettings[i].key) != i)
            return false;
    }
    return static_cast<std::size_t>(QuoteClearOutput) + 1 == std::size(kSettings);
}
static_assert(RowsFollowTheEnumeration(), "one row per setting, in the order of SettingKey");

const SettingInfo& Row(SettingKey key, SettingKind kind)
{
    const SettingInfo& info = SettingInfoOf(key);
    Q_ASSERT(info.kind == kind);
    return info;
}

QString Section(const SettingInfo& info)
{
    return QString(info.section);
}

QString Name(const SettingInfo& info)
{
    return QString(info.name);
}

} // namespace

const SettingInfo& SettingInfoOf(SettingKey key)
{
    return kSettings[static_cast<std::size_t>(key)];
}

std::span<const SettingInfo> AllSettings()
{
    return kSettings;
}

int ReadIntSetting(SettingKey key)
{
    const SettingInfo& info = Row(key, SettingKind::Integer);
    const int stored = SettingsStore::ReadInt(Section(info), Name(info), info.defaultInt);
    return qBound(info.minimum, stored, info.maximum);
}

QString ReadTextSetting(SettingKey key)
{
    const SettingInfo& info = SettingInfoOf(key);
    Q_ASSERT(info.kind != SettingKind::Integer);
    return SettingsStore::ReadText(Section(info), Name(info), QString(info.defaultText));
}

bool ReadFlagSetting(SettingKey key)
{
    const SettingInfo& info = SettingInfoOf(key);
    Q_ASSERT(info.kind != SettingKind::Text);
    if (info.kind == SettingKind::YesNo)
        return SettingsStore::ReadYesNo(Section(info), Name(info), QString(info.defaultText));
    return ReadIntSetting(key) != 0;
}

void WriteSetting(SettingKey key, int value)
{
    const SettingInfo& info = Row(key, SettingKind::Integer);
    SettingsStore::WriteInt(Section(info), Name(info), value);
}

void WriteSetting(SettingKey key, const QString& value)
{
    const SettingInfo& info = SettingInfoOf(key);
    Q_ASSERT(info.kind != SettingKind::Integer);
    SettingsStore::WriteText(Section(info), Name(info), value);
}

void WriteFlagSetting(SettingKey key, bool on)
{
    const SettingInfo& info = SettingInfoOf(key);
    Q_ASSERT(info.kind != SettingKind::Text);
    if (info.kind == SettingKind::YesNo)
        SettingsStore::WriteYesNo(Section(info), Name(info), on);
    else
        SettingsStore::WriteInt(Section(info), Name(info), on ? 1 : 0);
}

} // namespace netsonde
