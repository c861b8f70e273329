// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/TraceOptions.h"

#include "settings/SettingsKeys.h"

namespace netsonde {

void ReadStoredTraceOptions(RunInputs& inputs)
{
    inputs.probeOneHopAtATime = ReadFlagSetting(SettingKey::TraceRouteOneHopAtATime);
    inputs.showAsNumbers = ReadFlagSetting(SettingKey::TraceRouteShowAsNumbers);
    inputs.asnZone = ReadTextSetting(SettingKey::TraceRouteAsnZone).trimmed();
    inputs.asnZone6 = ReadTextSetting(SettingKey::TraceRouteAsnZone6).trimmed();
}

} // namespace netsonde
