// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/phonebook/PhonebookCommand.h"

#include "mainwindow/MainDialog.h"
#include "mainwindow/phonebook/PhonebookDialog.h"
#include "pages/UserHostPage.h"

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
QString PhonebookAddress(const PropertyPage& page)
{
    if (const auto* userHostPage = qobject_cast<const UserHostPage*>(&page))
        return UserAtHost(userHostPage->m_user, userHostPage->m_host);
    return page.m_host;
}

void OnPhonebook(MainDialog& mainDialog)
{
    PropertyPage* page = mainDialog.Page(mainDialog.CurrentFunction());
    page->DoDataExchange(true);
    PhonebookDialog phonebook(page, PhonebookAddress(*page), &mainDialog);
    QAction* contents = mainDialog.Actions().helpContents;
    QObject::connect(&phonebook, &PhonebookDialog::helpRequested, contents, &QAction::trigger);
    phonebook.exec();
}

} // namespace

void InstallPhonebookCommand(MainDialog& dialog)
{
    QObject::connect(dialog.Actions().phonebook, &QAction::triggered, &dialog, [&dialog] { OnPhonebook(dialog); });
}

} // namespace netsonde
