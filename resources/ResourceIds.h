// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dialog, control, menu command and string numbers.

namespace netsonde {

// Dialogs.
constexpr int kAboutBoxDialog = 100;
constexpr int kMainDialogDialog = 102;
constexpr int kTraceRouteDialog = 106;
constexpr int kFingerDialog = 129;
constexpr int kWhoIsDialog = 130;
constexpr int kPingDialog = 135;
constexpr int kFireWallDialog = 141;
constexpr int kWinsockInfoDialog = 142;
constexpr int kNsLookupDialog = 145;
constexpr int kPhonebookDialog = 146;
constexpr int kQuoteDialog = 150;
constexpr int kLookUpOptionsDialog = 151;

// Other resources.
constexpr int kMainFrameIconResource = 128;
constexpr int kMainMenuResource = 140;
constexpr int kBusyAnimationResource = 148;
constexpr int kSocketsInitFailedString = 103;

// Main window controls.
constexpr int kTabControl = 1001;
constexpr int kGoControl = 1012;
constexpr int kStopControl = 1026;
constexpr int kClearControl = 1038;
constexpr int kAnimationControl = 1069;
constexpr int kPingListControl = 1043;
constexpr int kTraceRouteListControl = 1037;
constexpr int kFingerOutputControl = 1040;
constexpr int kWhoIsOutputControl = 1041;
constexpr int kNsLookupOutputControl = 1042;
constexpr int kQuoteOutputControl = 1044;
constexpr int kStatusBarControl = 200;

// Ping page (135).
constexpr int kPingHostControl = 1007;
constexpr int kPingTimeoutSpinControl = 1055;
constexpr int kPingTimeoutControl = 1056;
constexpr int kPingCountSpinControl = 1053;
constexpr int kPingCountControl = 1054;
constexpr int kPingDelayControl = 1057;
constexpr int kPingDelaySpinControl = 1058;
constexpr int kPingResolveControl = 1076;
constexpr int kPingUntilStoppedControl = 1077;

// TraceRoute page (106).
constexpr int kTraceHostControl = 1025;
constexpr int kTraceTimeoutControl = 1057;
constexpr int kTraceTimeoutSpinControl = 1058;
constexpr int kTraceHopsControl = 1059;
constexpr int kTraceHopsSpinControl = 1060;
constexpr int kTraceResolveControl = 1067;
constexpr int kTraceRepeatControl = 1077;

// Finger page (129).
constexpr int kFingerHostControl = 1003;
constexpr int kFingerUserControl = 1004;
constexpr int kFingerClearControl = 1041;
constexpr int kFingerVerboseControl = 1068;

// WhoIs page (130).
constexpr int kWhoIsHostControl = 1009;
constexpr int kWhoIsUserControl = 1006;
constexpr int kWhoIsClearControl = 1042;

// Name Server LookUp page (145).
constexpr int kNsHostControl = 1063;
constexpr int kNsSearchTypeControl = 1066;
constexpr int kNsServerControl = 1065;
constexpr int kNsClearControl = 1064;
constexpr int kNsVerboseControl = 1075;

// Quote Of The Day page (150).
constexpr int kQuoteHostControl = 1071;
constexpr int kQuoteClearControl = 1072;

} // namespace netsonde
