// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainApp.h"

#include "app/ApplicationNames.h"
#include "app/ReportMode.h"
#include "app/ReportOptions.h"
#include "app/WindowModule.h"
#include "platform/MessageBox.h"
#include "platform/SocketStartupRecord.h"

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

int RunWindow(int argc, char* argv[], const ReportOptions& options)
{
    const QByteArray commandLine = options.commandLine.toUtf8();
    const NetsondeWindowStart start{StartProcessSockets() ? 1 : 0, options.fromSwitch ? 1 : 0, commandLine.constData()};
    return RunWindowModule(argc, argv, start);
}

int RunReportApplication(int argc, char* argv[], const ReportOptions& options)
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

int MainApp::Run(int argc, char* argv[])
{
    const ReportOptions options = ParseReportOptions(ArgumentsAfterProgramName(argc, argv));
    switch (options.mode) {
    case ReportOptions::Mode::Help:
        return PrintLine(ReportHelpText().chopped(1));
    case ReportOptions::Mode::Version:
        return PrintLine(VersionText());
    case ReportOptions::Mode::UsageError:
        return ReportUsageError(options.error);
    case ReportOptions::Mode::Report:
        return RunReportApplication(argc, argv, options);
    case ReportOptions::Mode::Window:
        break;
    }
    return RunWindow(argc, argv, options);
}

} // namespace netsonde
