// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MenuCommands.h"

#include "icmp/IcmpFunctions.h"
#include "mainwindow/AboutDialog.h"
#include "mainwindow/CommonDialogs.h"
#include "mainwindow/ExportCommands.h"
#include "mainwindow/FontCommand.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainDialog.h"
#include "mainwindow/WebLinks.h"
#include "mainwindow/WinsockInfoDialog.h"
#include "platform/SocketStartupRecord.h"

#include <QAction>

namespace netsonde {

namespace {

void OnWinsockInformation(MainDialog& dialog)
{
    WinsockInfoDialog information(ProcessStartupRecord(), IcmpServiceDescription(dialog.EchoService().get()), &dialog);
    ActiveCommonDialogs().runModal(information);
}

void OnAbout(MainDialog& dialog)
{
    AboutDialog about(&dialog);
    ActiveCommonDialogs().runModal(about);
}

// F1 reaches Contents through the menu item's own key, which works wherever
// the main window is active.
void BindHelpKey(MainDialog& dialog)
{
    QAction* contents = dialog.Actions().helpContents;
    contents->setShortcut(QKeySequence(Qt::Key_F1));
    contents->setShortcutContext(Qt::WindowShortcut);
}

} // namespace

void InstallMenuCommands(MainDialog& dialog)
{
    const MainDialog::MenuActions& actions = dialog.Actions();
    QObject::connect(actions.fileSave, &QAction::triggered, &dialog, [&dialog] { OnFileSave(dialog); });
    QObject::connect(actions.copyResults, &QAction::triggered, &dialog, [&dialog] { OnCopyResults(dialog); });
    QObject::connect(actions.filePrint, &QAction::triggered, &dialog, [&dialog] { OnFilePrint(dialog); });
    QObject::connect(actions.outputFont, &QAction::triggered, &dialog, [&dialog] { OnOutputFont(dialog); });
    QObject::connect(actions.helpContents, &QAction::triggered, &dialog,
                     [&dialog] { ShowHelpPage(dialog, HelpWindow::ContentsPage()); });
    QObject::connect(actions.helpOnHelp, &QAction::triggered, &dialog,
                     [&dialog] { ShowHelpPage(dialog, HelpWindow::HelpOnHelpPage()); });
    QObject::connect(actions.visitHomepage, &QAction::triggered, &dialog, [] { OpenHomepage(); });
    QObject::connect(actions.giveFeedback, &QAction::triggered, &dialog, [] { OpenFeedback(); });
    QObject::connect(actions.winsockInformation, &QAction::triggered, &dialog,
                     [&dialog] { OnWinsockInformation(dialog); });
    QObject::connect(actions.about, &QAction::triggered, &dialog, [&dialog] { OnAbout(dialog); });
    BindHelpKey(dialog);
}

} // namespace netsonde
