// SPDX-License-Identifier: GPL-3.0-or-later
// Save, Copy results to clipboard and Print through the real window: the
// export text of every function from its result rows or pane and its page,
// byte-exact files, failures that write nothing, and printed pages read
// back from a PDF.

#include "CommonDialogsAnswers.h"
#include "MainDialogFixture.h"
#include "TestSupport.h"

#include "mainwindow/OutputPane.h"
#include "pages/NameServerLookUpPage.h"
#include "pages/QuoteOfDayPage.h"
#include "pages/UserHostPage.h"
#include "platform/MessageBox.h"
#include "resources/ResourceIds.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace netsonde;
using namespace netsonde::test;

namespace {

const QString kColumnLine =
    QStringLiteral("#    Address         Host Name                                         Response Time\r\n");

void AddRow(CMainDialog& dialog, FunctionId id, const QStringList& cells)
{
    dialog.ResultList(id)->addTopLevelItem(new QTreeWidgetItem(cells));
}

// The window after a run of `id`: its tab selected, the export commands
// usable; the page's members are set afterwards, as the run's Start would.
void RunOn(CMainDialog& dialog, FunctionId id)
{
    dialog.SelectFunction(id);
    dialog.BeginRun();
    dialog.OnStop();
}

QString CopiedText(CMainDialog& dialog)
{
    QGuiApplication::clipboard()->clear();
    dialog.Command(ID_COPY_RESULTS)->trigger();
    return QGuiApplication::clipboard()->text();
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(1 << 20) : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The pages of a PDF as text, split at the form feeds pdftotext puts
// between pages.
QStringList PdfPages(const QString& pdfPath)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdfPath, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.constLast().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QString PdfTitle(const QString& pdfPath)
{
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), {pdfPath});
    if (!pdfinfo.waitForFinished(60000))
        return {};
    for (const QString& line : QString::fromUtf8(pdfinfo.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Title:")))
            return line.mid(6).trimmed();
    }
    return {};
}

} // namespace

class TestExportCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    void commandsFollowTheRunAndClear()
    {
        CCommonDialogsAnswers answers;
        auto dialog = OpenMainDialog();
        for (int command : {ID_FILE_SAVE, ID_COPY_RESULTS, ID_FILE_PRINT})
            QVERIFY(!dialog->Command(command)->isEnabled());
        RunOn(*dialog, FunctionId::Ping);
        for (int command : {ID_FILE_SAVE, ID_COPY_RESULTS, ID_FILE_PRINT})
            QVERIFY(dialog->Command(command)->isEnabled());
        dialog->OnClear();
        for (int command : {ID_FILE_SAVE, ID_COPY_RESULTS, ID_FILE_PRINT})
            QVERIFY(!dialog->Command(command)->isEnabled());
    }

    void pingRowsAtTheirColumns()
    {
        CCommonDialogsAnswers answers;
        auto dialog = OpenMainDialog();
        RunOn(*dialog, FunctionId::Ping);
        dialog->Page(FunctionId::Ping)->m_strHost = QStringLiteral("example.test");
        AddRow(*dialog, FunctionId::Ping, {"1", "10.0.0.1", "example.test", "12 ms"});
        AddRow(*dialog, FunctionId::Ping, {"2", "10.0.0.1", "", "No response"});
        const QString text = CopiedText(*dialog);
        QCOMPARE(text, FixedExportDateLine() + "Ping host example.test\r\n\r\n" + kColumnLine
                           + "1    10.0.0.1        example.test                                      12 ms\r\n"
                           + "2    10.0.0.1                                                          No response\r\n");
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.at(5).indexOf(QLatin1String("10.0.0.1")), 5);
        QCOMPARE(lines.at(5).indexOf(QLatin1String("example.test")), 21);
        QCOMPARE(lines.at(5).indexOf(QLatin1String("12 ms")), 71);
    }

    void longHostNameIsFollowedDirectlyByTheTime()
    {
        CCommonDialogsAnswers answers;
        auto dialog = OpenMainDialog();
        RunOn(*dialog, FunctionId::TraceRoute);
        const QString longName = QStringLiteral("a-very-long-router-name.in.a.deeply.nested.domain.example");
        QVERIFY(longName.size() > 50);
        dialog->Page(FunctionId::TraceRoute)->m_strHost = QStringLiteral("10.9.8.7");
        AddRow(*dialog, FunctionId::TraceRoute, {"1", "192.168.100.254", longName, "3 ms"});
        QCOMPARE(CopiedText(*dialog), FixedExportDateLine() + "TraceRoute to host 10.9.8.7\r\n\r\n" + kColumnLine
                                          + "1    192.168.100.254 " + longName + "3 ms\r\n");
    }

    void fingerAndWhoIsHeaders()
    {
        CCommonDialogsAnswers answers;
        auto dialog = OpenMainDialog();
        RunOn(*dialog, FunctionId::Finger);
        dialog->FingerPage()->m_strHost = QStringLiteral("host.test");
        dialog->FingerPage()->m_strUser.clear();
        dialog->TextPane(FunctionId::Finger)->SetText(QStringLiteral("Login: ann\r\nName: Ann\r\n"));
        QCOMPARE(CopiedText(*dialog),
                 FixedExportDateLine() + "Finger host.test\r\n\r\nLogin: ann\r\nName: Ann\r\n");

        RunOn(*dialog, FunctionId::WhoIs);
        dialog->WhoIsPage()->m_strHost = QStringLiteral("whois.test");
        dialog->WhoIsPage()->m_strUser = QStringLiteral("example.org");
        dialog->TextPane(FunctionId::WhoIs)->SetText(QStringLiteral("Domain: EXAMPLE.ORG\r\n"));
        QCOMPARE(CopiedText(*dialog),
                 FixedExportDateLine() + "WhoIs example.org@whois.test\r\n\r\nDomain: EXAMPLE.ORG\r\n");
    }

    // The header names the target of the output: what was read from the
    // page when the run started, not what was typed into it afterwards.
    void headerNamesTheRunsTargetNotLaterTyping()
    {
        CCommonDialogsAnswers answers;
        auto dialog = OpenMainDialog();
        RunOn(*dialog, FunctionId::QuoteOfDay);
        dialog->QuoteOfDayPage()->m_strHost = QStringLiteral("quotes.test");
        dialog->QuoteOfDayPage()->HostCombo()->setEditText(QStringLiteral("typed.later.test"));
        dialog->TextPane(FunctionId::QuoteOfDay)->SetText(QStringLiteral("Carpe diem.\r\n"));
        QCOMPARE(CopiedText(*dialog), FixedExportDateLine() + "Quote Of The Day from quotes.test\r\n\r\nCarpe diem.\r\n");
    }

    void nameServerLookUpHeaders()
    {
        CCommonDialogsAnswers answers;
        auto dialog = OpenMainDialog();
        RunOn(*dialog, FunctionId::NameServerLookUp);
        CNameServerLookUpPage* page = dialog->NameServerLookUpPage();
        page->m_strHost = QStringLiteral("www.example.test");
        page->m_strSearchType = QStringLiteral("Use Winsock Function GetHostByX");
        page->m_strNameServer = QStringLiteral("ns.test");
        dialog->TextPane(FunctionId::NameServerLookUp)->SetText(QStringLiteral("Address: 10.0.0.5\r\n"));
        QCOMPARE(CopiedText(*dialog), FixedExportDateLine()
                     + "Name Server LookUp for www.example.test\r\n\r\nAddress: 10.0.0.5\r\n");

        page->m_strSearchType = QStringLiteral("Host Address (A)");
        QCOMPARE(CopiedText(*dialog), FixedExportDateLine() + "Name Server LookUp for www.example.test\r\n"
                                          + "Search Type: Host Address (A)\r\nName Server: ns.test\r\n\r\n"
                                          + "Address: 10.0.0.5\r\n");
    }

    void saveWritesTheExactTextAndOverwrites()
    {
        CCommonDialogsAnswers answers;
        CMessageBoxRecorder boxes;
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("Output.txt"));
        QVERIFY(WriteFile(path, QByteArray(5000, 'x')));
        CommonDialogs().chooseSavePath = [&path](QWidget*) { return std::optional<QString>(path); };

        auto dialog = OpenMainDialog();
        RunOn(*dialog, FunctionId::Finger);
        dialog->FingerPage()->m_strHost = QStringLiteral("host.test");
        dialog->TextPane(FunctionId::Finger)->SetText(QStringLiteral("Grüße\r\nzwei\r\n"));
        dialog->Command(ID_FILE_SAVE)->trigger();
        QVERIFY(boxes.Texts().isEmpty());
        QCOMPARE(FileBytes(path),
                 (FixedExportDateLine() + "Finger host.test\r\n\r\nGr\u00FC\u00DFe\r\nzwei\r\n").toUtf8());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("Output.txt")});
    }

    void cancelledSaveWritesNothing()
    {
        CCommonDialogsAnswers answers;
        CMessageBoxRecorder boxes;
        QTemporaryDir folder;
        auto dialog = OpenMainDialog();
        RunOn(*dialog, FunctionId::Finger);
        dialog->Command(ID_FILE_SAVE)->trigger();
        QVERIFY(boxes.Texts().isEmpty());
        QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
    }

    void saveThatCannotCreateTheFile()
    {
        CCommonDialogsAnswers answers;
        CMessageBoxRecorder boxes;
        QTemporaryDir folder;
        auto dialog = OpenMainDialog();
        RunOn(*dialog, FunctionId::Finger);

        const QString missingFolderPath = folder.filePath(QStringLiteral("missing/Output.txt"));
        CommonDialogs().chooseSavePath = [&](QWidget*) { return std::optional<QString>(missingFolderPath); };
        dialog->Command(ID_FILE_SAVE)->trigger();
        QCOMPARE(boxes.Texts(), QStringList{"Cannot create " + missingFolderPath});
        QCOMPARE(boxes.Entries().front().icon, MessageIcon::None);
        QVERIFY(!QFile::exists(missingFolderPath));

        // A folder in the file's place cannot be replaced: it stays as it
        // was and no temporary file is left beside it.
        boxes.Clear();
        const QString folderPath = folder.filePath(QStringLiteral("taken"));
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("taken")));
        CommonDialogs().chooseSavePath = [&](QWidget*) { return std::optional<QString>(folderPath); };
        dialog->Command(ID_FILE_SAVE)->trigger();
        QCOMPARE(boxes.Texts(), QStringList{"Cannot create " + folderPath});
        QVERIFY(QFileInfo(folderPath).isDir());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void printTwoPagesToPdf()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        CCommonDialogsAnswers answers;
        QTemporaryDir folder;
        const QString pdfPath = folder.filePath(QStringLiteral("printed.pdf"));
        CommonDialogs().choosePrinter = [&](QWidget*, QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdfPath);
            return true;
        };

        auto dialog = OpenMainDialog();
        RunOn(*dialog, FunctionId::Finger);
        dialog->FingerPage()->m_strHost = QStringLiteral("host.test");
        QString output = QStringLiteral("a\tb\r\n\t\tdeep\r\n");
        for (int line = 1; line <= 98; ++line)
            output += QStringLiteral("line %1\r\n").arg(line);
        dialog->TextPane(FunctionId::Finger)->SetText(output);
        dialog->Command(ID_FILE_PRINT)->trigger();

        QCOMPARE(PdfTitle(pdfPath), QStringLiteral("Netsonde Output"));
        const QStringList pages = PdfPages(pdfPath);
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
        QVERIFY(all.contains(QLatin1String("Monday, March 04, 2024 09:05AM")));
        QVERIFY(all.contains(QLatin1String("Finger host.test")));
        qsizetype from = 0;
        for (int line = 1; line <= 98; ++line) {
            const qsizetype at = all.indexOf(QStringLiteral("line %1\n").arg(line), from);
            QVERIFY2(at >= 0, qPrintable(QString::number(line)));
            from = at;
        }
    }

    void printCancelledPrintsNothing()
    {
        CCommonDialogsAnswers answers;
        QTemporaryDir folder;
        const QString pdfPath = folder.filePath(QStringLiteral("printed.pdf"));
        CommonDialogs().choosePrinter = [&](QWidget*, QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdfPath);
            return false;
        };
        auto dialog = OpenMainDialog();
        RunOn(*dialog, FunctionId::Finger);
        dialog->Command(ID_FILE_PRINT)->trigger();
        QVERIFY(!QFile::exists(pdfPath));
    }
};

QTEST_MAIN(TestExportCommands)
#include "tst_exportcommands.moc"
