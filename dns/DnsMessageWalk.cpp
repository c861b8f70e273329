// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsMessageWalk.h"

#include "dns/DnsDomainName.h"
#include "dns/DnsEdns.h"
#include "dns/DnsFieldRdata.h"
#include "dns/DnsRdataPresentation.h"
#include "dns/DnsWireCursor.h"
#include "dns/SearchTypeTable.h"

namespace netsonde {

namespace {

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
        if (ReadFieldRdata(type, rdata, m_sink))
            return;
        if (presentation.error != DnsWireError::None)
            rdata.Fail(presentation.error);
        else
            m_sink.RdataLine(PresentationLine(type, presentation));
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
