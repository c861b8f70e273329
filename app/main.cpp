#include "app/MainApp.h"
#include "app/ReportOptions.h"

#include <QApplication>
#include <QFileInfo>

namespace {

QStringList ArgumentsAfterProgramName(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Report mode, --help and --version show no window, so they must not need a
// display: they use the offscreen platform unless the user chose one.
void UseOffscreenPlatformWithoutWindow(int argc, char* argv[])
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (netsonde::RunsWithoutWindow(ArgumentsAfterProgramName(argc, argv)))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace

int main(int argc, char* argv[])
{
    UseOffscreenPlatformWithoutWindow(argc, argv);
    QApplication application(argc, argv);
    // The settings store is named after the executable.
    QApplication::setApplicationName(QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName());
    QApplication::setApplicationDisplayName(QStringLiteral("Netsonde"));
    QApplication::setOrganizationName(QStringLiteral("Korvelin"));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    return netsonde::CMainApp().Run(arguments);
}
