// SPDX-License-Identifier: GPL-3.0-or-later
// The exported text and its printed layout (lines, tabs, pages), and Save,
// Copy results to clipboard and Print through the real window: the export
// text of every function from its result rows or pane and its page,
// byte-exact files, failures that write nothing, and printed pages read back
// from a PDF. All under a German locale: the export text stays English.

#include "support/CommonDialogsAnswers.h"
#include "support/MainDialogFixture.h"

#include "export/ExportText.h"
#include "export/PrintLayout.h"
#include "run/RunView.h"
#include "support/FileHelpers.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <clocale>

using namespace netsonde;
using namespace netsonde::test;

namespace {
const QString kColumnLine =
    QStringLiteral("#    Address         Host Name                                         Response Time\r\n");

// The printer chosen in the print dialog writes the PDF at the path, or the
// dialog is cancelled.
void PrintToPdf(const QString& pdfPath, bool accept)
{
    ActiveCommonDialogs().choosePrinter = [pdfPath, accept](QWidget*, QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        return accept;
    };
}

// What the program writes to its standard output; empty when it fails.
QString ToolOutput(const QString& program, const QStringList& arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    const bool done = tool.waitForFinished(60000) && tool.exitCode() == 0;
    return done ? QString::fromUtf8(tool.readAllStandardOutput()) : QString();
}

constexpr int kLineHeight = 10;

// A page whose body holds exactly the given number of lines.
PrintGeometry PageHolding(int lines)
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

class TestExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        std::setlocale(LC_ALL, "de_DE.UTF-8");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void init() { ResetSettings(); }

    // The date line is English whatever the locale. Every line ends in CR LF:
    // a CR, an LF or an LF CR (two ends) becomes CR LF, a CR LF stays.
    void dateLineAndLineEnds_data()
    {
        // clang-format off
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("expected");
        QTest::newRow("midnight") << QDateTime({2023, 12, 31}, {0, 0}) << "Sunday, December 31, 2023 12:00AM";
        QTest::newRow("noon") << QDateTime({2024, 2, 29}, {12, 30}) << "Thursday, February 29, 2024 12:30PM";
        QTest::newRow("afternoon") << QDateTime({2024, 11, 1}, {13, 7}) << "Friday, November 01, 2024 01:07PM";
        // clang-format on
    }

    void dateLineAndLineEnds()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, expected);
        ExportSource source;
        source.function = 5;
        source.host = "q.test";
        source.when = when;
        source.paneText = "a\nb\rc\r\n\n\rd\r";
        QCOMPARE(BuildExportText(source),
                 expected + "\r\n\r\nQuote Of The Day from q.test\r\n\r\na\r\nb\r\nc\r\n\r\n\r\nd\r\n");
    }

    // A row's cells start at columns 0, 5, 21 and 71; missing cells are empty.
    void missingCellsAreEmpty() { QCOMPARE(FormatResultRow({"1", "10.0.0.1"}), "1    10.0.0.1" + QString(58, ' ')); }

    // A line ends at CR LF, a lone CR or a lone LF, and one at the very end
    // starts no further line; an empty line prints nothing but takes its
    // place; tabs become spaces up to the next multiple of 8 characters.
    // Each printed line as "top text", a page as "page n".
    void printedLines_data()
    {
        // clang-format off
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("printed");
        QTest::newRow("empty line kept") << "a\r\n\r\nb" << QStringList{"page 1", "40 a", "60 b"};
        QTest::newRow("bare LF") << "a\nb" << QStringList{"page 1", "40 a", "50 b"};
        QTest::newRow("bare CR inside") << "a\rb" << QStringList{"page 1", "40 a", "50 b"};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("one character then tab") << "a\tb" << QStringList{"page 1", "40 a       b"};
        QTest::newRow("two leading tabs") << "\t\tx" << QStringList{"page 1", "40 " + QString(16, ' ') + "x"};
        QTest::newRow("tab after eight characters") << "12345678\tx" << QStringList{"page 1", "40 12345678        x"};
        QTest::newRow("tab after seven characters") << "1234567\tx" << QStringList{"page 1", "40 1234567 x"};
        QTest::newRow("trailing tab, tab on the next line") << "ab\t\n\tb"
                                                            << QStringList{"page 1", "40 ab      ", "50         b"};
        // clang-format on
    }

    void printedLines()
    {
        QFETCH(QString, text);
        QStringList printed;
        for (const PrintedPage& page : LayOutPrintedPages(text, PageHolding(60))) {
            printed << QStringLiteral("page %1").arg(page.number);
            for (const PrintedLine& line : page.lines)
                printed << QStringLiteral("%1 %2").arg(line.top).arg(line.text);
        }
        QTEST(printed, "printed");
    }

    // Each page holds as many lines as its body has room for, at least
    // one; each page's lines start at the body's top.
    void pages_data()
    {
        // clang-format off
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("bodyLines");
        QTest::addColumn<int>("perPage");
        QTest::addColumn<int>("pages");
        QTest::newRow("exactly one page") << 60 << 60 << 60 << 1;
        QTest::newRow("one line over") << 61 << 60 << 60 << 2;
        QTest::newRow("tiny page") << 3 << -3 << 1 << 3;
        // clang-format on
    }

    void pages()
    {
        QFETCH(int, lines);
        QFETCH(int, bodyLines);
        QFETCH(int, perPage);
        const PrintGeometry geometry = PageHolding(bodyLines);
        QCOMPARE(PrintLinesPerPage(geometry), perPage);
        QVERIFY(geometry.BodyEnd() <= geometry.FooterTop());
        const QList<PrintedPage> printed = LayOutPrintedPages(NumberedLines(lines), geometry);
        QTEST(int(printed.size()), "pages");
        int printedLines = 0;
        for (int i = 0; i < printed.size(); ++i) {
            const PrintedPage& page = printed.at(i);
            QCOMPARE(page.number, i + 1);
            QCOMPARE(page.lines.first().text, QStringLiteral("line %1").arg(i * perPage + 1));
            QCOMPARE(page.lines.first().top, geometry.BodyTop());
            printedLines += int(page.lines.size());
        }
        QCOMPARE(printedLines, lines);
        const PrintGeometry noHeight{100, 100, 0};
        QVERIFY(PrintLinesPerPage(noHeight) >= 1 && !LayOutPrintedPages(NumberedLines(3), noHeight).isEmpty());
    }

    // Save, Copy and Print wait for a first run. The copied text of each
    // function: its header names what was read from the page when the run
    // started (the query: the user, or the search type), not what was typed
    // afterwards; the rows of a list ("|" between cells; a longer cell is not
    // cut and pushes the next along, a line break in it becomes a space) or
    // the pane's text follow.
    void copiedTextPerFunction_data()
    {
        // clang-format off
        QTest::addColumn<int>("function");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("output");
        QTest::addColumn<QString>("expected");
        const QString longName = QStringLiteral("a-very-long-router-name.in.a.deeply.nested.domain.example");
        QTest::newRow("Ping rows at their columns")
            << 0 << "" << QStringList{"1|10.0.0.1|example\r\ntest|12 ms", "2|10.0.0.1||No response"}
            << "Ping host target.test\r\n\r\n" + kColumnLine
                   + "1    10.0.0.1        example  test                                     12 ms\r\n"
                   + "2    10.0.0.1                                                          No response\r\n";
        QTest::newRow("TraceRoute long name followed directly by the time")
            << 1 << "" << QStringList{"1|192.168.100.254|" + longName + "|3 ms"}
            << "TraceRoute to host target.test\r\n\r\n" + kColumnLine + "1    192.168.100.254 " + longName + "3 ms\r\n";
        // A repeated trace with AS numbers: every column its run shows, the last one not padded.
        QTest::newRow("repeated TraceRoute with AS numbers")
            << 1 << "watch" << QStringList{"1|198.51.100.2||1 ms|AS64500|33.3%|3|1.2|1.1|0.9|1.2|0.2"}
            << "TraceRoute to host target.test\r\n\r\n#    Address         Host Name" + QString(41, ' ')
                   + "Response Time  AS            Loss%   Sent   Last    Avg     Best    Worst   StDev\r\n"
                   + "1    198.51.100.2" + QString(54, ' ')
                   + "1 ms           AS64500       33.3%   3      1.2     1.1     0.9     1.2     0.2\r\n";
        const QStringList pane{"A\r\n"};
        QTest::newRow("Finger without user") << 2 << "" << pane << "Finger target.test\r\n\r\nA\r\n";
        QTest::newRow("WhoIs with query") << 3 << "ex.org" << pane << "WhoIs ex.org@target.test\r\n\r\nA\r\n";
        QTest::newRow("NS LookUp by the resolver") << 4 << "Use Winsock Function GetHostByX" << pane
                                                   << "Name Server LookUp for target.test\r\n\r\nA\r\n";
        // Only the resolver mode's exact text leaves out the name server.
        QTest::newRow("NS LookUp by a name server") << 4 << "use winsock function gethostbyx" << pane
            << "Name Server LookUp for target.test\r\nSearch Type: use winsock function gethostbyx\r\n"
               "Name Server: ns.test\r\n\r\nA\r\n";
        QTest::newRow("Quote Of The Day") << 5 << "" << pane << "Quote Of The Day from target.test\r\n\r\nA\r\n";
        // clang-format on
    }

    void copiedTextPerFunction()
    {
        QFETCH(int, function);
        QFETCH(QString, query);
        QFETCH(QStringList, output);
        QFETCH(QString, expected);
        CommonDialogsAnswers answers;
        auto dialog = OpenMainDialog();
        const auto id = static_cast<FunctionId>(function);
        for (QAction* action : {dialog->Actions().fileSave, dialog->Actions().copyResults, dialog->Actions().filePrint})
            QVERIFY(!action->isEnabled());
        dialog->SelectFunction(id);
        dialog->BeginRun();
        dialog->OnStop();
        PropertyPage* page = dialog->Page(id);
        page->m_host = "target.test";
        page->HostCombo()->setEditText("typed.later.test");
        if (auto* userHost = qobject_cast<UserHostPage*>(page))
            userHost->m_user = query;
        if (id == FunctionId::NameServerLookUp) {
            dialog->NameServerLookUpTab()->m_searchType = query;
            dialog->NameServerLookUpTab()->m_nameServer = "ns.test";
        }
        if (dialog->ResultList(id)) {
            RunInputs watch;
            std::tie(watch.showAsNumbers, watch.rounds) = std::tuple(query == "watch", query == "watch" ? 0u : 1u);
            dialog->Runs().View().ShowColumns(id, ShownResultColumns(id, watch));
            for (const QString& row : output)
                dialog->ResultList(id)->addTopLevelItem(new QTreeWidgetItem(row.split(QLatin1Char('|'))));
        } else {
            dialog->TextPane(id)->SetText(output.join(QString()));
        }
        dialog->Actions().copyResults->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), FixedExportDateLine() + expected);
    }

    // A save writes the exact text over an older file; one that cannot
    // create its file says so and writes nothing.
    void saveAndPrint()
    {
        CommonDialogsAnswers answers;
        MessageBoxRecorder boxes;
        QTemporaryDir folder;
        const QString path = folder.filePath("Output.txt");
        QVERIFY(WriteFile(path, QByteArray(5000, 'x')));
        auto dialog = OpenMainDialog();
        dialog->SelectFunction(FunctionId::Finger);
        dialog->BeginRun();
        dialog->OnStop();
        dialog->Actions().fileSave->trigger(); // cancelled: no message
        ActiveCommonDialogs().chooseSavePath = [&path](QWidget*) { return std::optional<QString>(path); };
        dialog->FingerTab()->m_host = "host.test";
        dialog->TextPane(FunctionId::Finger)->SetText("Grüße\r\nzwei\r\n");
        dialog->Actions().fileSave->trigger();
        QVERIFY(boxes.Texts().isEmpty());
        QCOMPARE(FileBytes(path),
                 (FixedExportDateLine() + "Finger host.test\r\n\r\nGr\u00FC\u00DFe\r\nzwei\r\n").toUtf8());

        const QString missingFolderPath = folder.filePath("missing/Output.txt");
        ActiveCommonDialogs().chooseSavePath = [&](QWidget*) { return std::optional<QString>(missingFolderPath); };
        dialog->Actions().fileSave->trigger();
        QCOMPARE(boxes.Texts(), QStringList{"Cannot create " + missingFolderPath});
        QCOMPARE(boxes.Entries().front().icon, MessageIcon::None);
        QVERIFY(!QFile::exists(missingFolderPath));

        // A cancelled print dialog prints nothing; the accepted one two pages.
        const QString pdfPath = folder.filePath("printed.pdf");
        PrintToPdf(pdfPath, false);
        dialog->Actions().filePrint->trigger();
        QVERIFY(!QFile::exists(pdfPath));
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        PrintToPdf(pdfPath, true);
        dialog->TextPane(FunctionId::Finger)->SetText(QStringLiteral("a\tb\r\n\t\tdeep\r\n") + NumberedLines(98));
        dialog->Actions().filePrint->trigger();

        const QRegularExpression title(QStringLiteral("(?m)^Title: +Netsonde Output$"));
        QVERIFY(ToolOutput("pdfinfo", {pdfPath}).contains(title));
        // pdftotext puts a form feed after each page.
        QStringList pages = ToolOutput("pdftotext", {"-layout", pdfPath, "-"}).split(QLatin1Char('\f'));
        pages.removeLast();
        QVERIFY2(pages.size() >= 2, qPrintable(QString::number(pages.size())));
        for (int page = 0; page < pages.size(); ++page) {
            const QStringList lines = pages.at(page).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QCOMPARE(lines.constFirst().trimmed(), QStringLiteral("Netsonde Version 2.1a"));
            QCOMPARE(lines.constLast().trimmed(), QStringLiteral("Page %1").arg(page + 1));
        }
        const QString all = pages.join(QLatin1Char('\n'));
        // Tabs became spaces: "b" on the line of "a", two tabs indent further.
        const QRegularExpressionMatch tabbed = QRegularExpression(QStringLiteral("\\na( +)b\\n( +)deep\\n")).match(all);
        QVERIFY2(tabbed.hasMatch(), qPrintable(all.left(400)));
        QVERIFY(tabbed.capturedLength(2) > tabbed.capturedLength(1) + 1);
        QVERIFY(all.contains("Monday, March 04, 2024 09:05AM") && all.contains("Finger host.test"));
        qsizetype from = 0;
        for (int line = 1; line <= 98; ++line) {
            const qsizetype at = all.indexOf(QStringLiteral("line %1\n").arg(line), from);
            QVERIFY2(at >= 0, qPrintable(QString::number(line)));
            from = at;
        }
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"
