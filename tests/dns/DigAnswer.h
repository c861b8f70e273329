// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What dig prints for a question, turned into the entries Netsonde's report
// should hold for it, so the lab tests compare the lookup with an independent
// client of the same name server.

#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

namespace netsonde::test {

// A report as its entries, sorted (a server may rotate records): each
// question, each record. An entry is its heading and its lines, trimmed,
// joined by "|" and lower-cased, without RDLENGTH (dig does not print it).
using ReportShape = QStringList;

inline QString ShapeEntry(const QString& heading, const QStringList& lines)
{
    static const QRegularExpression unseen(QStringLiteral(", RDLENGTH=\\d+"));
    return QString(heading + u'|' + lines.join(u'|')).remove(unseen).toLower();
}

inline QString WithoutTrailingDot(const QString& name)
{
    return name.endsWith(u'.') ? name.chopped(1) : name;
}

// The one line of a type beyond the first seventeen: "WORD=" and dig's text
// (hex and base64 unbroken by +nosplit), a DNSKEY's comment cut to its key
// id; "RDATA=" for a type dig names TYPEn.
inline QString PresentationLine(const QString& type, QString rdata)
{
    static const QRegularExpression keyComment(QStringLiteral("\\s+;.*(; key id = \\d+)$"));
    static const QRegularExpression unknown(QStringLiteral("^TYPE\\d+$"));
    rdata.replace(keyComment, QStringLiteral(" \\1"));
    return (unknown.match(type).hasMatch() ? QStringLiteral("RDATA") : type) + u'=' + rdata;
}

// The report's RDATA lines for one record as dig shows it: for the first
// seventeen types quoted strings without their quotes, names without their
// trailing dot; "|" ends a line.
inline QString RdataLines(const QString& type, const QString& rdata)
{
    static const QMap<QString, QString> forms{
        {"A", "IP Address=%1"},
        {"AAAA", "IPv6 Address=%1"},
        {"NS", "Name Server=%1"},
        {"CNAME", "CNAME=%1"},
        {"MB", "MB=%1"},
        {"MG", "MG=%1"},
        {"MR", "MR=%1"},
        {"PTR", "PTR=%1"},
        {"HINFO", "CPU=%1, OS=%2"},
        {"SRV", "Priority=%1, Weight=%2, Port=%3, Target=%4"},
        {"MX", "Preference=%1, Mail Exchange=%2"},
        {"SOA", "Name Server=%1, Mailbox=%2|Serial=%3, Refresh=%4, Retry=%5|Expire=%6, Minimum=%7"},
        {"MINFO", "RMAILBX=%1, EMAILBX=%2"},
        {"WKS", "IP Address=%1, Protocol=%2"}};
    static const QRegularExpression field(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\"|(\\S+)"));
    if (!forms.contains(type) && type != QLatin1String("TXT"))
        return PresentationLine(type, rdata);
    QStringList strings;
    QString text = forms.value(type);
    for (const auto& match : field.globalMatch(rdata)) {
        const QString value = match.hasCaptured(1) ? match.captured(1) : WithoutTrailingDot(match.captured(2));
        strings << QStringLiteral("TXT=") + value;
        if (text.contains(u'%'))
            text = text.arg(value);
    }
    return type == QLatin1String("TXT") ? strings.join(u'|') : text;
}

// dig's view of the question, without EDNS or cookies, as Netsonde asks it,
// hex and base64 unbroken and a DNSKEY's key id in a comment.
// Empty when dig fails.
inline ReportShape DigShape(const QString& server, const QString& name, const QString& type, QString* failure)
{
    QProcess dig;
    dig.start(QStringLiteral("dig"),
              {"+noall", "+comments", "+question", "+answer", "+authority", "+additional", "+nocookie", "+noedns",
               "+nosplit", "+rrcomments", "+time=5", QLatin1Char('@') + server, name, type});
    const QString output = dig.waitForFinished(60000) ? QString::fromUtf8(dig.readAllStandardOutput()) : QString();
    if (dig.exitCode() != 0) {
        *failure = output + QString::fromUtf8(dig.readAllStandardError());
        return {};
    }
    ReportShape shape;
    static const QMap<QString, QString> headings{{";; QUESTION SECTION:", "Question:"},
                                                 {";; ANSWER SECTION:", "Answer Section:"},
                                                 {";; AUTHORITY SECTION:", "Authority Records Section:"},
                                                 {";; ADDITIONAL SECTION:", "Additional Records Section:"}};
    static const QRegularExpression question(QStringLiteral("^;(\\S+)\\s+IN\\s+(\\S+)$"));
    static const QRegularExpression record(QStringLiteral("^(\\S+)\\s+(\\d+)\\s+IN\\s+(\\S+)\\s+(.*)$"));
    QString heading;
    for (const QString& line : output.split(u'\n')) {
        if (headings.contains(line))
            heading = headings.value(line);
        else if (const auto q = question.match(line); q.hasMatch())
            shape << ShapeEntry(heading,
                                {QStringLiteral("Name=%1, QTYPE=%2, QCLASS=1")
                                     .arg(WithoutTrailingDot(q.captured(1)), q.captured(2).replace("ANY", "ALL"))});
        else if (const auto r = record.match(line); r.hasMatch())
            shape << ShapeEntry(heading, {"Name=" + WithoutTrailingDot(r.captured(1)),
                                          QStringLiteral("Type=%1, Class=1, TTL=%2").arg(r.captured(3), r.captured(2)),
                                          RdataLines(r.captured(3), r.captured(4).trimmed())});
    }
    shape.sort();
    return shape;
}

// The same entries read from Netsonde's report: those under the four section
// headings; the verbose header is the report test's, and so are any other
// blocks and notes.
inline ReportShape ReportShapeOf(const QString& report)
{
    static const QStringList sections{
        "Question:", "Answer Section:", "Authority Records Section:", "Additional Records Section:"};
    ReportShape shape;
    QString heading;
    QStringList lines;
    const auto flush = [&] {
        if (!lines.isEmpty() && sections.contains(heading))
            shape << ShapeEntry(heading, lines);
        lines.clear();
    };
    for (const QString& line : report.split(QStringLiteral("\r\n"))) {
        if (!line.startsWith(QLatin1String("   ")) || line.startsWith(QLatin1String("   Name=")))
            flush();
        if (!line.startsWith(QLatin1String("   ")))
            heading = line;
        else
            lines << line.trimmed();
    }
    flush();
    shape.sort();
    return shape;
}

} // namespace netsonde::test
