// SPDX-License-Identifier: GPL-3.0-or-later
// The window and the phonebook on disks that fail: a read-only settings
// folder or one that cannot be made, a read-only phonebook, a phonebook on
// a full disk, saving to a full disk and to a read-only file. Nothing
// crashes or blocks, a failure is told, and no file is left half written
// while it is reported saved. (A phonebook cut in a record or replaced by a
// folder needs no mount: the phonebook's own test has both.)

#include "FaultMounts.h"
#include "TestSupport.h"
#include "mainwindow/CommonDialogsAnswers.h"
#include "mainwindow/MainDialogFixture.h"
#include "support/FileHelpers.h"

#include "mainwindow/OutputPane.h"
#include "pages/UserHostPage.h"
#include "phonebook/Phonebook.h"
#include "platform/MessageBox.h"
#include "resources/ResourceIds.h"

#include "phonebook/PhonebookFiles.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace netsonde;
using namespace netsonde::test;

namespace {

QStringList Addresses(const CPhonebook& phonebook)
{
    QStringList addresses;
    for (const auto& entry : phonebook.Entries())
        addresses << entry.address;
    return addresses;
}

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The Finger tab after a run, its pane holding the text, Save answered
// with the path.
std::unique_ptr<CMainDialog> WindowToSave(const QString& text, const QString& path)
{
    CommonDialogs().chooseSavePath = [path](QWidget*) { return std::optional<QString>(path); };
    auto dialog = OpenMainDialog();
    dialog->SelectFunction(FunctionId::Finger);
    dialog->BeginRun();
    dialog->OnStop();
    dialog->FingerPage()->m_strHost = QStringLiteral("host.test");
    dialog->TextPane(FunctionId::Finger)->SetText(text);
    return dialog;
}

} // namespace

class TestFileFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    void settingsThatCannotBeWritten_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::newRow("read-only settings folder") << true;
        QTest::newRow("no settings folder, none can be made") << false;
    }
    // The window opens, runs its commands and closes with settings it cannot
    // write, and the next one opens: a settings file stays as it was and is
    // read again, a missing folder stays missing.
    void settingsThatCannotBeWritten()
    {
        QFETCH(bool, folderExists);
        CMessageBoxRecorder boxes;
        SettingsStore::WriteText(QStringLiteral("Test"), QStringLiteral("Kept"), QStringLiteral("yes"));
        const QString file = SettingsStore::FilePath();
        const QString folder = QFileInfo(file).absolutePath();
        if (!folderExists)
            QVERIFY(QDir(folder).removeRecursively());
        const QByteArray before = FileBytes(file);
        QCOMPARE(before.isEmpty(), !folderExists);
        const CScopedMount readOnly = CScopedMount::ReadOnly(folderExists ? folder : QFileInfo(folder).absolutePath());
        SKIP_WITHOUT(readOnly);
        QVERIFY(!QFile(file).open(QIODevice::ReadWrite));

        auto dialog = OpenMainDialog();
        dialog->OnRememberWindowPosition();
        dialog->OnRememberLastFunction();
        dialog->OnSmartAddressSplitting();
        dialog->SelectFunction(FunctionId::WhoIs);
        dialog->WhoIsPage()->AddRecentHost(QStringLiteral("whois.example"));
        dialog->close();
        dialog.reset();
        QCOMPARE(FileBytes(file), before);
        QCOMPARE(QFileInfo::exists(folder), folderExists);
        QCOMPARE(SettingsStore::ReadText(QStringLiteral("Test"), QStringLiteral("Kept")),
                 folderExists ? QStringLiteral("yes") : QString());
        dialog = OpenMainDialog();
        QVERIFY(dialog->isVisible());
        dialog->close();
        QVERIFY(boxes.Texts().isEmpty());
    }

    void readOnlyPhonebook()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("Netsonde.pbk"));
        const QByteArray stored = Record("kept.example", "a note");
        QVERIFY(WriteFile(path, stored));
        const CScopedMount readOnly = CScopedMount::ReadOnly(folder.path());
        SKIP_WITHOUT(readOnly);

        CPhonebook phonebook;
        QVERIFY(!phonebook.Open(path));
        QVERIFY(!phonebook.Remove(0));
        QCOMPARE(FileBytes(path), stored);
    }

    // A record that cannot be written is refused and not listed. Sixteen
    // records fill the file's first page, so the next needs a page of its own.
    void phonebookOnAFullDisk()
    {
        QTemporaryDir folder;
        const CScopedMount disk = CScopedMount::Tmpfs(folder.path(), 64);
        SKIP_WITHOUT(disk);
        const QString path = folder.filePath(QStringLiteral("Netsonde.pbk"));
        QByteArray records;
        QStringList addresses;
        for (int i = 10; i < 26; ++i)
            records += Record((addresses << QStringLiteral("r%1.example").arg(i)).last().toLatin1());
        QVERIFY(WriteFile(path, records));
        CPhonebook phonebook;
        QVERIFY(phonebook.Open(path));
        QVERIFY(FillDisk(folder.filePath(QStringLiteral("filler"))));

        QCOMPARE(phonebook.Add(QStringLiteral("new.example")), PhonebookAddResult::WriteFailed);
        QCOMPARE(Addresses(phonebook), addresses);
        phonebook.Close();
        QVERIFY(FileBytes(path).startsWith(records));
        QVERIFY(phonebook.Open(path));
        QCOMPARE(Addresses(phonebook), addresses);
    }

    void saveToAFullDisk_data()
    {
        QTest::addColumn<qsizetype>("freeBytes");
        QTest::addColumn<bool>("earlierFile");
        QTest::newRow("full, new file") << qsizetype(0) << false;
        QTest::newRow("full, file replaced") << qsizetype(0) << true;
        QTest::newRow("room for part of it") << qsizetype(8192) << false;
        QTest::newRow("room for part of it, file replaced") << qsizetype(8192) << true;
    }
    // The failure is told with the path, and what the folder holds is what
    // it held before: the earlier file whole, or no file at all. Save writes
    // a temporary file and renames it over the old one: otherwise a failed
    // write would leave a half-written file in place of the old one.
    void saveToAFullDisk()
    {
        QFETCH(qsizetype, freeBytes);
        QFETCH(bool, earlierFile);
        CCommonDialogsAnswers answers;
        CMessageBoxRecorder boxes;
        QTemporaryDir folder;
        const CScopedMount disk = CScopedMount::Tmpfs(folder.path(), 64);
        SKIP_WITHOUT(disk);
        const QString path = folder.filePath(QStringLiteral("Output.txt"));
        if (earlierFile)
            QVERIFY(WriteFile(path, "earlier output\r\n"));
        QVERIFY(FillDisk(folder.filePath(QStringLiteral("filler")), freeBytes));
        const QStringList filesBefore = FilesIn(folder.path());

        auto dialog = WindowToSave(QString(40000, QLatin1Char('x')), path);
        dialog->Command(ID_FILE_SAVE)->trigger();
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("Cannot create ") + path});
        QCOMPARE(FilesIn(folder.path()), filesBefore);
        QCOMPARE(FileBytes(path), earlierFile ? QByteArray("earlier output\r\n") : QByteArray());
    }

    void saveToAReadOnlyFile_data()
    {
        QTest::addColumn<bool>("wholeFolder");
        QTest::newRow("read-only folder") << true;
        QTest::newRow("read-only file") << false;
    }
    void saveToAReadOnlyFile()
    {
        QFETCH(bool, wholeFolder);
        CCommonDialogsAnswers answers;
        CMessageBoxRecorder boxes;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("kept.txt"));
        QVERIFY(WriteFile(path, "kept"));
        const CScopedMount readOnly = CScopedMount::ReadOnly(wholeFolder ? folder.path() : path);
        SKIP_WITHOUT(readOnly);
        QVERIFY(!QFile(path).open(QIODevice::WriteOnly | QIODevice::Append));

        auto dialog = WindowToSave(QStringLiteral("new text\r\n"), path);
        dialog->Command(ID_FILE_SAVE)->trigger();
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("Cannot create ") + path});
        QCOMPARE(FileBytes(path), QByteArray("kept"));
        QCOMPARE(FilesIn(folder.path()), QStringList{"kept.txt"});
    }
};

int main(int argc, char** argv)
{
    EnterPrivateMountNamespace();
    QApplication application(argc, argv);
    TestFileFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_filefaults.moc"
