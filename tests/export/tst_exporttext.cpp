// SPDX-License-Identifier: GPL-3.0-or-later
// The exported text (date line, result rows, line ends; the window's export
// test has every function's header) and its printed layout: lines, tabs and
// pages.

#include "export/ExportText.h"
#include "export/PrintLayout.h"

#include <QLocale>
#include <QTest>

#include <clocale>

using namespace netsonde;

namespace {

constexpr int kLineHeight = 10;

// A page whose body holds exactly the given number of lines.
CPrintGeometry PageHolding(int lines)
{
    return {1000, (lines + 8) * kLineHeight, kLineHeight};
}

QString NumberedLines(int count)
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("line %1\r\n").arg(i);
    return text;
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

    // The date line is English whatever the locale; every line ends in CR LF.
    void dateLineAndLineEnds_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("expected");
        QTest::newRow("morning, one-digit day") << QDateTime({2024, 3, 4}, {9, 5}) << "Monday, March 04, 2024 09:05AM";
        QTest::newRow("midnight") << QDateTime({2023, 12, 31}, {0, 0}) << "Sunday, December 31, 2023 12:00AM";
        QTest::newRow("noon") << QDateTime({2024, 2, 29}, {12, 30}) << "Thursday, February 29, 2024 12:30PM";
        QTest::newRow("afternoon") << QDateTime({2024, 11, 1}, {13, 7}) << "Friday, November 01, 2024 01:07PM";
        QTest::newRow("last minute") << QDateTime({2025, 7, 19}, {23, 59}) << "Saturday, July 19, 2025 11:59PM";
    }

    void dateLineAndLineEnds()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, expected);
        CExportSource source;
        source.nFunction = 5;
        source.strHost = "q.test";
        source.when = when;
        source.strPaneText = "a\nb\rc";
        QCOMPARE(BuildExportText(source), expected + "\r\n\r\nQuote Of The Day from q.test\r\n\r\na\r\nb\r\nc");
    }

    // The cells start at columns 0, 5, 21 and 71; longer cells are not cut
    // and push the next one along; line breaks inside a cell become spaces.
    void resultRows_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QStringList>("shown");
        const QString ipv6 = QStringLiteral("2001:db8:85a3::8a2e:370:7334");
        const QStringList full{"12345", "255.255.255.255X", QString(50, 'h'), "No response"};
        QTest::newRow("short cells") << QStringList{"7", "10.0.0.1", "gw.test", "12 ms"} << QStringList{};
        QTest::newRow("cells at full width") << full << QStringList{};
        QTest::newRow("empty cells") << QStringList{"", "", "", "*"} << QStringList{};
        QTest::newRow("IPv6 address that fits") << QStringList{"3", "fd00:200:3::2", "d.test", "1 ms"} << QStringList{};
        QTest::newRow("long cells") << QStringList{"123456", "1234567890123456789", QString(63, 'n'), "3"}
                                    << QStringList{};
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

    void tabsExpandToMultiplesOfEight_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one character then tab") << "a\tb" << "a       b";
        QTest::newRow("two leading tabs") << "\t\tx" << QString(16, ' ') + "x";
        QTest::newRow("tab after eight characters") << "12345678\tx" << "12345678        x";
        QTest::newRow("tab after seven characters") << "1234567\tx" << "1234567 x";
        QTest::newRow("trailing tab") << "ab\t" << "ab      ";
        QTest::newRow("no tab") << "plain" << "plain";
    }

    void tabsExpandToMultiplesOfEight()
    {
        QFETCH(QString, line);
        QTEST(ExpandTabs(line), "expected");
    }

    void textSplitsIntoLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("CR LF ends") << "a\r\nb\r\n" << QStringList{"a", "b"};
        QTest::newRow("empty line kept") << "a\r\n\r\nb" << QStringList{"a", "", "b"};
        QTest::newRow("bare LF") << "a\nb" << QStringList{"a", "b"};
        QTest::newRow("bare CR at the end") << "a\r" << QStringList{"a"};
        QTest::newRow("last line without end") << "a\r\nb" << QStringList{"a", "b"};
        QTest::newRow("only a line end") << "\r\n" << QStringList{""};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void textSplitsIntoLines()
    {
        QFETCH(QString, text);
        QTEST(SplitPrintLines(text), "expected");
    }

    // Each page holds as many lines as its body has room for, at least
    // one; each page's lines start at the body's top and end above its end.
    void pages_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("bodyLines");
        QTest::addColumn<int>("perPage");
        QTest::addColumn<int>("pages");
        QTest::newRow("100 lines, 60 a page") << 100 << 60 << 60 << 2;
        QTest::newRow("exactly one page") << 60 << 60 << 60 << 1;
        QTest::newRow("one line over") << 61 << 60 << 60 << 2;
        QTest::newRow("empty text") << 0 << 60 << 60 << 0;
        QTest::newRow("tiny page") << 3 << -3 << 1 << 3;
    }

    void pages()
    {
        QFETCH(int, lines);
        QFETCH(int, bodyLines);
        QFETCH(int, perPage);
        const CPrintGeometry geometry = PageHolding(bodyLines);
        QCOMPARE(PrintLinesPerPage(geometry), perPage);
        QVERIFY(geometry.BodyEnd() <= geometry.FooterTop());
        const QList<CPrintedPage> printed = LayOutPrintedPages(NumberedLines(lines), geometry);
        QTEST(int(printed.size()), "pages");
        int printedLines = 0;
        for (int i = 0; i < printed.size(); ++i) {
            const CPrintedPage& page = printed.at(i);
            QCOMPARE(page.nNumber, i + 1);
            QCOMPARE(page.lines.first().strText, QStringLiteral("line %1").arg(i * perPage + 1));
            QCOMPARE(page.lines.first().nTop, geometry.BodyTop());
            QVERIFY(page.lines.last().nTop < geometry.BodyEnd() || perPage == 1);
            printedLines += int(page.lines.size());
        }
        QCOMPARE(printedLines, lines);
        const CPrintGeometry noHeight{100, 100, 0};
        QVERIFY(PrintLinesPerPage(noHeight) >= 1 && !LayOutPrintedPages(NumberedLines(3), noHeight).isEmpty());
    }

    // An empty line prints nothing but takes its place; tabs are expanded.
    void emptyLinesTakeTheirPlace()
    {
        const CPrintGeometry geometry = PageHolding(60);
        const QList<CPrintedPage> pages = LayOutPrintedPages("a\r\n\r\n\tb\r\n", geometry);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages.at(0).lines.size(), 2);
        QCOMPARE(pages.at(0).lines.at(1).nTop, geometry.BodyTop() + 2 * kLineHeight);
        QCOMPARE(pages.at(0).lines.at(1).strText, QString(8, ' ') + "b");
    }
};

QTEST_GUILESS_MAIN(TstExportText)
#include "tst_exporttext.moc"
