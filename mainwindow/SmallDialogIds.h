// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Control numbers of the About dialog (100) and the Winsock Information
// dialog (142).

namespace netsonde {

// About dialog.
constexpr int kAboutIconControl = 1084;
constexpr int kAboutLogoControl = 1085;
constexpr int kAboutTextControl = 1007;
constexpr int kAboutFeedbackControl = 1078;
constexpr int kAboutHomepageControl = 1079;
constexpr int kAboutCloseControl = 1;

// Winsock Information dialog.
constexpr int kWinsockVersionControl = 1007;
constexpr int kWinsockHighestControl = 1005;
constexpr int kWinsockMaxSocketsControl = 1008;
constexpr int kWinsockMaxUdpControl = 1009;
constexpr int kWinsockGeneralControl = 1010;
constexpr int kWinsockOkControl = 1;

// The string shown as the program's version.
constexpr const char* kVersionText = "Netsonde Version 2.1a";

} // namespace netsonde
