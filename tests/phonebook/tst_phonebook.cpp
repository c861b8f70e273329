// SPDX-License-Identifier: GPL-3.0-or-later
#include "phonebook/Phonebook.h"

#include "phonebook/PhonebookFiles.h"
#include "support/FileHelpers.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using netsonde::CPhonebook;
using netsonde::PhonebookAddResult;
using namespace netsonde::test;
using namespace Qt::StringLiterals;

namespace {

// Each entry as "record address note".
QStringList Listed(const CPhonebook& phonebook)
{
    QStringList listed;
    for (const auto& entry : phonebook.Entries())
        listed << QStringLiteral("%1 %2 %3").arg(entry.record).arg(entry.address, entry.note).trimmed();
    return listed;
}

} // namespace

class TestPhonebook : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dataHome = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dataHome->isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome->path()));
        m_path = CPhonebook::DefaultFilePath();
    }

    void missingFileIsCreatedEmpty()
    {
        QCOMPARE(m_path, m_dataHome->filePath(QStringLiteral("Korvelin/tst_phonebook.pbk")));
        QVERIFY(!QFileInfo::exists(QFileInfo(m_path).absolutePath()));
        CPhonebook phonebook;
        QVERIFY(phonebook.Open() && phonebook.IsOpen() && phonebook.Entries().isEmpty());
        QVERIFY(QFileInfo(m_path).isFile() && QFileInfo(m_path).size() == 0);
    }

    // Each change is written at once, while the file is still open; a removed
    // record is marked free and reused first.
    void changesAreWrittenAtOnce()
    {
        CPhonebook phonebook;
        QVERIFY(phonebook.Open());
        int record = -1;
        const QString nulX = QChar::Null + u"x"_s;
        QCOMPARE(phonebook.Add(QStringLiteral("zeta.example")), PhonebookAddResult::Added);
        QCOMPARE(phonebook.Add(QStringLiteral("John@Host.Example")), PhonebookAddResult::Added);
        QCOMPARE(phonebook.Add("10.1.2.3"_L1 + nulX, &record), PhonebookAddResult::Added);
        QCOMPARE(record, 2);
        const QByteArray three = Record("zeta.example") + Record("John@Host.Example") + Record("10.1.2.3");
        QCOMPARE(FileBytes(m_path), three);
        for (const QString& refused : {u"john@host.example"_s, u"John@Host.Example"_s, "JOHN@host.example"_L1 + nulX})
            QCOMPARE(phonebook.Add(refused), PhonebookAddResult::AlreadyPresent);
        for (const QString& reserved : {u"Empty"_s, "Empty"_L1 + nulX})
            QCOMPARE(phonebook.Add(reserved), PhonebookAddResult::ReservedAddress);
        QCOMPARE(FileBytes(m_path), three);
        QCOMPARE(phonebook.Add(QStringLiteral("John@Host")), PhonebookAddResult::Added);
        QCOMPARE(phonebook.Add(QStringLiteral("John@Host.Example.org")), PhonebookAddResult::Added);
        QCOMPARE(phonebook.Find(QStringLiteral("ZETA.example"))->record, 0);
        QCOMPARE(phonebook.FindRecord(2)->address, QStringLiteral("10.1.2.3"));

        QVERIFY(phonebook.Remove(1) && !phonebook.Find(QStringLiteral("John@Host.Example")) && !phonebook.Remove(1));
        QCOMPARE(FileBytes(m_path).first(750), Record("zeta.example") + Record("Empty") + Record("10.1.2.3"));
        QCOMPARE(phonebook.Add(QStringLiteral("four"), &record), PhonebookAddResult::Added);
        QCOMPARE(record, 1);
        QCOMPARE(FileBytes(m_path), Record("zeta.example") + Record("four") + Record("10.1.2.3") + Record("John@Host")
                                        + Record("John@Host.Example.org"));
    }

    // Loading lists the whole records that hold an address, alphabetically
    // with letter case aside, and changes nothing; the next address goes to
    // the lowest free record.
    void loadsWholeRecords_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<int>("added");
        QTest::newRow("sorted") << Record("Empty") + Record("Bravo") + Record("alpha", "first") + Record("charlie")
                                << QStringList{"2 alpha first", "1 Bravo", "3 charlie"} << 0;
        QTest::newRow("last record cut") << Record("a") + Record("b") + Record("c").left(100)
                                         << QStringList{"0 a", "1 b"} << 2;
        QTest::newRow("only exact Empty is free") << Record("Empty") + Record("empty") + Record("EMPTY", "kept")
                                                  << QStringList{"1 empty", "2 EMPTY kept"} << 0;
    }

    void loadsWholeRecords()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, added);
        QVERIFY(WriteFile(m_path, file));
        CPhonebook phonebook;
        QVERIFY(phonebook.Open());
        QTEST(Listed(phonebook), "listed");
        QCOMPARE(FileBytes(m_path), file);
        int record = -1;
        QCOMPARE(phonebook.Add(QStringLiteral("new"), &record), PhonebookAddResult::Added);
        QCOMPARE(record, added);
        const qsizetype at = added * 250;
        QCOMPARE(FileBytes(m_path), file.first(at) + Record("new") + file.sliced(qMin(file.size(), at + 250)));
    }

    void addressLength_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("fits");
        QTest::newRow("50 characters") << QString(50, QLatin1Char('a')) << true;
        QTest::newRow("51 characters") << QString(51, QLatin1Char('a')) << false;
        QTest::newRow("50 bytes of 25 characters") << QString(25, QChar(0x00e9)) << true;
        QTest::newRow("52 bytes of 26 characters") << QString(26, QChar(0x00e9)) << false;
    }

    void addressLength()
    {
        QFETCH(QString, address);
        QFETCH(bool, fits);
        CPhonebook phonebook;
        QVERIFY(phonebook.Open());
        QCOMPARE(phonebook.Add(address), fits ? PhonebookAddResult::Added : PhonebookAddResult::TooLong);
        QCOMPARE(FileBytes(m_path), fits ? Record(address.toUtf8()) : QByteArray());
        phonebook.Close();
        QVERIFY(phonebook.Open());
        QCOMPARE(Listed(phonebook), fits ? QStringList{"0 " + address} : QStringList());
    }

    void thousandRecordsAtMost()
    {
        QByteArray records;
        for (int i = 0; i < 1000; ++i)
            records += Record("host" + QByteArray::number(i));
        const QByteArray file = records + Record("beyond");
        QVERIFY(WriteFile(m_path, file));
        CPhonebook phonebook;
        QVERIFY(phonebook.Open());
        QCOMPARE(phonebook.Entries().size(), 1000);
        QVERIFY(!phonebook.Find(QStringLiteral("beyond")));
        QCOMPARE(CPhonebook::AddFailureText(phonebook.Add(QStringLiteral("one more"))),
                 QStringLiteral("Cannot add any more items to the PhoneBook"));
        QCOMPARE(FileBytes(m_path), file);
        QVERIFY(phonebook.Remove(phonebook.Find(QStringLiteral("host999"))->record));
        QCOMPARE(phonebook.Add(QStringLiteral("one more")), PhonebookAddResult::Added);
        QCOMPARE(FileBytes(m_path).sliced(999 * 250), Record("one more") + Record("beyond"));
    }

    // A note fills its 200 bytes without a terminating zero; line ends are
    // stored as CR LF.
    void notes()
    {
        QVERIFY(WriteFile(m_path, Record("a") + Record("b")));
        CPhonebook phonebook;
        QVERIFY(phonebook.Open());
        const QByteArray full = 'N' + QByteArray(198, 'n') + 'Z';
        const QByteArray written = Record("a", full) + Record("b", "line one\r\nline two");
        QVERIFY(phonebook.NoteFits(0, QString::fromLatin1(full)) && phonebook.SetNote(0, QString::fromLatin1(full)));
        QVERIFY(phonebook.SetNote(1, QStringLiteral("line one\nline two")));
        QCOMPARE(FileBytes(m_path), written);
        QVERIFY(!phonebook.NoteFits(1, QString(201, 'n')));
        QVERIFY(phonebook.NoteFits(1, QString(100, '\n')) && !phonebook.NoteFits(1, QString(101, '\n')));
        QVERIFY(!phonebook.SetNote(1, QString(201, QLatin1Char('n'))));
        QVERIFY(!phonebook.SetNote(7, QStringLiteral("no such record")));
        QCOMPARE(FileBytes(m_path), written);
        phonebook.Close();
        QVERIFY(phonebook.Open());
        QCOMPARE(Listed(phonebook), (QStringList{"0 a " + QString::fromLatin1(full), "1 b line one\nline two"}));
    }

    // Notes written by other programs: each byte that is not part of valid
    // UTF-8 reads as Latin-1, and an edit rewrites only what it changed.
    void editKeepsUnchangedBytes_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QByteArray>("written");
        const QByteArray stored = "caf\xe9 cr\xe8me";
        const QString latin1 = QStringLiteral("caf\u00e9 cr\u00e8me");
        QTest::newRow("Latin-1, typed at the end")
            << stored << latin1 << latin1 + QChar(0x00fc) << QByteArray(stored + "\xc3\xbc");
        QTest::newRow("Latin-1, deleted inside")
            << stored << latin1 << QStringLiteral("caf\u00e9 r\u00e8me") << QByteArray("caf\xe9 r\xe8me");
        QTest::newRow("UTF-8 and Latin-1 mixed") << QByteArray("\xc3\xa9t\xe9") << QStringLiteral("\u00e9t\u00e9")
                                                 << QStringLiteral("\u00e9t\u00e9s") << QByteArray("\xc3\xa9t\xe9s");
        QTest::newRow("line ends and no-break space kept")
            << QByteArray("a\nb\xa0" "c\r\nd") << QStringLiteral("a\nb c\nd") << QStringLiteral("a\nb c\nd\n!")
            << QByteArray("a\nb\xa0" "c\r\nd\r\n!");
        QTest::newRow("kept bytes that would join are rewritten")
            << QByteArray("\xc3x\xa9") << QStringLiteral("\u00c3x\u00a9") << QStringLiteral("\u00c3\u00a9")
            << QByteArray("\xc3\x83\xc2\xa9");
        QTest::newRow("full Latin-1 note shortened")
            << QByteArray(200, '\xe9') << QString(200, QChar(0x00e9)) << QString(199, QChar(0x00e9))
            << QByteArray(199, '\xe9');
    }

    void editKeepsUnchangedBytes()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, edited);
        QFETCH(QByteArray, written);
        QVERIFY(WriteFile(m_path, Record("host", stored)));
        CPhonebook phonebook;
        QVERIFY(phonebook.Open());
        QTEST(phonebook.FindRecord(0)->note, "shown");
        QVERIFY(phonebook.SetNote(0, edited));
        QCOMPARE(FileBytes(m_path), Record("host", written));
        const QString filled = edited + QString(200 - written.size(), QLatin1Char('x'));
        QVERIFY(phonebook.NoteFits(0, filled) && !phonebook.NoteFits(0, filled + QLatin1Char('x')));
        phonebook.Close();
        QVERIFY(phonebook.Open());
        QCOMPARE(phonebook.FindRecord(0)->note, edited);
    }

    void openFailureChangesNothing()
    {
        // A folder where the file should be: it can be neither read nor written, even by root.
        QVERIFY(QDir().mkpath(m_path));
        CPhonebook phonebook;
        QVERIFY(!phonebook.Open() && !phonebook.IsOpen() && phonebook.Entries().isEmpty());
        QCOMPARE(phonebook.Add(QStringLiteral("host")), PhonebookAddResult::NotOpen);
        QVERIFY(!phonebook.SetNote(0, QStringLiteral("note")));
        QVERIFY(QFileInfo(m_path).isDir() && QDir(m_path).isEmpty());
        // A file where the folder should be.
        const QString folder = QFileInfo(m_path).absolutePath();
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(WriteFile(folder, "kept"));
        QVERIFY(!phonebook.Open());
        QCOMPARE(FileBytes(folder), QByteArray("kept"));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dataHome;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestPhonebook)
#include "tst_phonebook.moc"
