// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Control numbers of the About dialog (100) and the Winsock Information
// dialog (142).

namespace netsonde {

// About dialog.
constexpr int IDC_ABOUT_ICON = 1084;
constexpr int IDC_ABOUT_LOGO = 1085;
constexpr int IDC_ABOUT_TEXT = 1007;
constexpr int IDC_ABOUT_FEEDBACK = 1078;
constexpr int IDC_ABOUT_HOMEPAGE = 1079;
constexpr int IDC_ABOUT_CLOSE = 1;

// Winsock Information dialog.
constexpr int IDC_WINSOCK_VERSION = 1007;
constexpr int IDC_WINSOCK_HIGHEST = 1005;
constexpr int IDC_WINSOCK_MAX_SOCKETS = 1008;
constexpr int IDC_WINSOCK_MAX_UDP = 1009;
constexpr int IDC_WINSOCK_GENERAL = 1010;
constexpr int IDC_WINSOCK_OK = 1;

// The string shown as the program's version.
constexpr const char* kVersionText = "Netsonde Version 2.1a";

} // namespace netsonde
