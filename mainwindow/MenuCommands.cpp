// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MenuCommands.h"

#include "platform/StartupRecord.h"
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

void OnWinsockInformation(CMainDialog& dialog)
{
    CWinsockInfoDialog information(ProcessStartupRecord(), IcmpServiceDescription(dialog.EchoService().get()), &dialog);
    CommonDialogs().runModal(information);
}

void OnAbout(CMainDialog& dialog)
{
    CAboutDialog about(&dialog);
    CommonDialogs().runModal(about);
}

// F1 reaches Contents through the menu item's own key, which works wherever
// the main window is active.
void BindHelpKey(CMainDialog& dialog)
{
    if (QAction* contents = dialog.Command(ID_HELP_CONTENTS)) {
        contents->setShortcut(QKeySequence(Qt::Key_F1));
        contents->setShortcutContext(Qt::WindowShortcut);
    }
}

} // namespace

void InstallMenuCommands(CMainDialog& dialog)
{
    dialog.SetCommandHandler(ID_FILE_SAVE, [&dialog] { OnFileSave(dialog); });
    dialog.SetCommandHandler(ID_COPY_RESULTS, [&dialog] { OnCopyResults(dialog); });
    dialog.SetCommandHandler(ID_FILE_PRINT, [&dialog] { OnFilePrint(dialog); });
    dialog.SetCommandHandler(ID_OUTPUT_FONT, [&dialog] { OnOutputFont(dialog); });
    dialog.SetCommandHandler(ID_HELP_CONTENTS, [&dialog] { ShowHelpPage(dialog, CHelpWindow::ContentsPage()); });
    dialog.SetCommandHandler(ID_HELP_ON_HELP, [&dialog] { ShowHelpPage(dialog, CHelpWindow::HelpOnHelpPage()); });
    dialog.SetCommandHandler(ID_VISIT_HOMEPAGE, [] { OpenHomepage(); });
    dialog.SetCommandHandler(ID_GIVE_FEEDBACK, [] { OpenFeedback(); });
    dialog.SetCommandHandler(ID_WINSOCK_INFORMATION, [&dialog] { OnWinsockInformation(dialog); });
    dialog.SetCommandHandler(ID_ABOUT, [&dialog] { OnAbout(dialog); });
    BindHelpKey(dialog);
}

} // namespace netsonde
