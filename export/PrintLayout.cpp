// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/PrintLayout.h"

#include <algorithm>

namespace netsonde {

namespace {

constexpr int kTabWidth = 8;

// A line height below one pixel would stack every line at the same place.
PrintGeometry WithUsableLineHeight(PrintGeometry geometry)
{
    geometry.lineHeight = std::max(1, geometry.lineHeight);
    return geometry;
}

} // namespace

QString PrintedPageFooter(int pageNumber)
{
    return QStringLiteral("Page %1").arg(pageNumber);
}

QString ExpandTabs(const QString& line)
{
    QString expanded;
    expanded.reserve(line.size());
    for (const QChar character : line) {
        if (character == QLatin1Char('\t'))
            expanded += QString(kTabWidth - expanded.size() % kTabWidth, QLatin1Char(' '));
        else
            expanded += character;
    }
    return expanded;
}

QStringList SplitPrintLines(const QString& text)
{
    QStringList lines;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar character = text.at(i);
        if (character != QLatin1Char('\r') && character != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(lineStart, i - lineStart));
        if (character == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < text.size())
        lines.append(text.mid(lineStart));
    return lines;
}

int PrintLinesPerPage(const PrintGeometry& geometry)
{
    const PrintGeometry usable = WithUsableLineHeight(geometry);
    const int bodyHeight = usable.BodyEnd() - usable.BodyTop();
    return std::max(1, (bodyHeight + usable.lineHeight - 1) / usable.lineHeight);
}

QList<PrintedPage> LayOutPrintedPages(const QString& text, const PrintGeometry& geometry)
{
    const PrintGeometry usable = WithUsableLineHeight(geometry);
    const int linesPerPage = PrintLinesPerPage(usable);
    const QStringList lines = SplitPrintLines(text);
    QList<PrintedPage> pages;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineOnPage = static_cast<int>(i % linesPerPage);
        if (lineOnPage == 0)
            pages.append(PrintedPage{static_cast<int>(pages.size()) + 1, {}});
        if (!lines.at(i).isEmpty())
            pages.last().lines.append(
                PrintedLine{usable.BodyTop() + lineOnPage * usable.lineHeight, ExpandTabs(lines.at(i))});
    }
    return pages;
}

} // namespace netsonde
