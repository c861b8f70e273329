// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/phonebook/PhonebookCommand.h"

#include "mainwindow/MainDialog.h"
#include "pages/UserHostPage.h"
#include "mainwindow/phonebook/PhonebookDialog.h"
#include "resources/ResourceIds.h"

#include <QAction>

namespace netsonde {

namespace {

// user@host when both are given, otherwise whichever of the two is.
QString UserAtHost(const QString& user, const QString& host)
{
    QString address = user;
    if (!host.isEmpty()) {
        if (!address.isEmpty())
            address += QLatin1Char('@');
        address += host;
    }
    return address;
}

// The current function's target, from the page's members.
QString PhonebookAddress(const CPropertyPage& page)
{
    if (const auto* userHostPage = qobject_cast<const CUserHostPage*>(&page))
        return UserAtHost(userHostPage->m_strUser, userHostPage->m_strHost);
    return page.m_strHost;
}

void OnPhonebook(CMainDialog& mainDialog)
{
    CPropertyPage* page = mainDialog.Page(mainDialog.CurrentFunction());
    page->DoDataExchange(true);
    CPhonebookDialog phonebook(page, PhonebookAddress(*page), &mainDialog);
    phonebook.SetHelpHandler([&mainDialog] {
        if (QAction* contents = mainDialog.Command(ID_HELP_CONTENTS))
            contents->trigger();
    });
    phonebook.exec();
}

} // namespace

void InstallPhonebookCommand(CMainDialog& dialog)
{
    dialog.SetCommandHandler(ID_PHONEBOOK, [&dialog] { OnPhonebook(dialog); });
}

} // namespace netsonde
