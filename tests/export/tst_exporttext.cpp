// SPDX-License-Identifier: GPL-3.0-or-later
// The exported text: date line, every function's header, the results table
// and its line ends.

#include "export/ExportText.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTest>

#include <clocale>

using namespace netsonde;

namespace {

const QDateTime kWhen(QDate(2024, 3, 4), QTime(9, 5));
const QString kDateLine = QStringLiteral("Monday, March 04, 2024 09:05AM\r\n\r\n");

CExportSource Source(int function, const QString& host)
{
    CExportSource source;
    source.nFunction = function;
    source.strHost = host;
    source.when = kWhen;
    return source;
}

} // namespace

class TstExportText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        std::setlocale(LC_ALL, "de_DE.UTF-8");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(QLocale().dayName(1), QStringLiteral("Montag"));
    }

    void functionHeaders_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("searchType");
        QTest::addColumn<QString>("expected");

        // Each source carries a result row and a pane text; the pane functions write only the pane.
        // The window's copy test has the other functions' headers and the lists.
        const QString pane = QStringLiteral("answer line\r\n");
        QTest::newRow("Finger with user") << 2 << "alice" << "" << "Finger alice@target.test\r\n\r\n" + pane;
        QTest::newRow("WhoIs without query") << 3 << "" << "" << "WhoIs target.test\r\n\r\n" + pane;
        QTest::newRow("NS LookUp mode text compared exactly") << 4 << "" << "use winsock function gethostbyx"
            << "Name Server LookUp for target.test\r\nSearch Type: use winsock function gethostbyx\r\n"
               "Name Server: ns.test\r\n\r\n" + pane;
    }

    void functionHeaders()
    {
        QFETCH(int, function);
        QFETCH(QString, user);
        QFETCH(QString, searchType);
        QFETCH(QString, expected);
        CExportSource source = Source(function, "target.test");
        source.strUser = user;
        source.strSearchType = searchType;
        source.strNameServer = "ns.test";
        source.strPaneText = "answer line\r\n";
        source.resultRows = {{"1", "127.0.0.1", "localhost", "0 ms"}};
        QCOMPARE(BuildExportText(source), kDateLine + expected);
    }

    void dateLineIsEnglish_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("expected");
        QTest::newRow("morning, one-digit day") << kWhen << "Monday, March 04, 2024 09:05AM";
        QTest::newRow("midnight") << QDateTime(QDate(2023, 12, 31), QTime(0, 0)) << "Sunday, December 31, 2023 12:00AM";
        QTest::newRow("noon") << QDateTime(QDate(2024, 2, 29), QTime(12, 30)) << "Thursday, February 29, 2024 12:30PM";
        QTest::newRow("afternoon") << QDateTime({2024, 11, 1}, {13, 7}) << "Friday, November 01, 2024 01:07PM";
        QTest::newRow("last minute") << QDateTime({2025, 7, 19}, {23, 59}) << "Saturday, July 19, 2025 11:59PM";
    }

    void dateLineIsEnglish()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, expected);
        CExportSource source = Source(5, "q.test");
        source.when = when;
        QVERIFY(BuildExportText(source).startsWith(expected + "\r\n\r\n"));
    }

    // The cells start at columns 0, 5, 21 and 71; longer cells are not cut
    // and push the next one along; line breaks inside a cell become spaces.
    void resultRows_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QStringList>("shown");
        const QString name63(63, 'n');
        const QString ipv6 = QStringLiteral("2001:db8:85a3::8a2e:370:7334");
        const QStringList full{"12345", "255.255.255.255X", QString(50, 'h'), "No response"};
        QTest::newRow("short cells") << QStringList{"7", "10.0.0.1", "gw.test", "12 ms"} << QStringList{};
        QTest::newRow("cells at full width") << full << QStringList{};
        QTest::newRow("empty cells") << QStringList{"", "", "", "*"} << QStringList{};
        QTest::newRow("IPv6 address that fits") << QStringList{"3", "fd00:200:3::2", "d.test", "1 ms"} << QStringList{};
        QTest::newRow("long cells") << QStringList{"123456", "1234567890123456789", name63, "3"} << QStringList{};
        QTest::newRow("long IPv6 address") << QStringList{"1", ipv6, "h", "1 ms"} << QStringList{};
        QTest::newRow("missing cells") << QStringList{"1", "10.0.0.1"} << QStringList{"1", "10.0.0.1", "", ""};
        QTest::newRow("line breaks") << QStringList{"1", "10.0.0.1", "evil\r\nname", "1 ms"}
                                     << QStringList{"1", "10.0.0.1", "evil  name", "1 ms"};
    }

    void resultRows()
    {
        QFETCH(QStringList, cells);
        QFETCH(QStringList, shown);
        const QStringList& c = shown.isEmpty() ? cells : shown;
        QCOMPARE(FormatResultRow(cells),
                 c[0].leftJustified(5) + c[1].leftJustified(16) + c[2].leftJustified(50) + c[3]);
    }

    void lineEndsAreCrLfEverywhere_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<QString>("pane");
        for (int function = 0; function < 6; ++function) {
            QTest::addRow("function %d, LF", function) << function << "one\ntwo\n";
            QTest::addRow("function %d, CR", function) << function << "one\rtwo";
            QTest::addRow("function %d, mixed", function) << function << "a\r\nb\n\rc\r\r\n";
        }
    }

    void lineEndsAreCrLfEverywhere()
    {
        QFETCH(int, function);
        QFETCH(QString, pane);
        CExportSource source = Source(function, "h.test");
        source.strUser = "u";
        source.strSearchType = "Address (A)";
        source.strNameServer = "ns.test";
        source.strPaneText = pane;
        source.resultRows = {{"1", "10.0.0.1", "a\nb", "1 ms"}, {"2", "10.0.0.2", "c", "2 ms"}};
        const QString text = BuildExportText(source);
        QVERIFY(!text.contains(QRegularExpression("\r(?!\n)|(?<!\r)\n")));
    }

    void lineEndConversion_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("already CR LF") << "a\r\n\r\nb\r\n" << "a\r\n\r\nb\r\n";
        QTest::newRow("LF") << "a\nb\n" << "a\r\nb\r\n";
        QTest::newRow("CR") << "a\rb" << "a\r\nb";
        QTest::newRow("LF CR is two ends") << "a\n\rb" << "a\r\n\r\nb";
        QTest::newRow("CR at the end") << "a\r" << "a\r\n";
    }

    void lineEndConversion()
    {
        QFETCH(QString, text);
        QTEST(ToCrLfLineEnds(text), "expected");
    }
};

QTEST_GUILESS_MAIN(TstExportText)
#include "tst_exporttext.moc"
