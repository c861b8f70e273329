// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Control numbers of the Phonebook dialog (146).

namespace netsonde {

constexpr int kPhonebookListControl = 1024;
constexpr int kPhonebookAddressControl = 1025;
constexpr int kPhonebookAddControl = 1026;
constexpr int kPhonebookRemoveControl = 1027;
constexpr int kPhonebookNoteControl = 1065;
constexpr int kPhonebookUseControl = 1066;
constexpr int kPhonebookHelpControl = 57670;
constexpr int kPhonebookCloseControl = 1;

} // namespace netsonde
