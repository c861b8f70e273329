// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The stored options of NS LookUp's exchange with a name server: time-out
// per try, tries, UDP payload size, TCP and the DNSSEC bit.

#include "run/RunInputs.h"

namespace netsonde {

// The smallest UDP payload size an OPT record offers (RFC 6891); 0 sends no
// OPT record at all.
inline constexpr unsigned kMinUdpPayloadSize = 512;

// 0 stays 0; any other size is raised to kMinUdpPayloadSize.
unsigned UsableUdpPayloadSize(unsigned size);

// The stored options into the inputs of a lookup.
void ReadStoredLookUpOptions(RunInputs& inputs);

} // namespace netsonde
