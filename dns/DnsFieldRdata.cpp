// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsFieldRdata.h"

#include "dns/DnsDomainName.h"
#include "dns/Ipv6AddressText.h"

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

// The lines of one record's fields, each handed on only once its fields
// were read whole; a failed read leaves its error on the cursor.
class FieldRdataReader {
public:
    explicit FieldRdataReader(IDnsMessageSink& sink) : m_sink(sink) {}

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

private:
    IDnsMessageSink& m_sink;
};

} // namespace

bool ReadFieldRdata(quint16 type, DnsWireCursor& rdata, IDnsMessageSink& sink)
{
    FieldRdataReader reader(sink);
    switch (type) {
    case kTypeA:
        reader.ReadAddress(rdata);
        break;
    case kTypeNs:
        reader.ReadNameLine("Name Server", NameKey(type), rdata);
        break;
    case kTypeCname:
    case kTypeMb:
    case kTypeMg:
    case kTypeMr:
    case kTypePtr:
        reader.ReadNameLine(DnsTypeWord(type), NameKey(type), rdata);
        break;
    case kTypeSoa:
        reader.ReadSoa(rdata);
        break;
    case kTypeWks:
        reader.ReadWks(rdata);
        break;
    case kTypeHinfo:
        reader.ReadHinfo(rdata);
        break;
    case kTypeMinfo:
        reader.ReadMinfo(rdata);
        break;
    case kTypeMx:
        reader.ReadMx(rdata);
        break;
    case kTypeTxt:
        reader.ReadTxt(rdata);
        break;
    case kTypeAaaa:
        reader.ReadIpv6Address(rdata);
        break;
    case kTypeSrv:
        reader.ReadSrv(rdata);
        break;
    default:
        return false;
    }
    return true;
}

} // namespace netsonde
