// The stored text formats (font record, column widths) and the settings
// store's reading rules, through a real INI file.

#include "settings/ColumnWidths.h"
#include "settings/FontRecord.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QTest>

using namespace netsonde;

class TestSettingsFormats : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QFile::remove(SettingsStore::FilePath());
    }

    void fontRecordRoundTrip()
    {
        FontRecord record;
        record.height = -13;
        record.weight = 700;
        record.italic = 1;
        record.charSet = 238;
        record.pitchAndFamily = 49;
        record.faceName = QStringLiteral("DejaVu Sans Mono");
        const QString text = FormatFontRecord(record);
        QCOMPARE(text, QStringLiteral("-13,0,0,0,700,1,0,0,238,0,0,0,49,DejaVu_Sans_Mono"));
        QCOMPARE(ParseFontRecord(text), std::optional(record));
    }

    void fontRecordParsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("parses");
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("italic");
        QTest::newRow("plain") << "-12,0,0,0,400,0,0,0,0,0,0,0,0,Serif" << true << "Serif" << 0;
        QTest::newRow("byte fields keep their low byte") << "-12,0,0,0,400,257,0,0,0,0,0,0,0,A" << true << "A" << 1;
        QTest::newRow("reading stops at white space") << "-12,0,0,0,400,0,0,0,0,0,0,0,0,Free Mono" << true << "Free" << 0;
        QTest::newRow("long face kept to 31") << "-12,0,0,0,400,0,0,0,0,0,0,0,0," + QString(45, QLatin1Char('x'))
                                            << true << QString(31, QLatin1Char('x')) << 0;
        QTest::newRow("twelve integers") << "-12,0,0,0,400,0,0,0,0,0,0,0,Serif" << false << "" << 0;
        QTest::newRow("not a number") << "-12,0,0,zero,400,0,0,0,0,0,0,0,0,Serif" << false << "" << 0;
        QTest::newRow("no face") << "-12,0,0,0,400,0,0,0,0,0,0,0,0," << false << "" << 0;
        QTest::newRow("empty") << "" << false << "" << 0;
    }

    void fontRecordParsing()
    {
        QFETCH(QString, text);
        QFETCH(bool, parses);
        QFETCH(QString, face);
        QFETCH(int, italic);
        const auto record = ParseFontRecord(text);
        QCOMPARE(record.has_value(), parses);
        if (record) {
            QCOMPARE(record->faceName, face);
            QCOMPARE(int(record->italic), italic);
        }
    }

    void columnWidths_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("parses");
        QTest::newRow("four") << "31,120,200,90" << true;
        QTest::newRow("spaces") << " 31, 120 ,200,90" << true;
        QTest::newRow("three") << "31,120,200" << false;
        QTest::newRow("five") << "1,2,3,4,5" << false;
        QTest::newRow("negative") << "31,-1,200,90" << false;
        QTest::newRow("text") << "a,b,c,d" << false;
    }

    void columnWidths()
    {
        QFETCH(QString, text);
        QFETCH(bool, parses);
        const auto widths = ParseColumnWidths(text);
        QCOMPARE(widths.has_value(), parses);
        if (widths)
            QCOMPARE(FormatColumnWidths(*widths).remove(QLatin1Char(' ')), QString(text).remove(QLatin1Char(' ')));
    }

    void storeReadsAndWritesThroughTheIniFile()
    {
        QCOMPARE(SettingsStore::ReadInt(QStringLiteral("Ping"), QStringLiteral("Timeout"), 15), 15);
        QCOMPARE(SettingsStore::ReadText(QStringLiteral("Options"), QStringLiteral("Font"), QStringLiteral("none")),
                 QStringLiteral("none"));
        SettingsStore::WriteInt(QStringLiteral("Ping"), QStringLiteral("Timeout"), 42);
        SettingsStore::WriteText(QStringLiteral("Name Server LookUp"), QStringLiteral("Recent List"),
                                 QStringLiteral("a.example;b.example;"));
        SettingsStore::WriteYesNo(QStringLiteral("Window"), QStringLiteral("RememberPosition"), true);
        QCOMPARE(SettingsStore::ReadInt(QStringLiteral("Ping"), QStringLiteral("Timeout"), 15), 42);
        QCOMPARE(SettingsStore::ReadText(QStringLiteral("Name Server LookUp"), QStringLiteral("Recent List")),
                 QStringLiteral("a.example;b.example;"));

        QFile file(SettingsStore::FilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray ini = file.readAll();
        QVERIFY(SettingsStore::FilePath().endsWith(QStringLiteral("/Korvelin/tst_settingsformats.ini")));
        QVERIFY(ini.contains("Timeout=42\n"));
        QVERIFY(ini.contains("RememberPosition=Yes\n"));
    }

    void handEditedValues()
    {
        QFile file(SettingsStore::FilePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Window]\nRememberPosition=yes\nLeft=abc\n[Options]\nSmart%20Address%20Splitting=YES\n"
                   "[Ping]\nColumns=10,20,30,40\n");
        file.close();
        QVERIFY(!SettingsStore::ReadYesNo(QStringLiteral("Window"), QStringLiteral("RememberPosition"), QStringLiteral("No")));
        QVERIFY(!SettingsStore::ReadYesNo(QStringLiteral("Options"), QStringLiteral("Smart Address Splitting"),
                                          QStringLiteral("Yes")));
        QVERIFY(SettingsStore::ReadYesNo(QStringLiteral("Options"), QStringLiteral("Absent"), QStringLiteral("Yes")));
        QCOMPARE(SettingsStore::ReadInt(QStringLiteral("Window"), QStringLiteral("Left"), -1), -1);
        // Unquoted commas come back from the INI reader as a list: still one text.
        QCOMPARE(SettingsStore::ReadText(QStringLiteral("Ping"), QStringLiteral("Columns")),
                 QStringLiteral("10,20,30,40"));
    }

    void readOnlyStoreWritesNothing()
    {
        SettingsStore::SetReadOnly(true);
        SettingsStore::WriteInt(QStringLiteral("Ping"), QStringLiteral("Timeout"), 7);
        SettingsStore::SetReadOnly(false);
        QVERIFY(!QFile::exists(SettingsStore::FilePath()));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFormats)
#include "tst_settingsformats.moc"
