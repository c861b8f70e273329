// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text that Save, Copy and Print export: a date line, the current
// function's header and its output, with CR LF line ends throughout.

#include "run/ResultColumns.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace netsonde {

// What the export needs of the main window and the current function's page.
struct ExportSource {
    int function = 0; // the function's tab index: 0 Ping ... 5 Quote Of The Day
    QString host;
    QString user;                  // Finger, WhoIs
    QString searchType;            // Name Server LookUp
    QString nameServer;            // Name Server LookUp
    QList<QStringList> resultRows; // Ping, TraceRoute: the list's cells, row by row, one per column of the table
    std::vector<ResultColumn> resultColumns = BaseResultColumns(); // the columns of those cells
    QString paneText;                                              // the other functions: the output pane's text
    QDateTime when;                                                // local date and time of the export
};

QString BuildExportText(const ExportSource& source);

// "Monday, March 04, 2024 09:05AM": English names whatever the user's locale.
QString FormatExportDate(const QDateTime& when);

// One results row with its cells at columns 0, 5, 21 and 71 (then 86); a
// longer cell is kept whole and the next cell follows it directly. The last
// cell is not padded. No line end.
QString FormatResultRow(const QStringList& cells, const std::vector<ResultColumn>& columns = BaseResultColumns());

// Every CR, LF and CR LF becomes CR LF.
QString ToCrLfLineEnds(const QString& text);

} // namespace netsonde
