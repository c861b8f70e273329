// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files of the lab's own in place of the system's, for this process only: a
// hosts file that names the lab's servers, a store of trusted certificates
// that holds the lab's own authority. Each is bound over the system's file or
// folder in a mount namespace of this process's own, so the product reads
// them as it reads the system's and needs no entry point of its own.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace netsonde::test {

// Binds path over target (a file over a file, a folder over a folder); the
// first call moves this process into a mount namespace of its own. Why it
// failed, or empty.
inline QString BindOverSystemPath(const QString& path, const char* target)
{
    static bool unshared = false;
    if (!unshared) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return QStringLiteral("no mount namespace: ") + QString::fromLocal8Bit(std::strerror(errno));
        unshared = true;
    }
    if (::mount(QFile::encodeName(path).constData(), target, nullptr, MS_BIND, nullptr) != 0)
        return QStringLiteral("cannot bind over %1: %2").arg(target, QString::fromLocal8Bit(std::strerror(errno)));
    return {};
}

// A hosts file with these lines bound over /etc/hosts. Why the lab's names
// stay unknown, or empty.
inline QString InstallLabHosts(const QByteArray& lines)
{
    static QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("hosts"));
    QFile hosts(path);
    if (!directory.isValid() || !hosts.open(QIODevice::WriteOnly) || hosts.write(lines) != lines.size())
        return QStringLiteral("cannot write a hosts file");
    hosts.close();
    return BindOverSystemPath(path, "/etc/hosts");
}

} // namespace netsonde::test
