// SPDX-License-Identifier: GPL-3.0-or-later
// The entry point of the window library: the window's composition, from the
// application object to the function table.

#include "app/ApplicationNames.h"
#include "app/Functions.h"
#include "app/WindowEntry.h"
#include "mainwindow/MainDialog.h"
#include "platform/MessageBox.h"
#include "platform/SocketStartupRecord.h"
#include "widgets/ModalMessageBox.h"

#include <QApplication>

extern "C" __attribute__((visibility("default"))) int netsonde_window_main(int argc, char* argv[],
                                                                           const NetsondeWindowStart* start)
{
    using namespace netsonde;
    QApplication application(argc, argv);
    NameApplication(argv[0]);
    QApplication::setApplicationDisplayName(QStringLiteral("Netsonde"));
    QApplication::setDesktopFileName(QStringLiteral("org.example.Netsonde"));
    UseModalMessageBoxes();
    // This library keeps its own copy of the start-up record.
    if (!start->socketsStarted || !StartProcessSockets()) {
        ShowMessageBox(QStringLiteral("Windows sockets initialization failed."));
        return 1;
    }
    MainDialog::SetFunctionInstaller([](RunController& runs, std::shared_ptr<echo::EchoService> service) {
        InstallFunctions(runs, std::move(service));
    });
    MainDialog dialog;
    dialog.SetCommandLine(start->fromSwitch != 0, QString::fromUtf8(start->commandLine ? start->commandLine : ""));
    dialog.exec();
    return 0;
}
