#include "app/MainApp.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // The settings store is named after the executable.
    QApplication::setApplicationName(QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName());
    QApplication::setApplicationDisplayName(QStringLiteral("Netsonde"));
    QApplication::setOrganizationName(QStringLiteral("Korvelin"));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    return netsonde::CMainApp().Run(arguments);
}
