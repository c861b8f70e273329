// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names of the application object, set once it exists: the settings
// store is named after the executable, in the organisation "Korvelin".

#include <QCoreApplication>
#include <QFileInfo>

namespace netsonde {

inline void NameApplication(const char* programPath)
{
    QCoreApplication::setApplicationName(QFileInfo(QString::fromLocal8Bit(programPath)).completeBaseName());
    QCoreApplication::setOrganizationName(QStringLiteral("Korvelin"));
}

} // namespace netsonde
