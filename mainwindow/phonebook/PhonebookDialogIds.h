// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Control numbers of the Phonebook dialog (146).

namespace netsonde {

constexpr int IDC_PHONEBOOK_LIST = 1024;
constexpr int IDC_PHONEBOOK_ADDRESS = 1025;
constexpr int IDC_PHONEBOOK_ADD = 1026;
constexpr int IDC_PHONEBOOK_REMOVE = 1027;
constexpr int IDC_PHONEBOOK_NOTE = 1065;
constexpr int IDC_PHONEBOOK_USE = 1066;
constexpr int IDC_PHONEBOOK_HELP = 57670;
constexpr int IDC_PHONEBOOK_CLOSE = 1;

} // namespace netsonde
