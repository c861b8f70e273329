// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Loads the window library and runs the window in it. The executable links
// only the layers without widgets; the window, its pages and dialogs (and
// with them Qt Gui and Widgets) come in with libnetsonde_window.so when a
// window is wanted.
//
// The library is looked up by absolute path only, from the executable's own
// folder as the kernel gives it: first beside the executable (the build
// tree), then in the installed private folder, NETSONDE_PRIVATE_LIBDIR_FROM_BINDIR
// from there ("../lib/netsonde"), so that a package or an install under
// another prefix finds it too. The installed executable carries a file
// capability, so the loader runs in secure mode and ignores $ORIGIN and
// LD_LIBRARY_PATH.

#include "app/WindowEntry.h"

#include <string>

namespace netsonde {

inline constexpr char kWindowModuleName[] = "libnetsonde_window.so";

// The path the window library is loaded from.
std::string WindowModulePath();

// Loads the library, calls its entry point with main's arguments and returns
// the window's exit status. When the library cannot be loaded, writes
// "netsonde: cannot load the window: <reason>" to standard error and
// returns 1.
int RunWindowModule(int argc, char* argv[], const NetsondeWindowStart& start);

} // namespace netsonde
