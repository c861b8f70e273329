// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What dig prints for a question, turned into the lines Netsonde's report
// should hold for it, so the lab tests compare the lookup with an independent
// client of the same name server.

#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

namespace netsonde::test {

// A report or an answer as sections of records. Each record is its lines
// joined, lower-cased, with the RDLENGTH value left out (dig does not print
// it); the records of a section are sorted, since a server may rotate them.
struct ReportShape {
    QString header;            // the verbose header line after "   ID=<n>, "
    QStringList headerLines;   // the two flag lines and the counts line
    QMap<QString, QStringList> sections;
    bool operator==(const ReportShape&) const = default;
};

inline QString WithoutTrailingDot(const QString& name) { return name.endsWith(u'.') ? name.chopped(1) : name; }

// dig's fields of one RDATA: quoted strings without their quotes, names
// without their trailing dot.
inline QStringList DigFields(const QString& rdata)
{
    static const QRegularExpression field(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\"|(\\S+)"));
    QStringList fields;
    for (const auto& match : field.globalMatch(rdata))
        fields << (match.hasCaptured(1) ? match.captured(1) : WithoutTrailingDot(match.captured(2)));
    return fields;
}

inline QStringList Indented(QStringList lines) { return lines.replaceInStrings(QRegularExpression("^"), "   "); }

// The report's RDATA lines for one record as dig shows it; "|" ends a line.
inline QStringList RdataLines(const QString& type, const QString& rdata)
{
    static const QMap<QString, QString> forms{
        {"A", "IP Address=%1"}, {"AAAA", "IPv6 Address=%1"}, {"NS", "Name Server=%1"}, {"CNAME", "CNAME=%1"},
        {"MB", "MB=%1"}, {"MG", "MG=%1"}, {"MR", "MR=%1"}, {"PTR", "PTR=%1"}, {"HINFO", "CPU=%1, OS=%2"},
        {"SRV", "Priority=%1, Weight=%2, Port=%3, Target=%4"}, {"MX", "Preference=%1, Mail Exchange=%2"},
        {"SOA", "Name Server=%1, Mailbox=%2|Serial=%3, Refresh=%4, Retry=%5|Expire=%6, Minimum=%7"},
        {"MINFO", "RMAILBX=%1, EMAILBX=%2"}, {"WKS", "IP Address=%1, Protocol=%2"}};
    const QStringList fields = DigFields(rdata);
    if (type == QLatin1String("TXT"))
        return Indented(QStringList(fields).replaceInStrings(QRegularExpression("^"), "TXT="));
    QString text = forms.value(type, QStringLiteral("RDATA=Not yet implemented"));
    for (int i = 0; i < fields.size() && text.contains(u'%'); ++i)
        text = text.arg(fields.at(i));
    return Indented(text.split(u'|'));
}

inline QString RecordKey(const QStringList& lines)
{
    static const QRegularExpression rdLength(QStringLiteral("RDLENGTH=\\d+"));
    return lines.join(QLatin1Char('|')).replace(rdLength, QStringLiteral("RDLENGTH")).toLower();
}

inline const QMap<QString, QString> kDigSectionNames{{";; ANSWER SECTION:", "Answer Section:"},
                                                     {";; AUTHORITY SECTION:", "Authority Records Section:"},
                                                     {";; ADDITIONAL SECTION:", "Additional Records Section:"}};

inline const QMap<QString, QString> kRcodeTexts{
    {"NOERROR", "NO ERROR"},    {"FORMERR", "FORMAT ERROR"},   {"SERVFAIL", "SERVER FAILURE"},
    {"NXDOMAIN", "NAME ERROR"}, {"NOTIMP", "NOT IMPLEMENTED"}, {"REFUSED", "REFUSED"}};

inline void SortRecords(ReportShape& shape)
{
    for (QStringList& records : shape.sections)
        records.sort();
}

// dig's view of the question, without EDNS or cookies, as Netsonde asks it.
// Empty when dig fails.
inline ReportShape DigShape(const QString& server, const QString& name, const QString& type, QString* failure)
{
    QProcess dig;
    dig.start(QStringLiteral("dig"), {"+noall", "+comments", "+answer", "+authority", "+additional", "+nocookie",
                                      "+noedns", "+time=5", QLatin1Char('@') + server, name, type});
    if (!dig.waitForFinished(60000) || dig.exitCode() != 0) {
        *failure = QString::fromUtf8(dig.readAllStandardOutput() + dig.readAllStandardError());
        return {};
    }
    ReportShape shape;
    QString section;
    static const QRegularExpression statusLine(QStringLiteral("opcode: (\\w+), status: (\\w+)"));
    static const QRegularExpression flagsLine(
        QStringLiteral("flags:([a-z ]*); QUERY: (\\d+), ANSWER: (\\d+), AUTHORITY: (\\d+), ADDITIONAL: (\\d+)"));
    static const QRegularExpression record(QStringLiteral("^(\\S+)\\s+(\\d+)\\s+IN\\s+(\\S+)\\s+(.*)$"));
    for (const QString& line : QString::fromUtf8(dig.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (const auto m = statusLine.match(line); m.hasMatch())
            shape.header = QString("QR=Response, Opcode=%1, RCODE=%2")
                               .arg(m.captured(1), kRcodeTexts.value(m.captured(2), "UNDEFINED ERROR"));
        if (const auto m = flagsLine.match(line); m.hasMatch()) {
            const QStringList flags = m.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const auto yes = [&flags](const char* flag) { return flags.contains(flag) ? "Yes" : "No"; };
            shape.headerLines = {
                QStringLiteral("   Authoritative Answer=%1, Truncation=%2").arg(yes("aa"), yes("tc")),
                QStringLiteral("   Recursion Desired=%1, Recursion Available=%2").arg(yes("rd"), yes("ra")),
                QStringLiteral("   QDCOUNT=%1, ANCOUNT=%2, NSCOUNT=%3, ARCOUNT=%4")
                    .arg(m.captured(2), m.captured(3), m.captured(4), m.captured(5))};
        }
        if (kDigSectionNames.contains(line))
            section = kDigSectionNames.value(line);
        else if (const auto m = record.match(line); m.hasMatch() && !section.isEmpty())
            shape.sections[section] << RecordKey(QStringList{"   Name=" + WithoutTrailingDot(m.captured(1)),
                                                             QStringLiteral("   Type=%1, Class=1, TTL=%2, RDLENGTH=0")
                                                                 .arg(m.captured(3), m.captured(2))}
                                                 + RdataLines(m.captured(3), m.captured(4).trimmed()));
    }
    SortRecords(shape);
    return shape;
}

// The same shape read from Netsonde's report.
inline ReportShape ReportShapeOf(const QString& report)
{
    ReportShape shape;
    static const QRegularExpression idLine(QStringLiteral("^   ID=\\d+, (.*)$"));
    const QStringList lines = report.split(QStringLiteral("\r\n"));
    QString section;
    QStringList current;
    const auto flush = [&] {
        if (!current.isEmpty())
            shape.sections[section] << RecordKey(current);
        current.clear();
    };
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (const auto m = idLine.match(line); m.hasMatch()) {
            shape.header = m.captured(1);
            shape.headerLines = lines.mid(i + 1, 3);
            i += 3;
        } else if (kDigSectionNames.values().contains(line) || line == QLatin1String("---")) {
            flush();
            section = line;
        } else if (!section.isEmpty() && line.startsWith(QLatin1String("   "))) {
            if (line.startsWith(QLatin1String("   Name=")))
                flush();
            current << line;
        }
    }
    SortRecords(shape);
    return shape;
}

} // namespace netsonde::test
