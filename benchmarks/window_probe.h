// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Marks the two moments the window benchmarks time from outside the process,
// as CLOCK_MONOTONIC nanoseconds on standard output, one per line:
//   idle <ns>   the first idle moment after the first window painted itself
//   close <ns>  the close request of that window, made right after
// benchmarks/process_times.py took the clock when it started the process and
// takes it again once the process has ended, so the window start is
// "idle - start" and the window exit "end - close", both whole processes.

namespace netsonde::bench {

// Watches the application's events from now on; call once a QApplication
// exists, before its window is shown.
void ArmWindowProbe();

} // namespace netsonde::bench
