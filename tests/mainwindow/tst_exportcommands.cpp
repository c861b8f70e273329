// SPDX-License-Identifier: GPL-3.0-or-later
// Save, Copy results to clipboard and Print through the real window: the
// export text of every function from its result rows or pane and its page,
// byte-exact files, failures that write nothing, and printed pages read
// back from a PDF.

#include "CommonDialogsAnswers.h"
#include "MainDialogFixture.h"
#include "support/FileHelpers.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace netsonde;
using namespace netsonde::test;

namespace {

const QString kColumnLine =
    QStringLiteral("#    Address         Host Name                                         Response Time\r\n");

QList<bool> ExportCommandsEnabled(const CMainDialog& dialog)
{
    return {dialog.Command(ID_FILE_SAVE)->isEnabled(), dialog.Command(ID_COPY_RESULTS)->isEnabled(),
            dialog.Command(ID_FILE_PRINT)->isEnabled()};
}

// The printer chosen in the print dialog writes the PDF at the path, or the
// dialog is cancelled.
void PrintToPdf(const QString& pdfPath, bool bAccept)
{
    CommonDialogs().choosePrinter = [pdfPath, bAccept](QWidget*, QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        return bAccept;
    };
}

// What the program writes to its standard output; empty when it fails.
QString ToolOutput(const QString& program, const QStringList& arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    const bool bDone = tool.waitForFinished(60000) && tool.exitCode() == 0;
    return bDone ? QString::fromUtf8(tool.readAllStandardOutput()) : QString();
}

} // namespace

class TestExportCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    // Save, Copy and Print wait for a first run. The copied text of each function: its header names what was read
    // from the page when the run started, not what was typed afterwards;
    // the rows of a list ("|" between cells) or the pane's text follow.
    void copiedTextPerFunction_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("searchType");
        QTest::addColumn<QStringList>("output");
        QTest::addColumn<QString>("expected");
        const QString longName = QStringLiteral("a-very-long-router-name.in.a.deeply.nested.domain.example");
        QTest::newRow("Ping rows at their columns")
            << 0 << "" << "" << QStringList{"1|10.0.0.1|example.test|12 ms", "2|10.0.0.1||No response"}
            << "Ping host target.test\r\n\r\n" + kColumnLine
                   + "1    10.0.0.1        example.test                                      12 ms\r\n"
                   + "2    10.0.0.1                                                          No response\r\n";
        QTest::newRow("TraceRoute long name followed directly by the time")
            << 1 << "" << "" << QStringList{"1|192.168.100.254|" + longName + "|3 ms"}
            << "TraceRoute to host target.test\r\n\r\n" + kColumnLine + "1    192.168.100.254 " + longName + "3 ms\r\n";
        const QStringList pane{"A\r\n"};
        QTest::newRow("Finger without user") << 2 << "" << "" << pane << "Finger target.test\r\n\r\nA\r\n";
        QTest::newRow("WhoIs with query") << 3 << "ex.org" << "" << pane << "WhoIs ex.org@target.test\r\n\r\nA\r\n";
        QTest::newRow("NS LookUp by the resolver") << 4 << "" << "Use Winsock Function GetHostByX" << pane
                                                   << "Name Server LookUp for target.test\r\n\r\nA\r\n";
        // Only the resolver mode's exact text leaves out the name server.
        QTest::newRow("NS LookUp by a name server") << 4 << "" << "use winsock function gethostbyx" << pane
            << "Name Server LookUp for target.test\r\nSearch Type: use winsock function gethostbyx\r\n"
               "Name Server: ns.test\r\n\r\nA\r\n";
        QTest::newRow("Quote Of The Day") << 5 << "" << "" << pane << "Quote Of The Day from target.test\r\n\r\nA\r\n";
    }

    void copiedTextPerFunction()
    {
        QFETCH(int, function);
        QFETCH(QString, user);
        QFETCH(QString, searchType);
        QFETCH(QStringList, output);
        QFETCH(QString, expected);
        CCommonDialogsAnswers answers;
        auto dialog = OpenMainDialog();
        const auto id = static_cast<FunctionId>(function);
        QCOMPARE(ExportCommandsEnabled(*dialog), QList<bool>(3, false));
        dialog->SelectFunction(id);
        dialog->BeginRun();
        dialog->OnStop();
        QCOMPARE(ExportCommandsEnabled(*dialog), QList<bool>(3, true));
        CPropertyPage* page = dialog->Page(id);
        page->m_strHost = "target.test";
        page->HostCombo()->setEditText("typed.later.test");
        if (auto* userHost = qobject_cast<CUserHostPage*>(page))
            userHost->m_strUser = user;
        if (id == FunctionId::NameServerLookUp) {
            dialog->NameServerLookUpPage()->m_strSearchType = searchType;
            dialog->NameServerLookUpPage()->m_strNameServer = "ns.test";
        }
        if (dialog->ResultList(id)) {
            for (const QString& row : output)
                dialog->ResultList(id)->addTopLevelItem(new QTreeWidgetItem(row.split(QLatin1Char('|'))));
        } else {
            dialog->TextPane(id)->SetText(output.join(QString()));
        }
        QGuiApplication::clipboard()->clear();
        dialog->Command(ID_COPY_RESULTS)->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), FixedExportDateLine() + expected);
    }

    // A save writes the exact text over an older file; one that cannot
    // create its file says so and writes nothing.
    void saveAndPrint()
    {
        CCommonDialogsAnswers answers;
        CMessageBoxRecorder boxes;
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath("Output.txt");
        QVERIFY(WriteFile(path, QByteArray(5000, 'x')));
        auto dialog = OpenMainDialog();
        dialog->SelectFunction(FunctionId::Finger);
        dialog->BeginRun();
        dialog->OnStop();
        dialog->Command(ID_FILE_SAVE)->trigger(); // cancelled: no message
        CommonDialogs().chooseSavePath = [&path](QWidget*) { return std::optional<QString>(path); };
        dialog->FingerPage()->m_strHost = "host.test";
        dialog->TextPane(FunctionId::Finger)->SetText("Grüße\r\nzwei\r\n");
        dialog->Command(ID_FILE_SAVE)->trigger();
        QVERIFY(boxes.Texts().isEmpty());
        QCOMPARE(FileBytes(path),
                 (FixedExportDateLine() + "Finger host.test\r\n\r\nGr\u00FC\u00DFe\r\nzwei\r\n").toUtf8());

        const QString missingFolderPath = folder.filePath("missing/Output.txt");
        CommonDialogs().chooseSavePath = [&](QWidget*) { return std::optional<QString>(missingFolderPath); };
        dialog->Command(ID_FILE_SAVE)->trigger();
        QCOMPARE(boxes.Texts(), QStringList{"Cannot create " + missingFolderPath});
        QCOMPARE(boxes.Entries().front().icon, MessageIcon::None);
        QVERIFY(!QFile::exists(missingFolderPath));

        // A folder in the file's place cannot be replaced: it stays as it
        // was; no save has left a temporary file beside it.
        boxes.Clear();
        const QString folderPath = folder.filePath("taken");
        QVERIFY(QDir(folder.path()).mkdir("taken"));
        CommonDialogs().chooseSavePath = [&](QWidget*) { return std::optional<QString>(folderPath); };
        dialog->Command(ID_FILE_SAVE)->trigger();
        QCOMPARE(boxes.Texts(), QStringList{"Cannot create " + folderPath});
        QVERIFY(QFileInfo(folderPath).isDir());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Output.txt")});

        // A cancelled print dialog prints nothing; the accepted one two pages.
        const QString pdfPath = folder.filePath("printed.pdf");
        PrintToPdf(pdfPath, false);
        dialog->Command(ID_FILE_PRINT)->trigger();
        QVERIFY(!QFile::exists(pdfPath));
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        PrintToPdf(pdfPath, true);
        QString output = QStringLiteral("a\tb\r\n\t\tdeep\r\n");
        for (int line = 1; line <= 98; ++line)
            output += QStringLiteral("line %1\r\n").arg(line);
        dialog->TextPane(FunctionId::Finger)->SetText(output);
        dialog->Command(ID_FILE_PRINT)->trigger();

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

QTEST_MAIN(TestExportCommands)
#include "tst_exportcommands.moc"
