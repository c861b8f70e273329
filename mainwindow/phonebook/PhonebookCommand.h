// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Phonebook command (F12) of the main window.

namespace netsonde {

class MainDialog;

// Connects the Phonebook command to OnPhonebook: the current page's controls
// are copied into its members, the Phonebook dialog opens modally with the
// current function's target as its address, and Use hands an address back
// to that page.
void InstallPhonebookCommand(MainDialog& dialog);

} // namespace netsonde
