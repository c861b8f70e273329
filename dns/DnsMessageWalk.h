// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One pass over a received DNS message, field by field, with every read
// bounded by the datagram. What the pass finds goes to a sink: the text
// report and the data form are two sinks of the same pass, so both show the
// same fields and stop at the same place.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

namespace netsonde {

struct DnsEdns;

// The header's size on the wire: ID, two flag bytes, four counts.
inline constexpr qsizetype kDnsHeaderSize = 12;

struct DnsHeader {
    quint16 id = 0;
    quint8 flags = 0;  // QR, Opcode, AA, TC, RD
    quint8 flags2 = 0; // RA, Z, AD, CD, RCODE
    quint16 qdCount = 0;
    quint16 anCount = 0;
    quint16 nsCount = 0;
    quint16 arCount = 0;
    quint8 extendedRcode = 0; // from the OPT record, if any

    bool Response() const { return flags & 0x80; }
    quint8 Opcode() const { return (flags >> 3) & 0x0F; }
    bool Authoritative() const { return flags & 0x04; }
    bool Truncated() const { return flags & 0x02; }
    bool RecursionDesired() const { return flags & 0x01; }
    bool RecursionAvailable() const { return flags2 & 0x80; }
    quint8 Z() const { return (flags2 >> 4) & 0x07; }
    bool AuthenticData() const { return flags2 & 0x20; }
    bool CheckingDisabled() const { return flags2 & 0x10; }
    // The 12-bit RCODE: the OPT record's upper bits over the header's four.
    quint16 Rcode() const { return static_cast<quint16>(extendedRcode << 4 | (flags2 & 0x0F)); }
    int RecordCount() const { return anCount + nsCount + arCount; }
};

enum class DnsSection { Answer, Authority, Additional };

// Where a record stands: its section and its number there, counted from 1.
struct DnsRecordPlace {
    DnsSection section;
    int number;
};

// One field of a record's RDATA: the word the text report puts before "=",
// the name the data form gives it, and its value as the text report shows
// it; numeric fields carry their number too. A listed field is one of
// several values of the same name (the strings of a TXT record). A comment
// field shows only in the verbose text report, after the line's data, as
// " ; label = text" (a DNSKEY's key tag).
struct DnsField {
    QByteArray label;
    const char* key;
    QByteArray text;
    std::optional<qint64> number;
    bool listed = false;
    bool comment = false;
};

// The text report puts the fields of one call on one line.
using DnsFieldLine = QList<DnsField>;

class IDnsMessageSink {
public:
    virtual ~IDnsMessageSink() = default;
    // The header, with the OPT record when the message has one.
    virtual void Header(const DnsHeader& header, const DnsEdns* edns) = 0;
    virtual void Question(const QByteArray& name, quint16 type, quint16 qclass) = 0;
    // Before the first record of a non-empty section, whether or not the
    // record's name can be read.
    virtual void SectionStart(DnsSection section) = 0;
    virtual void RecordName(const DnsRecordPlace& place, const QByteArray& name) = 0;
    virtual void RecordFields(quint16 type, quint16 rclass, quint32 ttl, quint16 rdLength) = 0;
    virtual void RdataLine(const DnsFieldLine& fields) = 0;
    // The record's RDATA as dig prints it, or in the RFC 3597 form ("\# LEN
    // HEX") for a type the decoder does not know or RDATA that breaks its
    // type's form; once per record, before its RDATA lines.
    virtual void RecordPresentation(const QByteArray& text) = 0;
    // "Error: <problem> in <place>"; endsMessage when nothing more is read,
    // otherwise only the current record's RDATA stops there, and the RDATA
    // follows in the RFC 3597 form as a line of its own.
    virtual void Error(const QByteArray& text, bool endsMessage) = 0;
};

void WalkDnsMessage(QByteArrayView message, IDnsMessageSink& sink);

// The leading word of the search type whose record type this is, the word
// of a type the decoder knows beyond them, or TYPEn (RFC 3597). Type 0 is
// the resolver entry's "no record type": "UNDEFINED".
QByteArray DnsTypeWord(quint16 type);

// 32-bit fields (TTL, SOA counters) are shown as signed decimals.
inline qint32 DnsSigned32(quint32 value)
{
    return static_cast<qint32>(value);
}

} // namespace netsonde
