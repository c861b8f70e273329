// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TraceRoute's stored options, set from the Options menu: probing one hop at
// a time, the AS column and its origin zones.

#include "run/RunInputs.h"

namespace netsonde {

// Reads the stored options into the inputs of a TraceRoute run.
void ReadStoredTraceOptions(RunInputs& inputs);

} // namespace netsonde
