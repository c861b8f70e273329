// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsReport.h"

#include "dns/DnsEdns.h"
#include "dns/DnsMessageWalk.h"
#include "platform/text/Utf8OrLatin1.h"

#include <QByteArray>

namespace netsonde {

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kIndent[] = "   ";
constexpr char kReportEnd[] = "---\r\n";

QByteArray OpcodeText(quint8 opcode)
{
    switch (opcode) {
    case 0:
        return QByteArrayLiteral("QUERY");
    case 1:
        return QByteArrayLiteral("IQUERY");
    case 2:
        return QByteArrayLiteral("STATUS");
    default:
        return QByteArrayLiteral("UNDEFINED");
    }
}

QByteArray RcodeText(quint16 rcode)
{
    switch (rcode) {
    case 0:
        return QByteArrayLiteral("NO ERROR");
    case 1:
        return QByteArrayLiteral("FORMAT ERROR");
    case 2:
        return QByteArrayLiteral("SERVER FAILURE");
    case 3:
        return QByteArrayLiteral("NAME ERROR");
    case 4:
        return QByteArrayLiteral("NOT IMPLEMENTED");
    case 5:
        return QByteArrayLiteral("REFUSED");
    case 16:
        return QByteArrayLiteral("BADVERS");
    case 23:
        return QByteArrayLiteral("BADCOOKIE");
    default:
        return QByteArrayLiteral("UNDEFINED ERROR");
    }
}

QByteArray YesNo(bool set)
{
    return set ? QByteArrayLiteral("Yes") : QByteArrayLiteral("No");
}

QByteArray Unsigned(quint32 value)
{
    return QByteArray::number(value);
}

const char* SectionHeading(DnsSection section)
{
    switch (section) {
    case DnsSection::Answer:
        return "Answer Section:";
    case DnsSection::Authority:
        return "Authority Records Section:";
    case DnsSection::Additional:
        return "Additional Records Section:";
    }
    return "";
}

// The notes on how the answer was got, before the report.
QByteArray ExchangeNotes(const DnsExchange& exchange)
{
    QByteArray notes;
    if (exchange.retriedWithoutEdns)
        notes += "Note: the name server refused EDNS; the question was asked again without it.\r\n";
    if (exchange.retriedOverTcp && exchange.tcpError.isEmpty())
        notes += "Note: the answer over UDP was truncated; the question was asked again over TCP.\r\n";
    if (!exchange.tcpError.isEmpty())
        notes += "Note: the answer over UDP was truncated, and asking again over TCP failed ("
                 + exchange.tcpError.toUtf8() + "); the truncated answer is shown.\r\n";
    return notes;
}

QByteArray ExchangeLine(const DnsExchange& exchange)
{
    return "Server=" + exchange.serverAddress.toUtf8() + ", Port=" + Unsigned(exchange.serverPort)
           + ", Transport=" + (exchange.transport == DnsTransport::Tcp ? "TCP" : "UDP")
           + ", Query Time=" + QByteArray::number(exchange.queryTimeMs)
           + " ms, Answer Size=" + QByteArray::number(exchange.answerSize) + " bytes";
}

// The report's lines as the walk over the message finds their fields.
class DnsReportWriter final : public IDnsMessageSink {
public:
    explicit DnsReportWriter(const DnsReportOptions& options) : m_verbose(options.verbose), m_exchange(options.exchange)
    {
        if (m_exchange)
            m_report.append(ExchangeNotes(*m_exchange));
        if (m_verbose)
            Heading("Header:");
    }

    QByteArray Finish()
    {
        if (m_verbose && m_exchange) {
            Heading("Exchange:");
            Line(ExchangeLine(*m_exchange));
        }
        m_report.append(kReportEnd);
        return m_report;
    }

    void Header(const DnsHeader& h, const DnsEdns* edns) override
    {
        if (m_verbose)
            HeaderLines(h);
        if (edns)
            EdnsBlock(*edns);
        if (h.AuthenticData())
            m_report.append("Note: the name server claims to have validated this answer (AD flag); Netsonde itself "
                            "validates nothing.\r\n");
        if (m_verbose)
            Heading("Question:");
    }

    void Question(const QByteArray& name, quint16 type, quint16 qclass) override
    {
        if (m_verbose)
            Line("Name=" + name + ", QTYPE=" + DnsTypeWord(type) + ", QCLASS=" + Unsigned(qclass));
    }

    void SectionStart(DnsSection section) override { Heading(SectionHeading(section)); }

    void RecordName(const DnsRecordPlace&, const QByteArray& name) override { Line("Name=" + name); }

    void RecordFields(quint16 type, quint16 rclass, quint32 ttl, quint16 rdLength) override
    {
        Line("Type=" + DnsTypeWord(type) + ", Class=" + Unsigned(rclass)
             + ", TTL=" + QByteArray::number(DnsSigned32(ttl)) + ", RDLENGTH=" + Unsigned(rdLength));
    }

    void RdataLine(const DnsFieldLine& fields) override { FieldLine(fields); }

    void RecordPresentation(const QByteArray&) override {}

    void Error(const QByteArray& text, bool) override { Line(text); }

private:
    void HeaderLines(const DnsHeader& h)
    {
        Line("ID=" + Unsigned(h.id) + ", QR=" + (h.Response() ? "Response" : "Query")
             + ", Opcode=" + OpcodeText(h.Opcode()) + ", RCODE=" + RcodeText(h.Rcode()));
        Line("Authoritative Answer=" + YesNo(h.Authoritative()) + ", Truncation=" + YesNo(h.Truncated()));
        Line("Recursion Desired=" + YesNo(h.RecursionDesired())
             + ", Recursion Available=" + YesNo(h.RecursionAvailable()));
        Line("Authentic Data=" + YesNo(h.AuthenticData()) + ", Checking Disabled=" + YesNo(h.CheckingDisabled()));
        Line("QDCOUNT=" + Unsigned(h.qdCount) + ", ANCOUNT=" + Unsigned(h.anCount) + ", NSCOUNT=" + Unsigned(h.nsCount)
             + ", ARCOUNT=" + Unsigned(h.arCount));
    }

    void EdnsBlock(const DnsEdns& edns)
    {
        Heading("EDNS:");
        FieldLine(EdnsFields(edns));
        for (const DnsEdnsOption& option : edns.options)
            FieldLine(EdnsOptionFields(option));
        if (edns.optionsCut)
            Line(kEdnsOptionsCutText);
    }

    void FieldLine(const DnsFieldLine& fields)
    {
        QByteArray line;
        for (const DnsField& field : fields) {
            if (field.comment) {
                if (m_verbose)
                    line.append(" ; ").append(field.label).append(" = ").append(field.text);
                continue;
            }
            if (!line.isEmpty())
                line.append(", ");
            line.append(field.label).append('=').append(field.text);
        }
        Line(line);
    }

    void Line(const QByteArray& text) { m_report.append(kIndent).append(text).append(kLineEnd); }
    void Heading(const char* text) { m_report.append(text).append(kLineEnd); }

    bool m_verbose;
    const DnsExchange* m_exchange;
    QByteArray m_report;
};

} // namespace

QString WriteDnsReport(QByteArrayView message, const DnsReportOptions& options)
{
    DnsReportWriter writer(options);
    WalkDnsMessage(message, writer);
    return DecodeUtf8OrLatin1(writer.Finish());
}

} // namespace netsonde
