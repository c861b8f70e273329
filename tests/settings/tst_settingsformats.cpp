// SPDX-License-Identifier: GPL-3.0-or-later
// The stored text formats (font record, column widths), the settings
// store's reading rules and the table of stored values, through a real INI
// file.

#include "settings/ColumnWidths.h"
#include "settings/FontRecord.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QTest>

#include <climits>

using namespace netsonde;

Q_DECLARE_METATYPE(netsonde::SettingKey)

namespace {

// A value as the program reads it: numbers in decimal, YesNo values as on
// ("Yes") or off ("No").
QString ReadAsText(SettingKey key)
{
    switch (SettingInfo(key).kind) {
    case SettingKind::Integer:
        return QString::number(ReadIntSetting(key));
    case SettingKind::YesNo:
        return ReadFlagSetting(key) ? QStringLiteral("Yes") : QStringLiteral("No");
    case SettingKind::Text:
        break;
    }
    return ReadTextSetting(key);
}

void StoreText(SettingKey key, const QString& text)
{
    const CSettingInfo& info = SettingInfo(key);
    SettingsStore::WriteText(QString(info.section), QString(info.name), text);
}

QString StoredText(SettingKey key)
{
    const CSettingInfo& info = SettingInfo(key);
    return SettingsStore::ReadText(QString(info.section), QString(info.name), QStringLiteral("absent"));
}

} // namespace

class TestSettingsFormats : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QFile::remove(SettingsStore::FilePath()); }

    void fontRecordRoundTrip()
    {
        const FontRecord record{-13, 0, 0, 0, 700, 1, 0, 0, 238, 0, 0, 0, 49, "DejaVu Sans Mono"};
        const QString text = FormatFontRecord(record);
        QCOMPARE(text, QStringLiteral("-13,0,0,0,700,1,0,0,238,0,0,0,49,DejaVu_Sans_Mono"));
        QCOMPARE(ParseFontRecord(text), std::optional(record));
    }

    void fontRecordParsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("face"); // "rejected" when the text is not a record
        QTest::addColumn<int>("italic");
        QTest::newRow("plain") << "-12,0,0,0,400,0,0,0,0,0,0,0,0,Serif" << "Serif" << 0;
        QTest::newRow("byte fields keep their low byte") << "-12,0,0,0,400,257,0,0,0,0,0,0,0,A" << "A" << 1;
        QTest::newRow("stops at white space") << "-12,0,0,0,400,0,0,0,0,0,0,0,0,Free Mono" << "Free" << 0;
        QTest::newRow("long face kept to 31") << "-12,0,0,0,400,0,0,0,0,0,0,0,0," + QString(45, 'x') << QString(31, 'x')
                                            << 0;
        QTest::newRow("twelve integers") << "-12,0,0,0,400,0,0,0,0,0,0,0,Serif" << "rejected" << 0;
        QTest::newRow("not a number") << "-12,0,0,zero,400,0,0,0,0,0,0,0,0,Serif" << "rejected" << 0;
        QTest::newRow("no face") << "-12,0,0,0,400,0,0,0,0,0,0,0,0," << "rejected" << 0;
        QTest::newRow("empty") << "" << "rejected" << 0;
    }

    void fontRecordParsing()
    {
        QFETCH(QString, text);
        const auto record = ParseFontRecord(text);
        QTEST(record ? record->faceName : QString("rejected"), "face");
        QTEST(record ? int(record->italic) : 0, "italic");
    }

    void columnWidths_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("formatted"); // "rejected" when the text is not four widths
        QTest::newRow("four") << "31,120,200,90" << "31,120,200,90";
        QTest::newRow("spaces") << " 31, 120 ,200,90" << "31,120,200,90";
        QTest::newRow("three") << "31,120,200" << "rejected";
        QTest::newRow("five") << "1,2,3,4,5" << "rejected";
        QTest::newRow("negative") << "31,-1,200,90" << "rejected";
        QTest::newRow("text") << "a,b,c,d" << "rejected";
    }

    void columnWidths()
    {
        QFETCH(QString, text);
        const auto widths = ParseColumnWidths(text);
        QTEST(widths ? FormatColumnWidths(*widths).remove(' ') : QString("rejected"), "formatted");
    }

    void storeReadsAndWritesThroughTheIniFile()
    {
        SettingsStore::SetReadOnly(true);
        SettingsStore::WriteInt("Ping", "Timeout", 7);
        SettingsStore::SetReadOnly(false);
        QVERIFY(!QFile::exists(SettingsStore::FilePath()));
        QCOMPARE(SettingsStore::ReadInt("Ping", "Timeout", 15), 15);
        QCOMPARE(SettingsStore::ReadText("Options", "Font", "none"), "none");
        SettingsStore::WriteInt("Ping", "Timeout", 42);
        SettingsStore::WriteText("Name Server LookUp", "Recent List", "a.example;b.example;");
        SettingsStore::WriteYesNo("Window", "RememberPosition", true);
        QCOMPARE(SettingsStore::ReadInt("Ping", "Timeout", 15), 42);
        QCOMPARE(SettingsStore::ReadText("Name Server LookUp", "Recent List"), "a.example;b.example;");

        QFile file(SettingsStore::FilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray ini = file.readAll();
        QVERIFY(SettingsStore::FilePath().endsWith(QStringLiteral("/Korvelin/tst_settingsformats.ini")));
        QVERIFY(ini.contains("Timeout=42\n") && ini.contains("RememberPosition=Yes\n"));
    }

    void handEditedValues()
    {
        QFile file(SettingsStore::FilePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Window]\nRememberPosition=yes\n[Options]\nSmart%20Address%20Splitting=YES\n"
                   "[Ping]\nColumns=10,20,30,40\n");
        file.close();
        QVERIFY(!ReadFlagSetting(SettingKey::WindowRememberPosition));
        QVERIFY(!ReadFlagSetting(SettingKey::SmartAddressSplitting));
        QVERIFY(SettingsStore::ReadYesNo("Options", "Absent", "Yes"));
        // Unquoted commas come back from the INI reader as a list: still one text.
        QCOMPARE(ReadTextSetting(SettingKey::PingColumns), QStringLiteral("10,20,30,40"));
    }

    // The table of stored values: each has its own place in the store, a
    // first start reads its default, and a hand-edited number comes back
    // inside the range of its page's spin field.
    void settingTable_data()
    {
        QTest::addColumn<SettingKey>("key");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("firstRead");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        qsizetype rows = 0;
        const auto row = [&rows](SettingKey key, const char* section, const char* name, const char* firstRead,
                                 int minimum = INT_MIN, int maximum = INT_MAX) {
            QTest::addRow("%s/%s", section, name) << key << QString::fromLatin1(section) << QString::fromLatin1(name)
                                                  << QString::fromLatin1(firstRead) << minimum << maximum;
            ++rows;
        };
        using enum SettingKey;
        row(WindowRememberPosition, "Window", "RememberPosition", "No");
        row(WindowState, "Window", "State", "");
        row(WindowMinX, "Window", "MinX", "-1");
        row(WindowMinY, "Window", "MinY", "-1");
        row(WindowMaxX, "Window", "MaxX", "-1");
        row(WindowMaxY, "Window", "MaxY", "-1");
        row(WindowLeft, "Window", "Left", "-1");
        row(WindowTop, "Window", "Top", "-1");
        row(WindowRight, "Window", "Right", "-1");
        row(WindowBottom, "Window", "Bottom", "-1");
        row(WindowHeight, "Window", "Height", "350");
        row(RememberLastFunction, "Options", "RememberLastFunction", "-1");
        row(SmartAddressSplitting, "Options", "Smart Address Splitting", "Yes");
        row(PreferIPv6, "Options", "Prefer IPv6", "No");
        row(OutputFont, "Options", "Font", "");
        row(PingColumns, "Ping", "Columns", "");
        row(PingRecentList, "Ping", "Recent List", "");
        row(PingTimeout, "Ping", "Timeout", "15", 1, 60);
        row(PingDelay, "Ping", "Delay", "1000", 0, 10000);
        row(PingNumberOfPings, "Ping", "Number of Pings", "3", 1, 30);
        row(PingResolve, "Ping", "Resolve IP Addresses", "1");
        row(TraceRouteColumns, "TraceRoute", "Columns", "");
        row(TraceRouteRecentList, "TraceRoute", "Recent List", "");
        row(TraceRouteTimeout, "TraceRoute", "Timeout", "5", 1, 60);
        row(TraceRouteHops, "TraceRoute", "Hops", "15", 1, 60);
        row(TraceRouteResolve, "TraceRoute", "Resolve IP Addresses", "1");
        row(FingerFireWall, "Finger", "FireWall", "");
        row(FingerRecentList, "Finger", "Recent List", "");
        row(FingerClearOutput, "Finger", "Clear Output", "1");
        row(FingerVerboseFormat, "Finger", "Verbose Format", "0");
        row(WhoIsFireWall, "WhoIs", "FireWall", "");
        row(WhoIsRecentList, "WhoIs", "Recent List", "");
        row(WhoIsClearOutput, "WhoIs", "Clear Output", "1");
        row(NsLookUpRecentList, "Name Server LookUp", "Recent List", "");
        row(NsLookUpNameServers, "Name Server LookUp", "Name Servers", "");
        row(NsLookUpSearchType, "Name Server LookUp", "Search Type", "0");
        row(NsLookUpClearOutput, "Name Server LookUp", "Clear Output", "1");
        row(NsLookUpVerboseFormat, "Name Server LookUp", "Verbose Format", "0");
        row(QuoteRecentList, "Quote Of The Day", "Recent List", "");
        row(QuoteClearOutput, "Quote Of The Day", "Clear Output", "1");
        QCOMPARE(AllSettings().size(), rows);
    }

    void settingTable()
    {
        QFETCH(SettingKey, key);
        QFETCH(QString, section);
        QFETCH(QString, name);
        QFETCH(QString, firstRead);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        const CSettingInfo& info = SettingInfo(key);
        QCOMPARE(info.key, key);
        QCOMPARE(QString(info.section), section);
        QCOMPARE(QString(info.name), name);
        QCOMPARE(ReadAsText(key), firstRead);
        const bool integer = info.kind == SettingKind::Integer;
        const QString written = integer ? QStringLiteral("7") : QStringLiteral("Yes");
        integer ? WriteSetting(key, 7) : WriteSetting(key, written);
        QCOMPARE(SettingsStore::ReadText(section, name), written);
        QCOMPARE(ReadAsText(key), written);
        if (!integer)
            return;
        const auto readAfterStoring = [key](const QString& stored) { StoreText(key, stored); return ReadAsText(key); };
        const bool ranged = minimum != INT_MIN;
        QCOMPARE(readAfterStoring("-3000"), ranged ? QString::number(minimum) : QStringLiteral("-3000"));
        QCOMPARE(readAfterStoring("abc"), firstRead);
        QCOMPARE(readAfterStoring("2147483648"), firstRead);
        if (!ranged)
            return;
        QCOMPARE(readAfterStoring(QString::number(minimum - 1)), QString::number(minimum));
        QCOMPARE(readAfterStoring(QString::number(minimum)), QString::number(minimum));
        QCOMPARE(readAfterStoring(QString::number(maximum)), QString::number(maximum));
        QCOMPARE(readAfterStoring(QString::number(maximum + 1)), QString::number(maximum));
    }

    void flagsAreWrittenInTheirKindsForm_data()
    {
        QTest::addColumn<SettingKey>("key");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("stored");
        QTest::newRow("remember position on") << SettingKey::WindowRememberPosition << true << "Yes";
        QTest::newRow("smart splitting off") << SettingKey::SmartAddressSplitting << false << "No";
        QTest::newRow("prefer IPv6 on") << SettingKey::PreferIPv6 << true << "Yes";
        QTest::newRow("resolve off") << SettingKey::PingResolve << false << "0";
        QTest::newRow("verbose on") << SettingKey::FingerVerboseFormat << true << "1";
    }

    void flagsAreWrittenInTheirKindsForm()
    {
        QFETCH(SettingKey, key);
        QFETCH(bool, on);
        WriteFlagSetting(key, on);
        QTEST(StoredText(key), "stored");
        QCOMPARE(ReadFlagSetting(key), on);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFormats)
#include "tst_settingsformats.moc"
