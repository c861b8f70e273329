// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Phonebook files as bytes, for the tests of the file and of the dialog.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace netsonde::test {

// One 250-byte record as it must appear in the file.
inline QByteArray Record(const QByteArray& address, const QByteArray& note = {})
{
    return address + QByteArray(50 - address.size(), '\0') + note + QByteArray(200 - note.size(), '\0');
}

inline QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteAll(const QString& path, const QByteArray& bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace netsonde::test
