// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MenuCommands.h"

#include "platform/SocketStartupRecord.h"
#include "mainwindow/AboutDialog.h"
#include "mainwindow/CommonDialogs.h"
#include "mainwindow/ExportCommands.h"
#include "mainwindow/FontCommand.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainDialog.h"
#include "mainwindow/WebLinks.h"
#include "icmp/IcmpFunctions.h"
#include "mainwindow/WinsockInfoDialog.h"
#include "resources/ResourceIds.h"

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
    if (QAction* contents = dialog.Command(kHelpContentsCommand)) {
        contents->setShortcut(QKeySequence(Qt::Key_F1));
        contents->setShortcutContext(Qt::WindowShortcut);
    }
}

} // namespace

void InstallMenuCommands(MainDialog& dialog)
{
    dialog.SetCommandHandler(kFileSaveCommand, [&dialog] { OnFileSave(dialog); });
    dialog.SetCommandHandler(kCopyResultsCommand, [&dialog] { OnCopyResults(dialog); });
    dialog.SetCommandHandler(kFilePrintCommand, [&dialog] { OnFilePrint(dialog); });
    dialog.SetCommandHandler(kOutputFontCommand, [&dialog] { OnOutputFont(dialog); });
    dialog.SetCommandHandler(kHelpContentsCommand, [&dialog] { ShowHelpPage(dialog, HelpWindow::ContentsPage()); });
    dialog.SetCommandHandler(kHelpOnHelpCommand, [&dialog] { ShowHelpPage(dialog, HelpWindow::HelpOnHelpPage()); });
    dialog.SetCommandHandler(kVisitHomepageCommand, [] { OpenHomepage(); });
    dialog.SetCommandHandler(kGiveFeedbackCommand, [] { OpenFeedback(); });
    dialog.SetCommandHandler(kWinsockInformationCommand, [&dialog] { OnWinsockInformation(dialog); });
    dialog.SetCommandHandler(kAboutCommand, [&dialog] { OnAbout(dialog); });
    BindHelpKey(dialog);
}

} // namespace netsonde
