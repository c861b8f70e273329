#include "app/MainApp.h"

#include "app/CommandLineOptions.h"
#include "mainwindow/MainDialog.h"
#include "platform/MessageBox.h"

namespace netsonde {

SocketStartupRecord CMainApp::s_wsaData;

const SocketStartupRecord& CMainApp::StartupRecord() { return s_wsaData; }

int CMainApp::Run(const QStringList& arguments)
{
    if (!StartSockets(s_wsaData)) {
        ShowMessageBox(QStringLiteral("Windows sockets initialization failed."));
        return 1;
    }
    CMainDialog dialog;
    CCommandLineOptions options(dialog.m_bCommandLine, dialog.m_strCommandLine);
    options.ParseCommandLine(arguments);
    dialog.exec();
    return 0;
}

} // namespace netsonde
