// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ExportCommands.h"
#include "mainwindow/OutputPane.h"

#include "export/PrintLayout.h"
#include "mainwindow/CommonDialogs.h"
#include "mainwindow/MainDialog.h"
#include "pages/NameServerLookUpPage.h"
#include "pages/UserHostPage.h"
#include "platform/MessageBox.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>
#include <QTreeWidget>

namespace netsonde {

namespace {

QList<QStringList> ResultRows(const QTreeWidget& list)
{
    QList<QStringList> rows;
    for (int row = 0; row < list.topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list.topLevelItem(row);
        QStringList cells;
        for (int column = 0; column < kResultColumnCount; ++column)
            cells.append(item->text(column));
        rows.append(cells);
    }
    return rows;
}

std::vector<ResultColumn> ShownColumns(const QTreeWidget& list)
{
    std::vector<ResultColumn> columns;
    for (const ResultColumnInfo& column : kResultColumns) {
        if (!list.isColumnHidden(ColumnIndex(column.id)))
            columns.push_back(column.id);
    }
    return columns;
}

// The page's members as its function last read them from its controls.
void AddPageValues(const PropertyPage& page, ExportSource& source)
{
    source.host = page.m_host;
    if (const auto* userHostPage = qobject_cast<const UserHostPage*>(&page))
        source.user = userHostPage->m_user;
    if (const auto* nameServerPage = qobject_cast<const NameServerLookUpPage*>(&page)) {
        source.searchType = nameServerPage->m_searchType;
        source.nameServer = nameServerPage->m_nameServer;
    }
}

void DrawLineAt(QPainter& painter, int left, int top, const QString& text)
{
    painter.drawText(left, top + painter.fontMetrics().ascent(), text);
}

void DrawPage(QPainter& painter, const PrintGeometry& geometry, int margin, const PrintedPage& page)
{
    const QFontMetrics metrics = painter.fontMetrics();
    const QString title = QString::fromLatin1(kPrintedPageTitle);
    DrawLineAt(painter, geometry.CentredLeft(metrics.horizontalAdvance(title)), geometry.TitleTop(), title);
    const QString footer = PrintedPageFooter(page.number);
    DrawLineAt(painter, geometry.CentredLeft(metrics.horizontalAdvance(footer)), geometry.FooterTop(), footer);
    for (const PrintedLine& line : page.lines)
        DrawLineAt(painter, margin, line.top, line.text);
}

} // namespace

ExportSource ExportSourceOf(MainDialog& dialog)
{
    const FunctionId id = dialog.CurrentFunction();
    ExportSource source;
    source.function = Index(id);
    AddPageValues(*dialog.Page(id), source);
    if (QTreeWidget* list = dialog.ResultList(id)) {
        source.resultRows = ResultRows(*list);
        source.resultColumns = ShownColumns(*list);
    } else {
        source.paneText = dialog.TextPane(id)->Text();
    }
    source.when = ActiveCommonDialogs().now();
    return source;
}

QString BuildExportText(MainDialog& dialog)
{
    return BuildExportText(ExportSourceOf(dialog));
}

bool SaveTextFile(const QString& path, const QString& text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void PrintExportText(QPrinter& printer, const QString& text)
{
    printer.setDocName(QStringLiteral("Netsonde Output"));
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    const QFontMetrics metrics = painter.fontMetrics();
    const QString marginSample = QStringLiteral("WWWWW");
    const PrintGeometry geometry{printer.width(), printer.height(), metrics.height()};
    const int margin = metrics.horizontalAdvance(marginSample);
    bool firstPage = true;
    for (const PrintedPage& page : LayOutPrintedPages(text, geometry)) {
        if (!firstPage && !printer.newPage())
            return;
        firstPage = false;
        DrawPage(painter, geometry, margin, page);
    }
    painter.end();
}

void OnFileSave(MainDialog& dialog)
{
    const std::optional<QString> path = ActiveCommonDialogs().chooseSavePath(&dialog);
    if (!path)
        return;
    if (!SaveTextFile(*path, BuildExportText(dialog)))
        ShowMessageBox(QStringLiteral("Cannot create ") + QDir::toNativeSeparators(*path));
}

// The clipboard reports no failure of its own: text that cannot be read back
// at once never reached it.
void OnCopyResults(MainDialog& dialog)
{
    const QString text = BuildExportText(dialog);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text, QClipboard::Clipboard);
    if (clipboard->text(QClipboard::Clipboard) != text)
        ShowMessageBox(QStringLiteral("Unable to open the clipboard"));
}

void OnFilePrint(MainDialog& dialog)
{
    QPrinter printer;
    if (!ActiveCommonDialogs().choosePrinter(&dialog, printer))
        return;
    PrintExportText(printer, BuildExportText(dialog));
}

} // namespace netsonde
