// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/LookUpOptions.h"

#include "settings/SettingsKeys.h"

#include <algorithm>

namespace netsonde {

unsigned UsableUdpPayloadSize(unsigned size)
{
    return size == 0 ? 0 : std::max(size, kMinUdpPayloadSize);
}

void ReadStoredLookUpOptions(RunInputs& inputs)
{
    inputs.timeout = static_cast<unsigned>(ReadIntSetting(SettingKey::NsLookUpTimeout));
    inputs.tries = static_cast<unsigned>(ReadIntSetting(SettingKey::NsLookUpTries));
    inputs.udpPayloadSize =
        UsableUdpPayloadSize(static_cast<unsigned>(ReadIntSetting(SettingKey::NsLookUpUdpPayloadSize)));
    inputs.useTcp = ReadFlagSetting(SettingKey::NsLookUpUseTcp);
    inputs.requestDnssec = ReadFlagSetting(SettingKey::NsLookUpRequestDnssec);
}

} // namespace netsonde
