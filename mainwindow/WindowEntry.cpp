#include "mainwindow/WindowEntry.h"

#include "mainwindow/MainDialog.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QFileInfo>

namespace {

// The settings store is named after the executable; the report side of the
// executable names its application object the same way.
void NameApplication(const char* programPath)
{
    QApplication::setApplicationName(QFileInfo(QString::fromLocal8Bit(programPath)).completeBaseName());
    QApplication::setApplicationDisplayName(QStringLiteral("Netsonde"));
    QApplication::setOrganizationName(QStringLiteral("Korvelin"));
}

} // namespace

extern "C" __attribute__((visibility("default"))) int netsonde_window_main(int argc, char* argv[],
                                                                          const NetsondeWindowStart* start)
{
    QApplication application(argc, argv);
    NameApplication(argv[0]);
    if (!start->bSocketsStarted) {
        netsonde::ShowMessageBox(QStringLiteral("Windows sockets initialization failed."));
        return 1;
    }
    netsonde::CMainDialog dialog;
    dialog.m_bCommandLine = start->bCommandLine != 0;
    dialog.m_strCommandLine = QString::fromUtf8(start->szCommandLine ? start->szCommandLine : "");
    dialog.exec();
    return 0;
}
