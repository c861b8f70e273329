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

namespace {

QStringList Addresses(const CPhonebook& phonebook)
{
    QStringList addresses;
    for (const auto& entry : phonebook.Entries())
        addresses << entry.address;
    return addresses;
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
        {
            CPhonebook phonebook;
            QVERIFY(phonebook.Open());
            QVERIFY(phonebook.IsOpen());
            QVERIFY(phonebook.Entries().isEmpty());
        }
        QVERIFY(QFileInfo::exists(m_path));
        QCOMPARE(QFileInfo(m_path).size(), 0);
    }

    void addsWriteRecordsInOrder()
    {
        CPhonebook phonebook;
        QVERIFY(phonebook.Open());
        QCOMPARE(phonebook.Add(QStringLiteral("zeta.example")), PhonebookAddResult::Added);
        QCOMPARE(phonebook.Add(QStringLiteral("john@alpha")), PhonebookAddResult::Added);
        int record = -1;
        QCOMPARE(phonebook.Add(QStringLiteral("10.1.2.3") + QChar::Null + QStringLiteral("tail"), &record),
                 PhonebookAddResult::Added);
        QCOMPARE(record, 2);
        // Written at once, while the file is still open.
        QCOMPARE(FileBytes(m_path), Record("zeta.example") + Record("john@alpha") + Record("10.1.2.3"));
        QCOMPARE(phonebook.Find(QStringLiteral("zeta.example"))->record, 0);
        QCOMPARE(phonebook.Find(QStringLiteral("john@alpha"))->record, 1);
        QCOMPARE(phonebook.FindRecord(2)->address, QStringLiteral("10.1.2.3"));
    }

    void removedRecordIsReused()
    {
        CPhonebook phonebook;
        QVERIFY(phonebook.Open());
        for (const char* address : {"one", "two", "three"})
            QCOMPARE(phonebook.Add(QString::fromLatin1(address)), PhonebookAddResult::Added);
        QVERIFY(phonebook.Remove(1));
        QVERIFY(!phonebook.Find(QStringLiteral("two")));
        QCOMPARE(FileBytes(m_path), Record("one") + Record("Empty") + Record("three"));
        QVERIFY(!phonebook.Remove(1));
        QCOMPARE(phonebook.Add(QStringLiteral("four")), PhonebookAddResult::Added);
        QCOMPARE(phonebook.Find(QStringLiteral("four"))->record, 1);
        QCOMPARE(FileBytes(m_path), Record("one") + Record("four") + Record("three"));
    }

    void reopenLoadsEntriesSorted()
    {
        {
            CPhonebook phonebook;
            QVERIFY(phonebook.Open());
            for (const char* address : {"delta", "Bravo", "alpha", "charlie"})
                QCOMPARE(phonebook.Add(QString::fromLatin1(address)), PhonebookAddResult::Added);
            QVERIFY(phonebook.SetNote(phonebook.Find(QStringLiteral("alpha"))->record, QStringLiteral("first")));
            QVERIFY(phonebook.Remove(phonebook.Find(QStringLiteral("delta"))->record));
        }
        CPhonebook phonebook;
        QVERIFY(phonebook.Open());
        QCOMPARE(Addresses(phonebook), (QStringList{"alpha", "Bravo", "charlie"}));
        QCOMPARE(phonebook.Find(QStringLiteral("ALPHA"))->note, QStringLiteral("first"));
        QCOMPARE(phonebook.Find(QStringLiteral("bravo"))->record, 1);
        QCOMPARE(phonebook.Add(QStringLiteral("echo")), PhonebookAddResult::Added);
        QCOMPARE(phonebook.Find(QStringLiteral("echo"))->record, 0);
    }

    void onlyWholeRecordsAreLoaded()
    {
        QVERIFY(WriteFile(m_path, Record("a") + Record("b") + Record("c").left(100)));
        {
            CPhonebook phonebook;
            QVERIFY(phonebook.Open());
            QCOMPARE(Addresses(phonebook), (QStringList{"a", "b"}));
        }
        QCOMPARE(QFileInfo(m_path).size(), 600); // never truncated
        CPhonebook phonebook;
        QVERIFY(phonebook.Open());
        QCOMPARE(phonebook.Add(QStringLiteral("d")), PhonebookAddResult::Added);
        QCOMPARE(FileBytes(m_path), Record("a") + Record("b") + Record("d"));
    }

    void onlyExactEmptyMarksFreeRecord()
    {
        QVERIFY(WriteFile(m_path, Record("Empty") + Record("empty") + Record("EMPTY", "kept")));
        CPhonebook phonebook;
        QVERIFY(phonebook.Open());
        QCOMPARE(Addresses(phonebook), (QStringList{"empty", "EMPTY"}));
        QCOMPARE(phonebook.FindRecord(2)->note, QStringLiteral("kept"));
        QCOMPARE(phonebook.Add(QStringLiteral("Empty")), PhonebookAddResult::ReservedAddress);
        QCOMPARE(phonebook.Add(QStringLiteral("Empty") + QChar::Null + QStringLiteral("x")),
                 PhonebookAddResult::ReservedAddress);
        QCOMPARE(phonebook.Add(QStringLiteral("host")), PhonebookAddResult::Added);
        QCOMPARE(phonebook.Find(QStringLiteral("host"))->record, 0);
    }

    void duplicatesDifferOnlyInCase()
    {
        CPhonebook phonebook;
        QVERIFY(phonebook.Open());
        QCOMPARE(phonebook.Add(QStringLiteral("John@Host.Example")), PhonebookAddResult::Added);
        const QByteArray before = FileBytes(m_path);
        for (const QString& same : {QStringLiteral("john@host.example"), QStringLiteral("John@Host.Example"),
                                    QStringLiteral("john@host.example") + QChar::Null + QStringLiteral("x")})
            QCOMPARE(phonebook.Add(same), PhonebookAddResult::AlreadyPresent);
        QCOMPARE(FileBytes(m_path), before);
        QCOMPARE(phonebook.Add(QStringLiteral("John@Host")), PhonebookAddResult::Added);
        QCOMPARE(phonebook.Add(QStringLiteral("John@Host.Example.org")), PhonebookAddResult::Added);
        QCOMPARE(phonebook.Entries().size(), 3);
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
        QCOMPARE(Addresses(phonebook), fits ? QStringList{address} : QStringList());
    }

    void thousandRecordsAtMost()
    {
        QByteArray records;
        for (int i = 0; i < 1000; ++i)
            records += Record("host" + QByteArray::number(i));
        const QByteArray beyond = Record("beyond");
        QVERIFY(WriteFile(m_path, records + beyond));
        CPhonebook phonebook;
        QVERIFY(phonebook.Open());
        QCOMPARE(phonebook.Entries().size(), 1000);
        QVERIFY(!phonebook.Find(QStringLiteral("beyond")));
        QCOMPARE(CPhonebook::AddFailureText(phonebook.Add(QStringLiteral("one more"))),
                 QStringLiteral("Cannot add any more items to the PhoneBook"));
        QCOMPARE(FileBytes(m_path), records + beyond);
        QVERIFY(phonebook.Remove(phonebook.Find(QStringLiteral("host999"))->record));
        QCOMPARE(phonebook.Add(QStringLiteral("one more")), PhonebookAddResult::Added);
        QCOMPARE(phonebook.Find(QStringLiteral("one more"))->record, 999);
        QCOMPARE(FileBytes(m_path).sliced(999 * 250), Record("one more") + beyond);
    }

    void notes()
    {
        CPhonebook phonebook;
        QVERIFY(phonebook.Open());
        QCOMPARE(phonebook.Add(QStringLiteral("a")), PhonebookAddResult::Added);
        QCOMPARE(phonebook.Add(QStringLiteral("b")), PhonebookAddResult::Added);
        const QByteArray full = 'N' + QByteArray(198, 'n') + 'Z';
        const QByteArray written = Record("a", full) + Record("b", "line one\r\nline two");
        QVERIFY(phonebook.NoteFits(0, QString::fromLatin1(full)));
        QVERIFY(phonebook.SetNote(0, QString::fromLatin1(full)));
        QVERIFY(phonebook.SetNote(1, QStringLiteral("line one\nline two")));
        QCOMPARE(FileBytes(m_path), written);
        QVERIFY(!phonebook.NoteFits(1, QString(201, QLatin1Char('n'))));
        QVERIFY(phonebook.NoteFits(1, QString(100, QLatin1Char('\n'))));
        QVERIFY(!phonebook.NoteFits(1, QString(101, QLatin1Char('\n'))));
        QVERIFY(!phonebook.SetNote(1, QString(201, QLatin1Char('n'))));
        QVERIFY(!phonebook.SetNote(7, QStringLiteral("no such record")));
        QCOMPARE(FileBytes(m_path), written);
        phonebook.Close();
        QVERIFY(phonebook.Open());
        QCOMPARE(phonebook.FindRecord(0)->note, QString::fromLatin1(full));
        QCOMPARE(phonebook.FindRecord(1)->note, QStringLiteral("line one\nline two"));
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
        QTest::newRow("Latin-1, typed at the end") << stored << latin1 << latin1 + QChar(0x00fc) << QByteArray(stored + "\xc3\xbc");
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
        QVERIFY(phonebook.NoteFits(0, filled));
        QVERIFY(!phonebook.NoteFits(0, filled + QLatin1Char('x')));
        phonebook.Close();
        QVERIFY(phonebook.Open());
        QCOMPARE(phonebook.FindRecord(0)->note, edited);
    }

    void openFailureChangesNothing()
    {
        // A folder where the file should be: it can be neither read nor written, even by root.
        QVERIFY(QDir().mkpath(m_path));
        CPhonebook phonebook;
        QVERIFY(!phonebook.Open());
        QVERIFY(!phonebook.IsOpen());
        QVERIFY(phonebook.Entries().isEmpty());
        QCOMPARE(phonebook.Add(QStringLiteral("host")), PhonebookAddResult::NotOpen);
        QVERIFY(!phonebook.SetNote(0, QStringLiteral("note")));
        QVERIFY(QFileInfo(m_path).isDir());
        QVERIFY(QDir(m_path).isEmpty());
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
