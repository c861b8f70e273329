// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where printed export text goes on paper. All measures are device pixels:
// the margin is the width of "WWWWW" and the line height its height in the
// printer's font. Every page carries the title centred at its top and
// "Page n" centred at its bottom; the body starts four lines down and a new
// page begins when a line would start at or below four lines from the foot.

#include <QList>
#include <QString>
#include <QStringList>

namespace netsonde {

struct PrintGeometry {
    int pageWidth = 0;
    int pageHeight = 0;
    int lineHeight = 1;

    int TitleTop() const { return 0; }
    int FooterTop() const { return pageHeight - lineHeight; }
    int BodyTop() const { return 4 * lineHeight; }
    int BodyEnd() const { return pageHeight - 4 * lineHeight; }
    // Left edge of a text of the given width centred on the page.
    int CentredLeft(int textWidth) const { return (pageWidth - textWidth) / 2; }
};

struct PrintedLine {
    int top = 0;
    QString text;
};

struct PrintedPage {
    int number = 0;
    QList<PrintedLine> lines; // the body's non-empty lines, tabs expanded
};

constexpr const char* kPrintedPageTitle = "Netsonde Version 2.1a";

// "Page n"
QString PrintedPageFooter(int pageNumber);

// Tabs become spaces up to the next multiple of 8 characters.
QString ExpandTabs(const QString& line);

// The lines of a text; CR LF, a lone CR and a lone LF each end a line, and
// a line end at the very end starts no further line.
QStringList SplitPrintLines(const QString& text);

// How many body lines fit on one page (at least one).
int PrintLinesPerPage(const PrintGeometry& geometry);

// The pages of a text; an empty text prints no page. An empty line prints
// nothing but still takes its line on paper.
QList<PrintedPage> LayOutPrintedPages(const QString& text, const PrintGeometry& geometry);

} // namespace netsonde
