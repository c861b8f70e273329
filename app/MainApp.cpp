// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainApp.h"

#include "app/ApplicationNames.h"
#include "app/ReportMode.h"
#include "app/ReportOptions.h"
#include "app/WindowModule.h"
#include "platform/MessageBox.h"
#include "platform/StartupRecord.h"

#include <QCoreApplication>

#include <cstdio>

namespace netsonde {

namespace {

int PrintLine(const QString& text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
    return 0;
}

// The arguments after the program name exactly as the user gave them: no
// application object has taken any of them away yet.
QStringList ArgumentsAfterProgramName(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

int RunWindow(int argc, char* argv[], const CReportOptions& options)
{
    const QByteArray commandLine = options.strCommandLine.toUtf8();
    const NetsondeWindowStart start{StartProcessSockets() ? 1 : 0, options.bCommandLine ? 1 : 0,
                                    commandLine.constData()};
    return RunWindowModule(argc, argv, start);
}

int RunReportApplication(int argc, char* argv[], const CReportOptions& options)
{
    QCoreApplication application(argc, argv);
    NameApplication(argv[0]);
    if (!StartProcessSockets()) {
        ShowMessageBox(QStringLiteral("Windows sockets initialization failed."));
        return kReportMessageShown;
    }
    return RunReport(options);
}

} // namespace

int CMainApp::Run(int argc, char* argv[])
{
    const CReportOptions options = ParseReportOptions(ArgumentsAfterProgramName(argc, argv));
    switch (options.mode) {
    case CReportOptions::Mode::Help:
        return PrintLine(ReportHelpText().chopped(1));
    case CReportOptions::Mode::Version:
        return PrintLine(VersionText());
    case CReportOptions::Mode::UsageError:
        return ReportUsageError(options.strError);
    case CReportOptions::Mode::Report:
        return RunReportApplication(argc, argv, options);
    case CReportOptions::Mode::Window:
        break;
    }
    return RunWindow(argc, argv, options);
}

} // namespace netsonde
