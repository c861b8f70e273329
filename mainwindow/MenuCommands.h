// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The menu commands that open something: export, Output Font, help, the
// two links, Winsock Information and About.

namespace netsonde {

class MainDialog;

// Connects those commands to their handlers and F1 to the help contents.
void InstallMenuCommands(MainDialog& dialog);

} // namespace netsonde
