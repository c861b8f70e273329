// SPDX-License-Identifier: GPL-3.0-or-later
// libbench_window_probe.so: preloaded into the real program (LD_PRELOAD) so
// that its window is timed as users start it, with nothing in the program
// itself knowing about the benchmark. The probe is armed from inside the
// application object's constructor.

#include "window_probe.h"

#include <QCoreApplication>

namespace {

void ArmProbe()
{
    netsonde::bench::ArmWindowProbe();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(ArmProbe)
