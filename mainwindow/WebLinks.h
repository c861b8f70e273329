// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two places outside the program that the Help menu and the About
// dialog open with the desktop's default handler.

#include <QUrl>

namespace netsonde {

QUrl HomepageUrl();
QUrl FeedbackUrl();

// Each hands its address to the desktop; the outcome is not reported.
void OpenHomepage();
void OpenFeedback();

} // namespace netsonde
