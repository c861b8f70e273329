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

inline QString WithoutTrailingDot(QString name)
{
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return name;
}

inline QStringList QuotedStrings(const QString& text)
{
    QStringList strings;
    static const QRegularExpression quoted(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
    for (const auto& match : quoted.globalMatch(text))
        strings << match.captured(1);
    return strings;
}

// The report's RDATA lines for one record as dig shows it.
inline QStringList RdataLines(const QString& type, const QString& rdata)
{
    const QStringList f = rdata.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    const auto name = [&f](int i) { return WithoutTrailingDot(f.value(i)); };
    if (type == QLatin1String("A"))
        return {QStringLiteral("   IP Address=") + rdata};
    if (type == QLatin1String("AAAA"))
        return {QStringLiteral("   IPv6 Address=") + rdata};
    if (type == QLatin1String("SRV"))
        return {QStringLiteral("   Priority=%1, Weight=%2, Port=%3, Target=%4").arg(f.value(0), f.value(1), f.value(2), name(3))};
    if (type == QLatin1String("NS"))
        return {QStringLiteral("   Name Server=") + name(0)};
    if (QStringList{"CNAME", "MB", "MG", "MR", "PTR"}.contains(type))
        return {QStringLiteral("   %1=%2").arg(type, name(0))};
    if (type == QLatin1String("SOA"))
        return {QStringLiteral("   Name Server=%1, Mailbox=%2").arg(name(0), name(1)),
                QStringLiteral("   Serial=%1, Refresh=%2, Retry=%3").arg(f.value(2), f.value(3), f.value(4)),
                QStringLiteral("   Expire=%1, Minimum=%2").arg(f.value(5), f.value(6))};
    if (type == QLatin1String("MX"))
        return {QStringLiteral("   Preference=%1, Mail Exchange=%2").arg(f.value(0), name(1))};
    if (type == QLatin1String("MINFO"))
        return {QStringLiteral("   RMAILBX=%1, EMAILBX=%2").arg(name(0), name(1))};
    if (type == QLatin1String("HINFO")) {
        const QStringList s = QuotedStrings(rdata);
        return {QStringLiteral("   CPU=%1, OS=%2").arg(s.value(0), s.value(1))};
    }
    if (type == QLatin1String("TXT")) {
        QStringList lines;
        for (const QString& s : QuotedStrings(rdata))
            lines << QStringLiteral("   TXT=") + s;
        return lines;
    }
    if (type == QLatin1String("WKS"))
        return {QStringLiteral("   IP Address=%1, Protocol=%2").arg(f.value(0), f.value(1))};
    return {QStringLiteral("   RDATA=Not yet implemented")};
}

inline QString RecordKey(const QStringList& lines)
{
    static const QRegularExpression rdLength(QStringLiteral("RDLENGTH=\\d+"));
    return lines.join(QLatin1Char('|')).replace(rdLength, QStringLiteral("RDLENGTH")).toLower();
}

inline const QMap<QString, QString>& DigSectionNames()
{
    static const QMap<QString, QString> names{
        {QStringLiteral(";; ANSWER SECTION:"), QStringLiteral("Answer Section:")},
        {QStringLiteral(";; AUTHORITY SECTION:"), QStringLiteral("Authority Records Section:")},
        {QStringLiteral(";; ADDITIONAL SECTION:"), QStringLiteral("Additional Records Section:")}};
    return names;
}

inline QString RcodeText(const QString& status)
{
    static const QMap<QString, QString> texts{
        {"NOERROR", "NO ERROR"},    {"FORMERR", "FORMAT ERROR"},       {"SERVFAIL", "SERVER FAILURE"},
        {"NXDOMAIN", "NAME ERROR"}, {"NOTIMP", "NOT IMPLEMENTED"},     {"REFUSED", "REFUSED"}};
    return texts.value(status, QStringLiteral("UNDEFINED ERROR"));
}

// dig's view of the question, without EDNS or cookies, as Netsonde asks it.
// Empty when dig fails.
inline ReportShape DigShape(const QString& server, const QString& name, const QString& type, QString* failure)
{
    QProcess dig;
    dig.start(QStringLiteral("dig"), {QStringLiteral("+noall"), QStringLiteral("+comments"), QStringLiteral("+answer"),
                                      QStringLiteral("+authority"), QStringLiteral("+additional"),
                                      QStringLiteral("+nocookie"), QStringLiteral("+noedns"), QStringLiteral("+time=5"),
                                      QLatin1Char('@') + server, name, type});
    if (!dig.waitForFinished(60000) || dig.exitCode() != 0) {
        *failure = QString::fromUtf8(dig.readAllStandardOutput() + dig.readAllStandardError());
        return {};
    }
    ReportShape shape;
    static const QRegularExpression statusLine(QStringLiteral("opcode: (\\w+), status: (\\w+)"));
    static const QRegularExpression flagsLine(
        QStringLiteral("flags:([a-z ]*); QUERY: (\\d+), ANSWER: (\\d+), AUTHORITY: (\\d+), ADDITIONAL: (\\d+)"));
    static const QRegularExpression record(QStringLiteral("^(\\S+)\\s+(\\d+)\\s+IN\\s+(\\S+)\\s+(.*)$"));
    QString section;
    for (const QString& line : QString::fromUtf8(dig.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (const auto m = statusLine.match(line); m.hasMatch())
            shape.header = QStringLiteral("QR=Response, Opcode=%1, RCODE=%2").arg(m.captured(1), RcodeText(m.captured(2)));
        if (const auto m = flagsLine.match(line); m.hasMatch()) {
            const QStringList flags = m.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const auto yesNo = [&flags](const char* flag) {
                return flags.contains(QLatin1String(flag)) ? QStringLiteral("Yes") : QStringLiteral("No");
            };
            shape.headerLines = {
                QStringLiteral("   Authoritative Answer=%1, Truncation=%2").arg(yesNo("aa"), yesNo("tc")),
                QStringLiteral("   Recursion Desired=%1, Recursion Available=%2").arg(yesNo("rd"), yesNo("ra")),
                QStringLiteral("   QDCOUNT=%1, ANCOUNT=%2, NSCOUNT=%3, ARCOUNT=%4")
                    .arg(m.captured(2), m.captured(3), m.captured(4), m.captured(5))};
        }
        if (DigSectionNames().contains(line))
            section = DigSectionNames().value(line);
        else if (const auto m = record.match(line); m.hasMatch() && !section.isEmpty())
            shape.sections[section] << RecordKey(QStringList{QStringLiteral("   Name=") + WithoutTrailingDot(m.captured(1)),
                                                             QStringLiteral("   Type=%1, Class=1, TTL=%2, RDLENGTH=0")
                                                                 .arg(m.captured(3), m.captured(2))}
                                                 + RdataLines(m.captured(3), m.captured(4).trimmed()));
    }
    for (QStringList& records : shape.sections)
        records.sort();
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
        } else if (DigSectionNames().values().contains(line) || line == QLatin1String("---")) {
            flush();
            section = line;
        } else if (!section.isEmpty() && line.startsWith(QLatin1String("   Name=")) && !current.isEmpty()) {
            flush();
            current << line;
        } else if (!section.isEmpty() && line.startsWith(QLatin1String("   "))) {
            current << line;
        }
    }
    for (QStringList& records : shape.sections)
        records.sort();
    return shape;
}

} // namespace netsonde::test
