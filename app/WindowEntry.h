// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The entry point of the window library, libnetsonde_window.so. The
// executable loads that library with dlopen only when a window is wanted, so
// that a run without a window never loads Qt Gui or Widgets. The two sides
// share nothing but this header: plain C types, one function.

extern "C" {

// What the executable found before it loaded the window.
struct NetsondeWindowStart {
    // Zero when the sockets layer failed to start: the window says so and ends.
    int socketsStarted;
    // Non-zero when a switch on the command line chose a function; then
    // commandLine (UTF-8) holds its two-character function code and the
    // host text, as the window's m_commandLine does.
    int fromSwitch;
    const char* commandLine;
};

// Creates the application object, shows the main window modally and returns
// the process exit status when it closes. argc and argv are main's.
int netsonde_window_main(int argc, char* argv[], const NetsondeWindowStart* start);

} // extern "C"

namespace netsonde {

inline constexpr char kWindowEntryName[] = "netsonde_window_main";
using WindowEntryFunction = int (*)(int argc, char* argv[], const NetsondeWindowStart* start);

} // namespace netsonde
