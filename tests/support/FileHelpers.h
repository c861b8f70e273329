// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files written and read back by the tests, whole and with a bounded read, and
// the count of this process's open descriptors.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace netsonde::test {

// Writes the bytes, creating the file's folder first; false when any step fails.
inline bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly)
           && file.write(bytes) == bytes.size();
}

// The file's first mebibyte; empty when it cannot be read.
inline QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(1 << 20) : QByteArray();
}

// How many descriptors this process holds open.
inline qsizetype OpenDescriptorCount()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
}

} // namespace netsonde::test
