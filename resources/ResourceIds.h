// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dialog, control, menu command and string numbers.

namespace netsonde {

// Dialogs.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_MAIN_DIALOG = 102;
constexpr int IDD_TRACEROUTE = 106;
constexpr int IDD_FINGER = 129;
constexpr int IDD_WHOIS = 130;
constexpr int IDD_PING = 135;
constexpr int IDD_FIREWALL = 141;
constexpr int IDD_WINSOCK_INFO = 142;
constexpr int IDD_NSLOOKUP = 145;
constexpr int IDD_PHONEBOOK = 146;
constexpr int IDD_QUOTE = 150;

// Other resources.
constexpr int IDR_MAINFRAME_ICON = 128;
constexpr int IDR_MAIN_MENU = 140;
constexpr int IDR_BUSY_ANIMATION = 148;
constexpr int IDS_SOCKETS_INIT_FAILED = 103;

// Main window controls.
constexpr int IDC_TAB = 1001;
constexpr int IDC_GO = 1012;
constexpr int IDC_STOP = 1026;
constexpr int IDC_CLEAR = 1038;
constexpr int IDC_ANIMATION = 1069;
constexpr int IDC_PING_LIST = 1043;
constexpr int IDC_TRACEROUTE_LIST = 1037;
constexpr int IDC_FINGER_OUTPUT = 1040;
constexpr int IDC_WHOIS_OUTPUT = 1041;
constexpr int IDC_NSLOOKUP_OUTPUT = 1042;
constexpr int IDC_QUOTE_OUTPUT = 1044;
constexpr int IDC_STATUS_BAR = 200;

// Ping page (135).
constexpr int IDC_PING_HOST = 1007;
constexpr int IDC_PING_TIMEOUT_SPIN = 1055;
constexpr int IDC_PING_TIMEOUT = 1056;
constexpr int IDC_PING_COUNT_SPIN = 1053;
constexpr int IDC_PING_COUNT = 1054;
constexpr int IDC_PING_DELAY = 1057;
constexpr int IDC_PING_DELAY_SPIN = 1058;
constexpr int IDC_PING_RESOLVE = 1076;

// TraceRoute page (106).
constexpr int IDC_TRACE_HOST = 1025;
constexpr int IDC_TRACE_TIMEOUT = 1057;
constexpr int IDC_TRACE_TIMEOUT_SPIN = 1058;
constexpr int IDC_TRACE_HOPS = 1059;
constexpr int IDC_TRACE_HOPS_SPIN = 1060;
constexpr int IDC_TRACE_RESOLVE = 1067;

// Finger page (129).
constexpr int IDC_FINGER_HOST = 1003;
constexpr int IDC_FINGER_USER = 1004;
constexpr int IDC_FINGER_CLEAR = 1041;
constexpr int IDC_FINGER_VERBOSE = 1068;

// WhoIs page (130).
constexpr int IDC_WHOIS_HOST = 1009;
constexpr int IDC_WHOIS_USER = 1006;
constexpr int IDC_WHOIS_CLEAR = 1042;

// Name Server LookUp page (145).
constexpr int IDC_NS_HOST = 1063;
constexpr int IDC_NS_SEARCH_TYPE = 1066;
constexpr int IDC_NS_SERVER = 1065;
constexpr int IDC_NS_CLEAR = 1064;
constexpr int IDC_NS_VERBOSE = 1075;

// Quote Of The Day page (150).
constexpr int IDC_QUOTE_HOST = 1071;
constexpr int IDC_QUOTE_CLEAR = 1072;

// Menu 140 commands.
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_COPY_RESULTS = 32785;
constexpr int ID_FILE_PRINT = 57607;
constexpr int ID_EXIT = 32776;
constexpr int ID_REMEMBER_WINDOW_POSITION = 32777;
constexpr int ID_REMEMBER_LAST_FUNCTION = 32786;
constexpr int ID_SMART_ADDRESS_SPLITTING = 32789;
constexpr int ID_PREFER_IPV6 = 32797;
constexpr int ID_CLEAR_RECENT_LIST = 32788;
constexpr int ID_OUTPUT_FONT = 32779;
constexpr int ID_FIREWALLS = 32778;
constexpr int ID_PHONEBOOK = 32774;
constexpr int ID_HELP_CONTENTS = 32;
constexpr int ID_HELP_ON_HELP = 32791;
constexpr int ID_VISIT_HOMEPAGE = 32782;
constexpr int ID_GIVE_FEEDBACK = 32790;
constexpr int ID_WINSOCK_INFORMATION = 32796;
constexpr int ID_ABOUT = 32773;

} // namespace netsonde
