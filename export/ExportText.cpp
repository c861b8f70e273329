// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/ExportText.h"

#include "run/ResultColumns.h"

#include <array>

namespace netsonde {

namespace {

enum ExportFunction {
    kPing = 0,
    kTraceRoute = 1,
    kFinger = 2,
    kWhoIs = 3,
    kNameServerLookUp = 4,
    kQuoteOfTheDay = 5,
};

const QString kCrLf = QStringLiteral("\r\n");
const QString kGetHostByXSearchType = QStringLiteral("Use Winsock Function GetHostByX");

constexpr std::array<const char*, 7> kWeekdayNames{"Monday", "Tuesday",  "Wednesday", "Thursday",
                                                   "Friday", "Saturday", "Sunday"};
constexpr std::array<const char*, 12> kMonthNames{"January",   "February", "March",    "April",
                                                  "May",       "June",     "July",     "August",
                                                  "September", "October",  "November", "December"};

QString TwoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// A cell stays on its row: line breaks inside it become spaces.
QString SingleLine(QString cell)
{
    return cell.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString ResultColumnLine(const std::vector<ResultColumn>& columns)
{
    QStringList headings;
    for (const ResultColumn column : columns)
        headings.append(QString::fromLatin1(kResultColumns.at(static_cast<std::size_t>(column)).heading));
    return FormatResultRow(headings, columns) + kCrLf;
}

// A row holds a cell for every column of the table; the source's columns are written.
QString ResultTable(const ExportSource& source)
{
    QString table = ResultColumnLine(source.resultColumns);
    for (const QStringList& row : source.resultRows) {
        QStringList cells;
        for (const ResultColumn column : source.resultColumns)
            cells.append(row.value(ColumnIndex(column)));
        table += FormatResultRow(cells, source.resultColumns) + kCrLf;
    }
    return table;
}

QString QueryLine(const QString& functionName, const ExportSource& source)
{
    if (source.user.isEmpty())
        return functionName + QLatin1Char(' ') + source.host + kCrLf;
    return functionName + QLatin1Char(' ') + source.user + QLatin1Char('@') + source.host + kCrLf;
}

QString NameServerLookUpHeader(const ExportSource& source)
{
    QString header = QStringLiteral("Name Server LookUp for ") + source.host + kCrLf;
    if (source.searchType != kGetHostByXSearchType) {
        header += QStringLiteral("Search Type: ") + source.searchType + kCrLf;
        header += QStringLiteral("Name Server: ") + source.nameServer + kCrLf;
    }
    return header;
}

// The function's header lines, its empty line, and its output.
QString FunctionPart(const ExportSource& source)
{
    switch (source.function) {
    case kPing:
        return QStringLiteral("Ping host ") + source.host + kCrLf + kCrLf + ResultTable(source);
    case kTraceRoute:
        return QStringLiteral("TraceRoute to host ") + source.host + kCrLf + kCrLf + ResultTable(source);
    case kFinger:
        return QueryLine(QStringLiteral("Finger"), source) + kCrLf + source.paneText;
    case kWhoIs:
        return QueryLine(QStringLiteral("WhoIs"), source) + kCrLf + source.paneText;
    case kNameServerLookUp:
        return NameServerLookUpHeader(source) + kCrLf + source.paneText;
    case kQuoteOfTheDay:
        return QStringLiteral("Quote Of The Day from ") + source.host + kCrLf + kCrLf + source.paneText;
    default:
        return {};
    }
}

} // namespace

QString FormatExportDate(const QDateTime& when)
{
    const QDate date = when.date();
    const QTime time = when.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1, %2 %3, %4 %5:%6%7")
        .arg(QLatin1String(kWeekdayNames.at(date.dayOfWeek() - 1)), QLatin1String(kMonthNames.at(date.month() - 1)),
             TwoDigits(date.day()), QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')), TwoDigits(hour12),
             TwoDigits(time.minute()), time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QString FormatResultRow(const QStringList& cells, const std::vector<ResultColumn>& columns)
{
    QString row;
    for (qsizetype i = 0; i < std::ssize(columns); ++i) {
        const QString cell = i < cells.size() ? SingleLine(cells.at(i)) : QString();
        const bool last = i + 1 == std::ssize(columns);
        const int width = last ? 0 : kResultColumns.at(static_cast<std::size_t>(columns[i])).exportWidth;
        row += cell.leftJustified(width, QLatin1Char(' '));
    }
    return row;
}

QString ToCrLfLineEnds(const QString& text)
{
    QString converted;
    converted.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar character = text.at(i);
        if (character == QLatin1Char('\r')) {
            converted += kCrLf;
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (character == QLatin1Char('\n')) {
            converted += kCrLf;
        } else {
            converted += character;
        }
    }
    return converted;
}

QString BuildExportText(const ExportSource& source)
{
    const QString dateLine = source.when.isValid() ? FormatExportDate(source.when) : QString();
    return ToCrLfLineEnds(dateLine + kCrLf + kCrLf + FunctionPart(source));
}

} // namespace netsonde
