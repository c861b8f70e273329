// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/ExportText.h"

#include "export/ResultColumns.h"

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

constexpr std::array<const char*, 7> kWeekdayNames{
    "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
constexpr std::array<const char*, 12> kMonthNames{
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

QString TwoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// A cell stays on its row: line breaks inside it become spaces.
QString SingleLine(QString cell)
{
    return cell.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString ResultColumnLine()
{
    QStringList headings;
    for (const CResultColumn& column : kResultColumns)
        headings.append(QString::fromLatin1(column.pszHeading));
    return FormatResultRow(headings) + kCrLf;
}

QString ResultTable(const QList<QStringList>& rows)
{
    QString table = ResultColumnLine();
    for (const QStringList& row : rows)
        table += FormatResultRow(row) + kCrLf;
    return table;
}

QString QueryLine(const QString& strFunction, const CExportSource& source)
{
    if (source.strUser.isEmpty())
        return strFunction + QLatin1Char(' ') + source.strHost + kCrLf;
    return strFunction + QLatin1Char(' ') + source.strUser + QLatin1Char('@') + source.strHost + kCrLf;
}

QString NameServerLookUpHeader(const CExportSource& source)
{
    QString header = QStringLiteral("Name Server LookUp for ") + source.strHost + kCrLf;
    if (source.strSearchType != kGetHostByXSearchType) {
        header += QStringLiteral("Search Type: ") + source.strSearchType + kCrLf;
        header += QStringLiteral("Name Server: ") + source.strNameServer + kCrLf;
    }
    return header;
}

// The function's header lines, its empty line, and its output.
QString FunctionPart(const CExportSource& source)
{
    switch (source.nFunction) {
    case kPing:
        return QStringLiteral("Ping host ") + source.strHost + kCrLf + kCrLf
            + ResultTable(source.resultRows);
    case kTraceRoute:
        return QStringLiteral("TraceRoute to host ") + source.strHost + kCrLf + kCrLf
            + ResultTable(source.resultRows);
    case kFinger:
        return QueryLine(QStringLiteral("Finger"), source) + kCrLf + source.strPaneText;
    case kWhoIs:
        return QueryLine(QStringLiteral("WhoIs"), source) + kCrLf + source.strPaneText;
    case kNameServerLookUp:
        return NameServerLookUpHeader(source) + kCrLf + source.strPaneText;
    case kQuoteOfTheDay:
        return QStringLiteral("Quote Of The Day from ") + source.strHost + kCrLf + kCrLf
            + source.strPaneText;
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
        .arg(QLatin1String(kWeekdayNames.at(date.dayOfWeek() - 1)),
             QLatin1String(kMonthNames.at(date.month() - 1)), TwoDigits(date.day()),
             QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')), TwoDigits(hour12),
             TwoDigits(time.minute()),
             time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QString FormatResultRow(const QStringList& cells)
{
    QString row;
    for (qsizetype i = 0; i < std::ssize(kResultColumns); ++i) {
        const QString cell = i < cells.size() ? SingleLine(cells.at(i)) : QString();
        row += cell.leftJustified(kResultColumns.at(i).nExportWidth, QLatin1Char(' '));
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

QString BuildExportText(const CExportSource& source)
{
    const QString dateLine = source.when.isValid() ? FormatExportDate(source.when) : QString();
    return ToCrLfLineEnds(dateLine + kCrLf + kCrLf + FunctionPart(source));
}

} // namespace netsonde
