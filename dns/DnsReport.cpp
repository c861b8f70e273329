// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsReport.h"

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

QByteArray RcodeText(quint8 rcode)
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

// The report's lines as the walk over the message finds their fields.
class DnsReportWriter final : public IDnsMessageSink {
public:
    explicit DnsReportWriter(bool verbose) : m_verbose(verbose)
    {
        if (m_verbose)
            Heading("Header:");
    }

    QByteArray Finish()
    {
        m_report.append(kReportEnd);
        return m_report;
    }

    void Header(const DnsHeader& h) override
    {
        if (!m_verbose)
            return;
        Line("ID=" + Unsigned(h.id) + ", QR=" + (h.Response() ? "Response" : "Query")
             + ", Opcode=" + OpcodeText(h.Opcode()) + ", RCODE=" + RcodeText(h.Rcode()));
        Line("Authoritative Answer=" + YesNo(h.Authoritative()) + ", Truncation=" + YesNo(h.Truncated()));
        Line("Recursion Desired=" + YesNo(h.RecursionDesired())
             + ", Recursion Available=" + YesNo(h.RecursionAvailable()));
        Line("QDCOUNT=" + Unsigned(h.qdCount) + ", ANCOUNT=" + Unsigned(h.anCount) + ", NSCOUNT=" + Unsigned(h.nsCount)
             + ", ARCOUNT=" + Unsigned(h.arCount));
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

    void RdataLine(const DnsFieldLine& fields) override
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

    void RecordPresentation(const QByteArray&) override {}

    void Error(const QByteArray& text, bool) override { Line(text); }

private:
    void Line(const QByteArray& text) { m_report.append(kIndent).append(text).append(kLineEnd); }
    void Heading(const char* text) { m_report.append(text).append(kLineEnd); }

    bool m_verbose;
    QByteArray m_report;
};

} // namespace

QString WriteDnsReport(QByteArrayView message, const DnsReportOptions& options)
{
    DnsReportWriter writer(options.verbose);
    WalkDnsMessage(message, writer);
    return DecodeUtf8OrLatin1(writer.Finish());
}

} // namespace netsonde
