// SPDX-License-Identifier: GPL-3.0-or-later
// The page layout of printed export text: lines, tabs and pages.

#include "export/PrintLayout.h"

#include <QTest>

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

class TstPrintLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

QTEST_GUILESS_MAIN(TstPrintLayout)
#include "tst_printlayout.moc"
