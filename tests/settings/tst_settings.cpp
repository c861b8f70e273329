// SPDX-License-Identifier: GPL-3.0-or-later
// The settings: the stored text formats (font record, column widths), the
// store's reading rules and the table of stored values, through a real INI
// file; what the main window keeps between runs (options, placement,
// expanded height, last function, output font, column widths), how its
// layout follows the window's size, and the bars of the Response Time column.

#include "support/MainDialogFixture.h"

#include "mainwindow/ResponseTimeDelegate.h"
#include "settings/ColumnWidths.h"
#include "settings/FontRecord.h"
#include "settings/SettingsKeys.h"
#include "support/FileHelpers.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QMenuBar>
#include <QStyle>

#include <climits>
#include <numeric>

using namespace netsonde;
using namespace netsonde::test;

namespace {

// A row of the table of stored values; a number outside the range of its
// page's spin field is read as the nearest end of it.
struct SettingRow {
    SettingKey key;
    QString section, name, firstRead;
    int minimum = INT_MIN, maximum = INT_MAX;
};

// A value as the program reads it: numbers in decimal, YesNo values as on
// ("Yes") or off ("No").
QString ReadAsText(SettingKey key)
{
    switch (SettingInfoOf(key).kind) {
    case SettingKind::Integer:
        return QString::number(ReadIntSetting(key));
    case SettingKind::YesNo:
        return ReadFlagSetting(key) ? QStringLiteral("Yes") : QStringLiteral("No");
    case SettingKind::Text:
        break;
    }
    return ReadTextSetting(key);
}

const char* const kWindow = "Window";

int ReadWindowInt(const char* key)
{
    return SettingsStore::ReadInt(kWindow, key, -99);
}

QList<int> ColumnWidthsOf(const QTreeWidget* list)
{
    QList<int> widths;
    for (int column = 0; column < 4; ++column)
        widths << list->header()->sectionSize(column);
    return widths;
}

} // namespace

Q_DECLARE_METATYPE(SettingRow)

class TestSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        ResetSettings();
        QFile::remove(SettingsStore::FilePath());
    }

    // A font record or a list of four column widths read is written back
    // the same way; a font's face name (after " / ") is stored with "_" for
    // its spaces.
    void storedFormats_data()
    {
        // clang-format off
        QTest::addColumn<bool>("font");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written"); // "rejected" when the text is not read
        const QString zeros = QStringLiteral("-12,0,0,0,400,0,0,0,0,0,0,0,0,");
        const QString every = QStringLiteral("-13,0,0,0,700,1,0,0,238,0,0,0,49,DejaVu_Sans_Mono");
        QTest::newRow("font, every field") << true << every << every + " / DejaVu Sans Mono";
        QTest::newRow("font, byte fields keep their low byte") << true << "-12,0,0,0,400,257,0,0,0,0,0,0,0,A"
                                                               << "-12,0,0,0,400,1,0,0,0,0,0,0,0,A / A";
        QTest::newRow("font, stops at white space") << true << zeros + "Free Mono" << zeros + "Free / Free";
        QTest::newRow("font, long face kept to 31")
            << true << zeros + QString(45, 'x') << zeros + QString(31, 'x') + " / " + QString(31, 'x');
        QTest::newRow("font, not a number") << true << "-12,0,0,zero,400,0,0,0,0,0,0,0,0,Serif" << "rejected";
        QTest::newRow("font, no face") << true << zeros << "rejected";
        QTest::newRow("widths, four") << false << "31,120,200,90" << "31,120,200,90";
        QTest::newRow("widths, spaces") << false << " 31, 120 ,200,90" << "31,120,200,90";
        QTest::newRow("widths, three") << false << "31,120,200" << "rejected";
        QTest::newRow("widths, five") << false << "1,2,3,4,5" << "rejected";
        QTest::newRow("widths, negative") << false << "31,-1,200,90" << "rejected";
        QTest::newRow("widths, text") << false << "a,b,c,d" << "rejected";
        // clang-format on
    }

    void storedFormats()
    {
        QFETCH(bool, font);
        QFETCH(QString, text);
        const auto record = ParseFontRecord(text);
        const auto widths = ParseColumnWidths(text);
        QString written = QStringLiteral("rejected");
        if (font && record)
            written = FormatFontRecord(*record) + " / " + record->faceName;
        else if (!font && widths)
            written = FormatColumnWidths(*widths).remove(' ');
        QTEST(written, "written");
    }

    // Nothing is written while the store is read-only; values go to the
    // program's INI file as plain text, and a hand-edited list with unquoted
    // commas comes back as one text.
    void theIniFile()
    {
        SettingsStore::SetReadOnly(true);
        SettingsStore::WriteInt("Ping", "Timeout", 7);
        SettingsStore::SetReadOnly(false);
        QVERIFY(!QFile::exists(SettingsStore::FilePath()));
        QVERIFY(SettingsStore::FilePath().endsWith(QStringLiteral("/Korvelin/tst_settings.ini")));
        SettingsStore::WriteInt("Ping", "Timeout", 42);
        QVERIFY(FileBytes(SettingsStore::FilePath()).contains("Timeout=42\n"));
        QVERIFY(WriteFile(SettingsStore::FilePath(), "[Ping]\nColumns=10,20,30,40\n"));
        QCOMPARE(ReadTextSetting(SettingKey::PingColumns), QStringLiteral("10,20,30,40"));
    }

    // The table of stored values: each has its own place in the store, a
    // first start reads its default, and a hand-edited number comes back
    // inside the range of its page's spin field.
    void settingTable_data()
    {
        // clang-format off
        QTest::addColumn<SettingRow>("r");
        qsizetype rows = 0;
        const auto row = [&rows](const SettingRow& r) {
            QTest::addRow("%s/%s", qPrintable(r.section), qPrintable(r.name)) << r;
            ++rows;
        };
        using enum SettingKey;
        row({WindowRememberPosition, "Window", "RememberPosition", "No"});
        row({WindowState, "Window", "State", ""});
        row({WindowMinX, "Window", "MinX", "-1"});
        row({WindowMinY, "Window", "MinY", "-1"});
        row({WindowMaxX, "Window", "MaxX", "-1"});
        row({WindowMaxY, "Window", "MaxY", "-1"});
        row({WindowLeft, "Window", "Left", "-1"});
        row({WindowTop, "Window", "Top", "-1"});
        row({WindowRight, "Window", "Right", "-1"});
        row({WindowBottom, "Window", "Bottom", "-1"});
        row({WindowHeight, "Window", "Height", "350"});
        row({RememberLastFunction, "Options", "RememberLastFunction", "-1"});
        row({SmartAddressSplitting, "Options", "Smart Address Splitting", "Yes"});
        row({PreferIPv6, "Options", "Prefer IPv6", "No"});
        row({OutputFont, "Options", "Font", ""});
        row({PingColumns, "Ping", "Columns", ""});
        row({PingRecentList, "Ping", "Recent List", ""});
        row({PingTimeout, "Ping", "Timeout", "15", 1, 60});
        row({PingDelay, "Ping", "Delay", "1000", 0, 10000});
        row({PingNumberOfPings, "Ping", "Number of Pings", "3", 1, 30});
        row({PingResolve, "Ping", "Resolve IP Addresses", "1"});
        row({PingUntilStopped, "Ping", "Until Stopped", "0"});
        row({TraceRouteColumns, "TraceRoute", "Columns", ""});
        row({TraceRouteRecentList, "TraceRoute", "Recent List", ""});
        row({TraceRouteTimeout, "TraceRoute", "Timeout", "5", 1, 60});
        row({TraceRouteHops, "TraceRoute", "Hops", "15", 1, 60});
        row({TraceRouteResolve, "TraceRoute", "Resolve IP Addresses", "1"});
        row({TraceRouteOneHopAtATime, "TraceRoute", "Probe One Hop At A Time", "0"});
        row({TraceRouteShowAsNumbers, "TraceRoute", "Show AS Numbers", "0"});
        row({TraceRouteAsnZone, "TraceRoute", "AS Origin Zone", "origin.asn.cymru.com"});
        row({TraceRouteAsnZone6, "TraceRoute", "AS Origin Zone IPv6", "origin6.asn.cymru.com"});
        row({TraceRouteRepeat, "TraceRoute", "Repeat", "0"});
        row({FingerFireWall, "Finger", "FireWall", ""});
        row({FingerRecentList, "Finger", "Recent List", ""});
        row({FingerClearOutput, "Finger", "Clear Output", "1"});
        row({FingerVerboseFormat, "Finger", "Verbose Format", "0"});
        row({WhoIsFireWall, "WhoIs", "FireWall", ""});
        row({WhoIsRecentList, "WhoIs", "Recent List", ""});
        row({WhoIsClearOutput, "WhoIs", "Clear Output", "1"});
        row({NsLookUpRecentList, "Name Server LookUp", "Recent List", ""});
        row({NsLookUpNameServers, "Name Server LookUp", "Name Servers", ""});
        row({NsLookUpSearchType, "Name Server LookUp", "Search Type", "0"});
        row({NsLookUpClearOutput, "Name Server LookUp", "Clear Output", "1"});
        row({NsLookUpVerboseFormat, "Name Server LookUp", "Verbose Format", "0"});
        row({NsLookUpTimeout, "Name Server LookUp", "Timeout", "5", 1, 60});
        row({NsLookUpTries, "Name Server LookUp", "Tries", "3", 1, 10});
        row({NsLookUpUdpPayloadSize, "Name Server LookUp", "UDP Payload Size", "1232", 0, 4096});
        row({NsLookUpUseTcp, "Name Server LookUp", "Use TCP", "0"});
        row({NsLookUpRequestDnssec, "Name Server LookUp", "Request DNSSEC Records", "0"});
        row({QuoteRecentList, "Quote Of The Day", "Recent List", ""});
        row({QuoteClearOutput, "Quote Of The Day", "Clear Output", "1"});
        QCOMPARE(AllSettings().size(), rows);
        // clang-format on
    }

    void settingTable()
    {
        QFETCH(SettingRow, r);
        const SettingInfo& info = SettingInfoOf(r.key);
        QCOMPARE(info.key, r.key);
        QCOMPARE(QString(info.section), r.section);
        QCOMPARE(QString(info.name), r.name);
        QCOMPARE(ReadAsText(r.key), r.firstRead);
        const bool integer = info.kind == SettingKind::Integer;
        const QString written = integer ? QStringLiteral("7") : QStringLiteral("Yes");
        integer ? WriteSetting(r.key, 7) : WriteSetting(r.key, written);
        QCOMPARE(SettingsStore::ReadText(r.section, r.name), written);
        QCOMPARE(ReadAsText(r.key), written);
        // A flag is stored in its kind's form: 1 and 0, or Yes and No.
        for (const bool on : {false, true}) {
            if (info.kind == SettingKind::Text)
                break;
            WriteFlagSetting(r.key, on);
            QCOMPARE(SettingsStore::ReadText(r.section, r.name),
                     integer ? QString::number(int(on)) : QString(on ? "Yes" : "No"));
            QCOMPARE(ReadFlagSetting(r.key), on || r.minimum > 0);
        }
        if (!integer)
            return;
        const auto readAfterStoring = [&r](const QString& stored) {
            SettingsStore::WriteText(r.section, r.name, stored);
            return ReadAsText(r.key);
        };
        const bool ranged = r.minimum != INT_MIN;
        const QString minimum = QString::number(r.minimum);
        const QString maximum = QString::number(r.maximum);
        QCOMPARE(readAfterStoring("-3000"), ranged ? minimum : QStringLiteral("-3000"));
        QCOMPARE(readAfterStoring("abc"), r.firstRead);
        QCOMPARE(readAfterStoring("2147483648"), r.firstRead);
        if (!ranged)
            return;
        QCOMPARE(readAfterStoring(QString::number(r.minimum - 1)), minimum);
        QCOMPARE(readAfterStoring(minimum), minimum);
        QCOMPARE(readAfterStoring(maximum), maximum);
        QCOMPARE(readAfterStoring(QString::number(r.maximum + 1)), maximum);
    }

    // The columns are as wide as their widest text and a margin of 15;
    // Host Name takes what the others leave, a vertical scroll bar counted
    // in: all four show in the default window (the Ping list is set up alike:
    // keptBetweenRuns checks its Host Name column).
    void defaultColumnsFitTheList()
    {
        auto dialog = OpenMainDialog();
        dialog->SelectFunction(FunctionId::TraceRoute);
        dialog->BeginRun();
        dialog->OnStop();
        const QTreeWidget* list = dialog->ResultList(FunctionId::TraceRoute);
        QVERIFY(list->isVisible());
        const QList<int> widths = ColumnWidthsOf(list);
        const QFontMetrics metrics(list->font());
        const QStringList widest{"99", "255.255.255.255", "", "Response Time"};
        for (int column : {0, 1, 3})
            QCOMPARE(widths.value(column), metrics.horizontalAdvance(widest.at(column)) + 15);
        QVERIFY(widths.value(2) >= QFontMetrics(list->header()->font()).horizontalAdvance("Host Name"));
        QCOMPARE(list->headerItem()->text(3), QStringLiteral("Response Time"));
        const int scrollBar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
        QCOMPARE(std::accumulate(widths.begin(), widths.end(), 0) + scrollBar, list->viewport()->width());
    }

    // A bar of a 100 x 20 cell: inset 2 above and below, at least 2 wide,
    // never beyond the cell (tst_pingtrace draws a list: no bar without a
    // response, and each as long as its time against the list's longest).
    void responseTimeBars_data()
    {
        // clang-format off
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("scaleMs");
        QTest::addColumn<QRect>("bar");
        QTest::newRow("0 ms") << 0 << 100 << QRect(10, 7, 2, 16);
        QTest::newRow("beyond the longest") << 300 << 100 << QRect(10, 7, 100, 16);
        QTest::newRow("no longest yet") << 5 << 0 << QRect(10, 7, 2, 16);
        // clang-format on
    }

    void responseTimeBars()
    {
        QFETCH(int, ms);
        QFETCH(int, scaleMs);
        QTEST(ResponseTimeBarRect(QRect(10, 5, 100, 20), unsigned(ms), unsigned(scaleMs)), "bar");
    }

    // Up to 50 ms the highlight colour, from 200 ms the warm one, a mix
    // between; always translucent.
    void responseTimeBarColours()
    {
        QPalette palette;
        palette.setColor(QPalette::Active, QPalette::Highlight, Qt::blue);
        const QColor warm(0xE0, 0x6C, 0x2E);
        const auto colour = [&palette](unsigned ms) { return ResponseTimeBarColour(palette, ms); };
        QVERIFY(colour(50).rgb() == QColor(Qt::blue).rgb() && colour(51).rgb() != QColor(Qt::blue).rgb());
        QVERIFY(colour(199).rgb() != warm.rgb() && colour(200).rgb() == warm.rgb());
        QCOMPARE(colour(0).alpha(), 140);
    }

    // Stored column widths and the output font come back (a Ping record too
    // short is not used and the default widths serve; tst_controller follows
    // the font to every pane); the window is saved at exit even when not
    // remembered, and its placement and last function come back only when
    // remembered. A number no function has starts on Ping.
    void keptBetweenRuns()
    {
        SettingsStore::WriteText("TraceRoute", "Columns", "31,120,200,90");
        SettingsStore::WriteText("Ping", "Columns", "31,120");
        SettingsStore::WriteText("Options", "Font", "-15,0,0,0,700,1,0,0,0,0,0,0,0,DejaVu_Sans_Mono");
        auto dialog = OpenMainDialog();
        QCOMPARE(ColumnWidthsOf(dialog->ResultList(FunctionId::TraceRoute)), (QList<int>{31, 120, 200, 90}));
        QVERIFY(ColumnWidthsOf(dialog->ResultList(FunctionId::Ping)).at(2) > 100);
        dialog->ResultList(FunctionId::TraceRoute)->header()->resizeSection(2, 150);
        const QFont font = dialog->TextPane(FunctionId::QuoteOfDay)->font();
        QCOMPARE(font.family(), QStringLiteral("DejaVu Sans Mono"));
        QVERIFY(font.pixelSize() == 15 && font.bold() && font.italic());
        dialog->setGeometry(40, 50, dialog->width(), dialog->height());
        dialog.reset();
        QCOMPARE(SettingsStore::ReadText("TraceRoute", "Columns"), QStringLiteral("31,120,150,90"));
        QCOMPARE(SettingsStore::ReadText(kWindow, "State"), QStringLiteral("Normal"));
        QCOMPARE(QList<int>({ReadWindowInt("Left"), ReadWindowInt("Top"), ReadWindowInt("Height")}),
                 QList<int>({40, 50, 350}));
        QVERIFY(!SettingsStore::ReadText("Ping", "Columns").isEmpty());
        // Not remembered ("yes" is not "Yes"): the next start uses neither the position nor the height.
        SettingsStore::WriteText(kWindow, "RememberPosition", "yes");
        SettingsStore::WriteInt(kWindow, "Height", 500);
        dialog = OpenMainDialog();
        QVERIFY(!dialog->CurrentOptions().rememberPosition && !dialog->Actions().rememberWindowPosition->isChecked());
        QVERIFY(dialog->pos() != QPoint(40, 50) || dialog->width() != ReadWindowInt("Right") - 40);
        QCOMPARE(dialog->CurrentOptions().expandedHeight, 350);
        dialog->Actions().rememberWindowPosition->trigger();
        dialog->Actions().rememberLastFunction->trigger();
        dialog->BeginRun();
        dialog->OnStop();
        dialog->SelectFunction(FunctionId::TraceRoute);
        dialog->setGeometry(60, 70, dialog->width() + 80, 460);
        const int width = dialog->width();
        dialog.reset();
        QCOMPARE(ReadWindowInt("Height"), 460);
        dialog = OpenMainDialog();
        QVERIFY(dialog->CurrentOptions().rememberPosition && dialog->Actions().rememberWindowPosition->isChecked());
        QCOMPARE(dialog->geometry().topLeft(), QPoint(60, 70));
        QCOMPARE(dialog->width(), width);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("TraceRoute"));
        QVERIFY(dialog->Page(FunctionId::TraceRoute)->isVisible() && !dialog->PingTab()->isVisible());
        QVERIFY(dialog->Actions().rememberLastFunction->isChecked());
        // The stored height serves the first expansion.
        dialog->BeginRun();
        QCOMPARE(dialog->height(), 460);
        dialog->showMaximized();
        QTRY_VERIFY(dialog->isMaximized());
        dialog.reset();
        QCOMPARE(SettingsStore::ReadText(kWindow, "State"), QStringLiteral("Maximized"));
        SettingsStore::WriteInt("Options", "RememberLastFunction", 9);
        dialog = OpenMainDialog();
        QTRY_VERIFY(dialog->isMaximized());
        QVERIFY(dialog->CurrentFunction() == FunctionId::Ping && dialog->PingTab()->isVisible());
    }

    void compactHeightWideningAndNarrowLimit()
    {
        auto dialog = OpenMainDialog();
        const int compact = dialog->CompactHeight();
        // The window's bottom lies as far below the tab control as the tab
        // control lies below the top of the client area (under the menu bar).
        const int tabTop = dialog->Tabs()->y() - dialog->findChild<QMenuBar*>()->height();
        QCOMPARE(compact, dialog->Tabs()->geometry().bottom() + 1 + tabTop);
        for (int height : {compact + 120, compact - 40}) {
            dialog->resize(dialog->width() + 50, height);
            QCOMPARE(dialog->height(), compact);
        }

        // Widening moves the button column and stretches the fields.
        dialog->SelectFunction(FunctionId::Finger);
        dialog->BeginRun();
        auto* go = Control<QPushButton>(dialog.get(), kGoControl);
        auto* clear = Control<QPushButton>(dialog.get(), kClearControl);
        QWidget* tab = dialog->Tabs();
        QWidget* host = dialog->FingerTab()->HostCombo();
        QWidget* user = Control<QLineEdit>(dialog->FingerTab(), kFingerUserControl);
        QWidget* pane = dialog->Pane(FunctionId::Finger);
        const QRect goBefore = go->geometry();
        const auto widths = [&] { return QList<int>({tab->width(), host->width(), user->width()}); };
        const QList<int> before = widths();
        const int gap = clear->x() - (tab->geometry().right() + 1);

        dialog->resize(dialog->width() + 100, dialog->height() + 30);
        QCOMPARE(go->geometry(), goBefore.translated(100, 0));
        QCOMPARE(widths(), QList<int>({before[0] + 100, before[1] + 100, before[2] + 100}));
        QCOMPARE(clear->x() - (tab->geometry().right() + 1), gap);
        QCOMPARE(dialog->width() - (clear->geometry().right() + 1), gap);
        QCOMPARE(pane->width(), dialog->width() - 2 * pane->x());
        auto* status = Control<QStatusBar>(dialog.get(), kStatusBarControl);
        QCOMPARE(pane->geometry().bottom() + 1, status->y());
        QCOMPARE(status->geometry().bottom() + 1, dialog->height());

        // Narrow below Go, a gap on either side, the host field's left and an
        // allowance of 50: there the controls freeze while the pane follows.
        const int narrowBelow = go->width() + 2 * gap + host->x() + 50;
        int width = dialog->width();
        while (!dialog->IsNarrow() && width > 50)
            dialog->resize(--width, dialog->height());
        QCOMPARE(width, narrowBelow - 1);
        const QRect goFrozen = go->geometry();
        const int tabFrozen = tab->width();
        dialog->resize(width - 60, dialog->height() + 20);
        QVERIFY(go->geometry() == goFrozen && tab->width() == tabFrozen);
        QCOMPARE(pane->width(), dialog->width() - 2 * pane->x());
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
