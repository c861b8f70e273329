// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application object: reads the command line as the user gave it,
// starts the sockets layer, and runs report mode on a core application
// object, or loads the window library and shows the window. When the window
// closes, the program ends.

namespace netsonde {

class MainApp {
public:
    // Runs the program with main's arguments; returns the process exit code.
    int Run(int argc, char* argv[]);
};

} // namespace netsonde
