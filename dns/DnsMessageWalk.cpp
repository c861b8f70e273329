// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsMessageWalk.h"

#include "dns/DnsDomainName.h"
#include "dns/DnsEdns.h"
#include "dns/DnsRdataPresentation.h"
#include "dns/DnsWireCursor.h"
#include "dns/Ipv6AddressText.h"
#include "dns/SearchTypeTable.h"

namespace netsonde {

namespace {

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
    kTypeAaaa = 28,
    kTypeSrv = 33,
};

QByteArray Unsigned(quint32 value)
{
    return QByteArray::number(value);
}

const char* SectionText(DnsSection section)
{
    switch (section) {
    case DnsSection::Answer:
        return "the answer section";
    case DnsSection::Authority:
        return "the authority section";
    case DnsSection::Additional:
        return "the additional section";
    }
    return "";
}

DnsField TextField(const QByteArray& label, const char* key, const QByteArray& text)
{
    return {label, key, text, std::nullopt};
}

DnsField UnsignedField(const QByteArray& label, const char* key, quint32 value)
{
    return {label, key, Unsigned(value), value};
}

DnsField Signed32Field(const QByteArray& label, const char* key, quint32 value)
{
    return {label, key, QByteArray::number(DnsSigned32(value)), DnsSigned32(value)};
}

// The data form's name of the one domain name in a record of this type.
const char* NameKey(quint16 type)
{
    switch (type) {
    case kTypeNs:
        return "name_server";
    case kTypeCname:
        return "canonical_name";
    case kTypeMb:
        return "mailbox";
    case kTypeMg:
        return "mail_group_member";
    case kTypeMr:
        return "new_mailbox";
    default:
        return "domain_name";
    }
}

class DnsMessageWalker {
public:
    DnsMessageWalker(QByteArrayView message, IDnsMessageSink& sink) : m_cursor(message), m_sink(sink) {}

    void Walk()
    {
        if (!ReadHeader())
            return;
        m_edns = FindEdns(m_cursor.Message());
        if (m_edns)
            m_header.extendedRcode = m_edns->extendedRcode;
        m_sink.Header(m_header, m_edns ? &*m_edns : nullptr);
        if (ReadQuestions())
            ReadRecords();
    }

private:
    // The one error that says why the walk ends early or a record's RDATA
    // stops; problemIfCut names running into the end of what was read.
    void Error(const DnsWireCursor& cursor, const char* problemIfCut, const QByteArray& place, bool endsMessage)
    {
        m_sink.Error(QByteArray("Error: ") + DnsWireProblem(cursor.Error(), problemIfCut) + " in " + place,
                     endsMessage);
    }

    void MessageError(const QByteArray& place) { Error(m_cursor, "message cut short", place, true); }

    bool ReadHeader()
    {
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
        return true;
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
        m_sink.Question(name, type, qclass);
        return true;
    }

    DnsRecordPlace PlaceOf(int index) const
    {
        const int answers = m_header.anCount;
        const int beforeAdditional = answers + m_header.nsCount;
        if (index < answers)
            return {DnsSection::Answer, index + 1};
        if (index < beforeAdditional)
            return {DnsSection::Authority, index - answers + 1};
        return {DnsSection::Additional, index - beforeAdditional + 1};
    }

    // The OPT record is shown with the header, not among the records.
    void ReadRecords()
    {
        DnsSection started = DnsSection::Answer;
        bool anyStarted = false;
        for (int index = 0; index < m_header.RecordCount(); ++index) {
            if (m_edns && index == m_edns->recordIndex) {
                SkipRecord();
                continue;
            }
            const DnsRecordPlace place = PlaceOf(index);
            if (!anyStarted || place.section != started)
                m_sink.SectionStart(place.section);
            started = place.section;
            anyStarted = true;
            if (!ReadRecord(place))
                return;
        }
    }

    // A record already read whole once (by FindEdns).
    void SkipRecord()
    {
        DecodeDomainName(m_cursor);
        m_cursor.ReadBytes(8);
        m_cursor.ReadBytes(m_cursor.ReadU16());
    }

    bool ReadRecord(const DnsRecordPlace& where)
    {
        const QByteArray place = QByteArray(SectionText(where.section)) + ", record " + Unsigned(where.number);
        const QByteArray name = DecodeDomainName(m_cursor);
        if (m_cursor.Failed()) {
            MessageError(place + " (NAME)");
            return false;
        }
        m_sink.RecordName(where, name);

        const quint16 type = m_cursor.ReadU16();
        const quint16 rclass = m_cursor.ReadU16();
        const quint32 ttl = m_cursor.ReadU32();
        const quint16 rdLength = m_cursor.ReadU16();
        if (m_cursor.Failed()) {
            MessageError(place + " (TYPE, CLASS, TTL, RDLENGTH)");
            return false;
        }
        m_sink.RecordFields(type, rclass, ttl, rdLength);

        // The only place where the cursor passes a record's RDATA.
        const qsizetype rdataStart = m_cursor.Position();
        m_cursor.ReadBytes(rdLength);
        if (m_cursor.Failed()) {
            MessageError(place + " (RDATA)");
            return false;
        }
        DnsWireCursor rdata(m_cursor.Message(), rdataStart, m_cursor.Position());
        ReadRdata(type, rdata);
        if (rdata.Failed()) {
            Error(rdata, "RDATA too short", place + " (RDATA)", false);
            m_sink.RdataLine(GenericRdataLine(m_cursor.Message().sliced(rdataStart, rdLength)));
        }
        return true;
    }

    // Hands on the RDATA lines of one record, each only once its fields
    // were read whole; stops at the first failed read, leaving the error on
    // rdata.
    void ReadRdata(quint16 type, DnsWireCursor& rdata)
    {
        const DnsRdataText presentation = PresentRdata(type, rdata);
        m_sink.RecordPresentation(presentation.text);
        switch (type) {
        case kTypeA:
            ReadAddress(rdata);
            break;
        case kTypeNs:
            ReadNameLine("Name Server", NameKey(type), rdata);
            break;
        case kTypeCname:
        case kTypeMb:
        case kTypeMg:
        case kTypeMr:
        case kTypePtr:
            ReadNameLine(DnsTypeWord(type), NameKey(type), rdata);
            break;
        case kTypeSoa:
            ReadSoa(rdata);
            break;
        case kTypeWks:
            ReadWks(rdata);
            break;
        case kTypeHinfo:
            ReadHinfo(rdata);
            break;
        case kTypeMinfo:
            ReadMinfo(rdata);
            break;
        case kTypeMx:
            ReadMx(rdata);
            break;
        case kTypeTxt:
            ReadTxt(rdata);
            break;
        case kTypeAaaa:
            ReadIpv6Address(rdata);
            break;
        case kTypeSrv:
            ReadSrv(rdata);
            break;
        default:
            if (presentation.error != DnsWireError::None)
                rdata.Fail(presentation.error);
            else
                m_sink.RdataLine(PresentationLine(type, presentation));
            break;
        }
    }

    void LineIfWhole(const DnsWireCursor& rdata, const DnsFieldLine& fields)
    {
        if (!rdata.Failed())
            m_sink.RdataLine(fields);
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

    void ReadAddress(DnsWireCursor& rdata)
    {
        m_sink.RdataLine({TextField("IP Address", "address", DottedBytes(rdata.ReadBytes(rdata.Remaining())))});
    }

    void ReadNameLine(const QByteArray& label, const char* key, DnsWireCursor& rdata)
    {
        const QByteArray name = DecodeDomainName(rdata);
        LineIfWhole(rdata, {TextField(label, key, name)});
    }

    void ReadSoa(DnsWireCursor& rdata)
    {
        const QByteArray mname = DecodeDomainName(rdata);
        const QByteArray rname = DecodeDomainName(rdata);
        LineIfWhole(rdata, {TextField("Name Server", "mname", mname), TextField("Mailbox", "rname", rname)});
        const quint32 serial = rdata.ReadU32();
        const quint32 refresh = rdata.ReadU32();
        const quint32 retry = rdata.ReadU32();
        LineIfWhole(rdata, {Signed32Field("Serial", "serial", serial), Signed32Field("Refresh", "refresh", refresh),
                            Signed32Field("Retry", "retry", retry)});
        const quint32 expire = rdata.ReadU32();
        const quint32 minimum = rdata.ReadU32();
        LineIfWhole(rdata, {Signed32Field("Expire", "expire", expire), Signed32Field("Minimum", "minimum", minimum)});
    }

    void ReadWks(DnsWireCursor& rdata)
    {
        const QByteArray address = DottedBytes(rdata.ReadBytes(4));
        const quint8 protocol = rdata.ReadU8();
        LineIfWhole(rdata,
                    {TextField("IP Address", "address", address), UnsignedField("Protocol", "protocol", protocol)});
    }

    void ReadHinfo(DnsWireCursor& rdata)
    {
        const QByteArray cpu = CharacterString(rdata);
        const QByteArray os = CharacterString(rdata);
        LineIfWhole(rdata, {TextField("CPU", "cpu", cpu), TextField("OS", "os", os)});
    }

    void ReadMinfo(DnsWireCursor& rdata)
    {
        const QByteArray responsible = DecodeDomainName(rdata);
        const QByteArray errors = DecodeDomainName(rdata);
        LineIfWhole(rdata, {TextField("RMAILBX", "responsible_mailbox", responsible),
                            TextField("EMAILBX", "error_mailbox", errors)});
    }

    void ReadMx(DnsWireCursor& rdata)
    {
        const quint16 preference = rdata.ReadU16();
        const QByteArray exchange = DecodeDomainName(rdata);
        LineIfWhole(rdata, {UnsignedField("Preference", "preference", preference),
                            TextField("Mail Exchange", "exchange", exchange)});
    }

    void ReadIpv6Address(DnsWireCursor& rdata)
    {
        const QByteArray address = Ipv6AddressText(rdata.ReadBytes(kIpv6AddressSize));
        LineIfWhole(rdata, {TextField("IPv6 Address", "address", address)});
    }

    void ReadSrv(DnsWireCursor& rdata)
    {
        const quint16 priority = rdata.ReadU16();
        const quint16 weight = rdata.ReadU16();
        const quint16 port = rdata.ReadU16();
        const QByteArray target = DecodeDomainName(rdata);
        LineIfWhole(rdata, {UnsignedField("Priority", "priority", priority), UnsignedField("Weight", "weight", weight),
                            UnsignedField("Port", "port", port), TextField("Target", "target", target)});
    }

    void ReadTxt(DnsWireCursor& rdata)
    {
        while (rdata.Remaining() > 0 && !rdata.Failed()) {
            DnsField text = TextField("TXT", "strings", CharacterString(rdata));
            text.listed = true;
            LineIfWhole(rdata, {text});
        }
    }

    DnsWireCursor m_cursor;
    IDnsMessageSink& m_sink;
    DnsHeader m_header;
    std::optional<DnsEdns> m_edns;
};

} // namespace

QByteArray DnsTypeWord(quint16 type)
{
    if (type == 0)
        return QByteArrayLiteral("UNDEFINED");
    for (const SearchType& entry : SearchTypeTable) {
        if (entry.qtype == type) {
            const QByteArray text(entry.text);
            return text.left(text.indexOf(' '));
        }
    }
    if (const char* word = DecoderOnlyTypeWord(type))
        return word;
    return "TYPE" + Unsigned(type);
}

void WalkDnsMessage(QByteArrayView message, IDnsMessageSink& sink)
{
    DnsMessageWalker(message, sink).Walk();
}

} // namespace netsonde
