#include "dns/DnsReport.h"

#include "dns/DnsDomainName.h"
#include "dns/DnsWireCursor.h"
#include "dns/SearchTypeTable.h"
#include "platform/text/Utf8OrLatin1.h"

#include <QByteArray>

namespace netsonde {

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kIndent[] = "   ";
constexpr char kReportEnd[] = "---\r\n";

enum RecordType : quint16 {
    kTypeA = 1,
    kTypeNs = 2,
    kTypeCname = 5,
    kTypeSoa = 6,
    kTypeMb = 7,
    kTypeMg = 8,
    kTypeMr = 9,
    kTypeWks = 11,
    kTypePtr = 12,
    kTypeHinfo = 13,
    kTypeMinfo = 14,
    kTypeMx = 15,
    kTypeTxt = 16,
};

// The leading word of the search type whose record type this is, or
// "UNDEFINED". Type 0 is the resolver entry's "no record type", not a word.
QByteArray TypeWord(quint16 type)
{
    if (type != 0) {
        for (const SearchType& entry : SearchTypeTable) {
            if (entry.qtype == type) {
                const QByteArray text(entry.text);
                return text.left(text.indexOf(' '));
            }
        }
    }
    return QByteArrayLiteral("UNDEFINED");
}

QByteArray OpcodeText(quint8 opcode)
{
    switch (opcode) {
    case 0: return QByteArrayLiteral("QUERY");
    case 1: return QByteArrayLiteral("IQUERY");
    case 2: return QByteArrayLiteral("STATUS");
    default: return QByteArrayLiteral("UNDEFINED");
    }
}

QByteArray RcodeText(quint8 rcode)
{
    switch (rcode) {
    case 0: return QByteArrayLiteral("NO ERROR");
    case 1: return QByteArrayLiteral("FORMAT ERROR");
    case 2: return QByteArrayLiteral("SERVER FAILURE");
    case 3: return QByteArrayLiteral("NAME ERROR");
    case 4: return QByteArrayLiteral("NOT IMPLEMENTED");
    case 5: return QByteArrayLiteral("REFUSED");
    default: return QByteArrayLiteral("UNDEFINED ERROR");
    }
}

QByteArray YesNo(bool set) { return set ? QByteArrayLiteral("Yes") : QByteArrayLiteral("No"); }

QByteArray Unsigned(quint32 value) { return QByteArray::number(value); }

// 32-bit fields (TTL, SOA counters) are shown as signed decimals.
QByteArray Signed32(quint32 value) { return QByteArray::number(static_cast<qint32>(value)); }

struct Header {
    quint16 id = 0;
    quint8 flags = 0;  // QR, Opcode, AA, TC, RD
    quint8 flags2 = 0; // RA, Z, RCODE
    quint16 qdCount = 0;
    quint16 anCount = 0;
    quint16 nsCount = 0;
    quint16 arCount = 0;

    bool Response() const { return flags & 0x80; }
    quint8 Opcode() const { return (flags >> 3) & 0x0F; }
    bool Authoritative() const { return flags & 0x04; }
    bool Truncated() const { return flags & 0x02; }
    bool RecursionDesired() const { return flags & 0x01; }
    bool RecursionAvailable() const { return flags2 & 0x80; }
    quint8 Rcode() const { return flags2 & 0x0F; }
    int RecordCount() const { return anCount + nsCount + arCount; }
};

// Where a record stands: its section and its number there, counted from 1.
struct RecordPlace {
    const char* section;
    const char* heading;
    int number;
};

class DnsReportWriter {
public:
    DnsReportWriter(QByteArrayView message, bool verbose)
        : m_cursor(message)
        , m_verbose(verbose)
    {
    }

    QByteArray Write()
    {
        if (ReadHeader() && ReadQuestions())
            WriteRecords();
        m_report.append(kReportEnd);
        return m_report;
    }

private:
    void Line(const QByteArray& text) { m_report.append(kIndent).append(text).append(kLineEnd); }
    void Heading(const char* text) { m_report.append(text).append(kLineEnd); }

    // The one line that says why the report ends early or a record's RDATA
    // is not shown; problemIfCut names running into the end of what was read.
    void ErrorLine(const DnsWireCursor& cursor, const char* problemIfCut, const QByteArray& place)
    {
        const char* problem = cursor.Error() == DnsWireError::BadPointer
            ? "bad compression pointer" : problemIfCut;
        Line(QByteArray("Error: ") + problem + " in " + place);
    }

    void MessageError(const QByteArray& place) { ErrorLine(m_cursor, "message cut short", place); }

    bool ReadHeader()
    {
        if (m_verbose)
            Heading("Header:");
        m_header.id = m_cursor.ReadU16();
        m_header.flags = m_cursor.ReadU8();
        m_header.flags2 = m_cursor.ReadU8();
        m_header.qdCount = m_cursor.ReadU16();
        m_header.anCount = m_cursor.ReadU16();
        m_header.nsCount = m_cursor.ReadU16();
        m_header.arCount = m_cursor.ReadU16();
        if (m_cursor.Failed()) {
            MessageError("the header");
            return false;
        }
        if (m_verbose)
            WriteHeader();
        return true;
    }

    void WriteHeader()
    {
        const Header& h = m_header;
        Line("ID=" + Unsigned(h.id) + ", QR=" + (h.Response() ? "Response" : "Query")
             + ", Opcode=" + OpcodeText(h.Opcode()) + ", RCODE=" + RcodeText(h.Rcode()));
        Line("Authoritative Answer=" + YesNo(h.Authoritative())
             + ", Truncation=" + YesNo(h.Truncated()));
        Line("Recursion Desired=" + YesNo(h.RecursionDesired())
             + ", Recursion Available=" + YesNo(h.RecursionAvailable()));
        Line("QDCOUNT=" + Unsigned(h.qdCount) + ", ANCOUNT=" + Unsigned(h.anCount)
             + ", NSCOUNT=" + Unsigned(h.nsCount) + ", ARCOUNT=" + Unsigned(h.arCount));
        Heading("Question:");
    }

    bool ReadQuestions()
    {
        for (int number = 1; number <= m_header.qdCount; ++number) {
            if (!ReadQuestion(number))
                return false;
        }
        return true;
    }

    bool ReadQuestion(int number)
    {
        const QByteArray place = "the question section, entry " + Unsigned(number);
        const QByteArray name = DecodeDomainName(m_cursor);
        if (m_cursor.Failed()) {
            MessageError(place + " (QNAME)");
            return false;
        }
        const quint16 type = m_cursor.ReadU16();
        const quint16 qclass = m_cursor.ReadU16();
        if (m_cursor.Failed()) {
            MessageError(place + " (QTYPE, QCLASS)");
            return false;
        }
        if (m_verbose)
            Line("Name=" + name + ", QTYPE=" + TypeWord(type) + ", QCLASS=" + Unsigned(qclass));
        return true;
    }

    RecordPlace PlaceOf(int index) const
    {
        const int answers = m_header.anCount;
        const int beforeAdditional = answers + m_header.nsCount;
        if (index < answers)
            return {"the answer section", "Answer Section:", index + 1};
        if (index < beforeAdditional)
            return {"the authority section", "Authority Records Section:", index - answers + 1};
        return {"the additional section", "Additional Records Section:",
                index - beforeAdditional + 1};
    }

    void WriteRecords()
    {
        for (int index = 0; index < m_header.RecordCount(); ++index) {
            const RecordPlace place = PlaceOf(index);
            if (place.number == 1)
                Heading(place.heading);
            if (!WriteRecord(QByteArray(place.section) + ", record " + Unsigned(place.number)))
                return;
        }
    }

    bool WriteRecord(const QByteArray& place)
    {
        const QByteArray name = DecodeDomainName(m_cursor);
        if (m_cursor.Failed()) {
            MessageError(place + " (NAME)");
            return false;
        }
        Line("Name=" + name);

        const quint16 type = m_cursor.ReadU16();
        const quint16 rclass = m_cursor.ReadU16();
        const quint32 ttl = m_cursor.ReadU32();
        const quint16 rdLength = m_cursor.ReadU16();
        if (m_cursor.Failed()) {
            MessageError(place + " (TYPE, CLASS, TTL, RDLENGTH)");
            return false;
        }
        Line("Type=" + TypeWord(type) + ", Class=" + Unsigned(rclass) + ", TTL=" + Signed32(ttl)
             + ", RDLENGTH=" + Unsigned(rdLength));

        // The only place where the cursor passes a record's RDATA.
        const qsizetype rdataStart = m_cursor.Position();
        m_cursor.ReadBytes(rdLength);
        if (m_cursor.Failed()) {
            MessageError(place + " (RDATA)");
            return false;
        }
        DnsWireCursor rdata(m_cursor.Message(), rdataStart, m_cursor.Position());
        WriteRdata(type, rdata);
        if (rdata.Failed())
            ErrorLine(rdata, "RDATA too short", place + " (RDATA)");
        return true;
    }

    // Appends the RDATA lines of one record, each only once its fields were
    // read whole; stops at the first failed read, leaving the error on rdata.
    void WriteRdata(quint16 type, DnsWireCursor& rdata)
    {
        switch (type) {
        case kTypeA: WriteAddress(rdata); break;
        case kTypeNs: WriteNameLine("Name Server=", rdata); break;
        case kTypeCname:
        case kTypeMb:
        case kTypeMg:
        case kTypeMr:
        case kTypePtr: WriteNameLine(TypeWord(type) + "=", rdata); break;
        case kTypeSoa: WriteSoa(rdata); break;
        case kTypeWks: WriteWks(rdata); break;
        case kTypeHinfo: WriteHinfo(rdata); break;
        case kTypeMinfo: WriteMinfo(rdata); break;
        case kTypeMx: WriteMx(rdata); break;
        case kTypeTxt: WriteTxt(rdata); break;
        default: Line("RDATA=Not yet implemented"); break;
        }
    }

    void LineIfWhole(const DnsWireCursor& rdata, const QByteArray& text)
    {
        if (!rdata.Failed())
            Line(text);
    }

    static QByteArray DottedBytes(QByteArrayView bytes)
    {
        QByteArray text;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (i > 0)
                text.append('.');
            text.append(Unsigned(static_cast<quint8>(bytes[i])));
        }
        return text;
    }

    static QByteArray CharacterString(DnsWireCursor& rdata)
    {
        const quint8 length = rdata.ReadU8();
        return rdata.ReadBytes(length).toByteArray();
    }

    void WriteAddress(DnsWireCursor& rdata)
    {
        Line("IP Address=" + DottedBytes(rdata.ReadBytes(rdata.Remaining())));
    }

    void WriteNameLine(const QByteArray& label, DnsWireCursor& rdata)
    {
        const QByteArray name = DecodeDomainName(rdata);
        LineIfWhole(rdata, label + name);
    }

    void WriteSoa(DnsWireCursor& rdata)
    {
        const QByteArray mname = DecodeDomainName(rdata);
        const QByteArray rname = DecodeDomainName(rdata);
        LineIfWhole(rdata, "Name Server=" + mname + ", Mailbox=" + rname);
        const quint32 serial = rdata.ReadU32();
        const quint32 refresh = rdata.ReadU32();
        const quint32 retry = rdata.ReadU32();
        LineIfWhole(rdata, "Serial=" + Signed32(serial) + ", Refresh=" + Signed32(refresh)
                    + ", Retry=" + Signed32(retry));
        const quint32 expire = rdata.ReadU32();
        const quint32 minimum = rdata.ReadU32();
        LineIfWhole(rdata, "Expire=" + Signed32(expire) + ", Minimum=" + Signed32(minimum));
    }

    void WriteWks(DnsWireCursor& rdata)
    {
        const QByteArray address = DottedBytes(rdata.ReadBytes(4));
        const quint8 protocol = rdata.ReadU8();
        LineIfWhole(rdata, "IP Address=" + address + ", Protocol=" + Unsigned(protocol));
    }

    void WriteHinfo(DnsWireCursor& rdata)
    {
        const QByteArray cpu = CharacterString(rdata);
        const QByteArray os = CharacterString(rdata);
        LineIfWhole(rdata, "CPU=" + cpu + ", OS=" + os);
    }

    void WriteMinfo(DnsWireCursor& rdata)
    {
        const QByteArray responsible = DecodeDomainName(rdata);
        const QByteArray errors = DecodeDomainName(rdata);
        LineIfWhole(rdata, "RMAILBX=" + responsible + ", EMAILBX=" + errors);
    }

    void WriteMx(DnsWireCursor& rdata)
    {
        const quint16 preference = rdata.ReadU16();
        const QByteArray exchange = DecodeDomainName(rdata);
        LineIfWhole(rdata, "Preference=" + Unsigned(preference) + ", Mail Exchange=" + exchange);
    }

    void WriteTxt(DnsWireCursor& rdata)
    {
        while (rdata.Remaining() > 0 && !rdata.Failed()) {
            const QByteArray text = CharacterString(rdata);
            LineIfWhole(rdata, "TXT=" + text);
        }
    }

    DnsWireCursor m_cursor;
    bool m_verbose;
    Header m_header;
    QByteArray m_report;
};

} // namespace

QString WriteDnsReport(QByteArrayView message, const DnsReportOptions& options)
{
    return DecodeUtf8OrLatin1(DnsReportWriter(message, options.verbose).Write());
}

} // namespace netsonde
