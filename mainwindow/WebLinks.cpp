// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/WebLinks.h"

#include "mainwindow/CommonDialogs.h"

namespace netsonde {

QUrl HomepageUrl()
{
    return QUrl(QStringLiteral("https://netsonde.example.org/"));
}

QUrl FeedbackUrl()
{
    return QUrl(QStringLiteral("mailto:feedback@netsonde.example.org"));
}

void OpenHomepage()
{
    ActiveCommonDialogs().openUrl(HomepageUrl());
}

void OpenFeedback()
{
    ActiveCommonDialogs().openUrl(FeedbackUrl());
}

} // namespace netsonde
