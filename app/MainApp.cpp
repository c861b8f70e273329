#include "app/MainApp.h"

#include "app/CommandLineOptions.h"
#include "app/ReportMode.h"
#include "mainwindow/MainDialog.h"
#include "platform/MessageBox.h"

#include <cstdio>

namespace netsonde {

SocketStartupRecord CMainApp::s_wsaData;

const SocketStartupRecord& CMainApp::StartupRecord() { return s_wsaData; }

namespace {

int PrintLine(const QString& text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
    return 0;
}

} // namespace

int CMainApp::Run(const QStringList& arguments)
{
    const CReportOptions options = ParseReportOptions(arguments);
    switch (options.mode) {
    case CReportOptions::Mode::Help:
        return PrintLine(ReportHelpText().chopped(1));
    case CReportOptions::Mode::Version:
        return PrintLine(VersionText());
    case CReportOptions::Mode::UsageError:
        return ReportUsageError(options.strError);
    case CReportOptions::Mode::Report:
    case CReportOptions::Mode::Window:
        break;
    }
    if (!StartSockets(s_wsaData)) {
        ShowMessageBox(QStringLiteral("Windows sockets initialization failed."));
        return 1;
    }
    if (options.mode == CReportOptions::Mode::Report)
        return RunReport(options);
    CMainDialog dialog;
    CCommandLineOptions commandLine(dialog.m_bCommandLine, dialog.m_strCommandLine);
    commandLine.ParseCommandLine(arguments);
    dialog.exec();
    return 0;
}

} // namespace netsonde
