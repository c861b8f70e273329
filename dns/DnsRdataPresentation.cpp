// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsRdataPresentation.h"

#include "dns/DnsLocationText.h"
#include "dns/DnsPresentationText.h"
#include "dns/DnsSecurityRdataText.h"
#include "dns/DnsServiceBindingText.h"
#include "dns/Ipv6AddressText.h"

#include <array>

namespace netsonde {

namespace {

enum RecordType : quint16 {
    kA = 1,
    kNs = 2,
    kCname = 5,
    kSoa = 6,
    kMb = 7,
    kMg = 8,
    kMr = 9,
    kWks = 11,
    kPtr = 12,
    kHinfo = 13,
    kMinfo = 14,
    kMx = 15,
    kTxt = 16,
    kAaaa = 28,
    kLoc = 29,
    kSrv = 33,
    kNaptr = 35,
    kDname = 39,
    kDs = 43,
    kSshfp = 44,
    kRrsig = 46,
    kNsec = 47,
    kDnskey = 48,
    kNsec3 = 50,
    kNsec3Param = 51,
    kTlsa = 52,
    kSmimea = 53,
    kCds = 59,
    kCdnskey = 60,
    kOpenPgpKey = 61,
    kZonemd = 63,
    kSvcb = 64,
    kHttps = 65,
    kSpf = 99,
    kUri = 256,
    kCaa = 257,
};

struct TypeWord {
    quint16 type;
    const char* word;
};

constexpr std::array<TypeWord, 9> kDecoderOnlyWords{{{kLoc, "LOC"},
                                                     {kDname, "DNAME"},
                                                     {kNsec3, "NSEC3"},
                                                     {kSmimea, "SMIMEA"},
                                                     {kCds, "CDS"},
                                                     {kCdnskey, "CDNSKEY"},
                                                     {kOpenPgpKey, "OPENPGPKEY"},
                                                     {kZonemd, "ZONEMD"},
                                                     {kSpf, "SPF"}}};

QByteArray Number(quint64 value)
{
    return QByteArray::number(value);
}

QByteArrayView Rest(DnsWireCursor& rdata)
{
    return rdata.ReadBytes(rdata.Remaining());
}

QByteArray Address(DnsWireCursor& rdata)
{
    return DottedText(rdata.ReadBytes(4));
}

QByteArray Soa(DnsWireCursor& rdata)
{
    QByteArray text = PresentedName(rdata);
    text.append(' ').append(PresentedName(rdata));
    for (int i = 0; i < 5; ++i)
        text.append(' ').append(Number(rdata.ReadU32()));
    return text;
}

QByteArray Wks(DnsWireCursor& rdata)
{
    QByteArray text = Address(rdata);
    text.append(' ').append(Number(rdata.ReadU8()));
    const QByteArrayView bitmap = Rest(rdata);
    for (qsizetype port = 0; port < bitmap.size() * 8; ++port) {
        if (static_cast<quint8>(bitmap[port / 8]) & (0x80 >> (port % 8)))
            text.append(' ').append(Number(port));
    }
    return text;
}

QByteArray PreferenceAndName(DnsWireCursor& rdata)
{
    const QByteArray preference = Number(rdata.ReadU16());
    return preference + ' ' + PresentedName(rdata);
}

QByteArray Srv(DnsWireCursor& rdata)
{
    QByteArray text = Number(rdata.ReadU16());
    text.append(' ').append(Number(rdata.ReadU16())).append(' ').append(Number(rdata.ReadU16()));
    return text.append(' ').append(PresentedName(rdata));
}

QByteArray TwoNames(DnsWireCursor& rdata)
{
    const QByteArray first = PresentedName(rdata);
    return first + ' ' + PresentedName(rdata);
}

QByteArray Hinfo(DnsWireCursor& rdata)
{
    const QByteArray cpu = QuotedCharacterString(rdata);
    return cpu + ' ' + QuotedCharacterString(rdata);
}

QByteArray Ipv6(DnsWireCursor& rdata)
{
    return Ipv6AddressText(rdata.ReadBytes(kIpv6AddressSize));
}

QByteArray Naptr(DnsWireCursor& rdata)
{
    QByteArray text = Number(rdata.ReadU16());
    text.append(' ').append(Number(rdata.ReadU16()));
    for (int i = 0; i < 3; ++i)
        text.append(' ').append(QuotedCharacterString(rdata));
    return text.append(' ').append(PresentedName(rdata));
}

// Numbers of one byte each, then the rest in hex (SSHFP, TLSA, SMIMEA).
QByteArray BytesThenHex(DnsWireCursor& rdata, int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text.append(i > 0 ? " " : "").append(Number(rdata.ReadU8()));
    return text + HexOfRest(rdata);
}

QByteArray Svcb(DnsWireCursor& rdata)
{
    const QByteArray priority = Number(rdata.ReadU16());
    const QByteArray target = PresentedName(rdata);
    return priority + ' ' + target + ServiceParametersText(rdata);
}

QByteArray Uri(DnsWireCursor& rdata)
{
    QByteArray text = Number(rdata.ReadU16());
    text.append(' ').append(Number(rdata.ReadU16()));
    const QByteArrayView target = Rest(rdata);
    if (target.isEmpty())
        rdata.Fail(DnsWireError::CutShort);
    return text + ' ' + QuotedText(target);
}

QByteArray Caa(DnsWireCursor& rdata)
{
    const QByteArray flags = Number(rdata.ReadU8());
    const QByteArrayView tag = rdata.ReadBytes(rdata.ReadU8());
    bool alphanumeric = !tag.isEmpty();
    for (const char c : tag)
        alphanumeric = alphanumeric && std::isalnum(static_cast<unsigned char>(c));
    RequireValid(rdata, alphanumeric);
    return flags + ' ' + tag.toByteArray() + ' ' + QuotedText(Rest(rdata));
}

QByteArray OpenPgpKey(DnsWireCursor& rdata)
{
    const QByteArrayView key = Rest(rdata);
    if (key.isEmpty())
        rdata.Fail(DnsWireError::CutShort);
    return Base64Text(key);
}

std::optional<QByteArray> TypeText(quint16 type, DnsWireCursor& rdata)
{
    switch (type) {
    case kA:
        return Address(rdata);
    case kNs:
    case kCname:
    case kMb:
    case kMg:
    case kMr:
    case kPtr:
    case kDname:
        return PresentedName(rdata);
    case kSoa:
        return Soa(rdata);
    case kWks:
        return Wks(rdata);
    case kHinfo:
        return Hinfo(rdata);
    case kMinfo:
        return TwoNames(rdata);
    case kMx:
        return PreferenceAndName(rdata);
    case kTxt:
    case kSpf:
        return QuotedCharacterStrings(rdata);
    case kAaaa:
        return Ipv6(rdata);
    case kLoc:
        return LocationText(rdata);
    case kSrv:
        return Srv(rdata);
    case kNaptr:
        return Naptr(rdata);
    case kDs:
    case kCds:
        return DsText(rdata);
    case kSshfp:
        return BytesThenHex(rdata, 2);
    case kTlsa:
    case kSmimea:
        return BytesThenHex(rdata, 3);
    case kRrsig:
        return RrsigText(rdata);
    case kNsec:
        return NsecText(rdata);
    case kDnskey:
    case kCdnskey:
        return DnskeyText(rdata);
    case kNsec3:
        return Nsec3Text(rdata);
    case kNsec3Param:
        return Nsec3ParamText(rdata);
    case kOpenPgpKey:
        return OpenPgpKey(rdata);
    case kZonemd:
        return ZonemdText(rdata);
    case kSvcb:
    case kHttps:
        return Svcb(rdata);
    case kUri:
        return Uri(rdata);
    case kCaa:
        return Caa(rdata);
    default:
        return std::nullopt;
    }
}

} // namespace

DnsRdataText PresentRdata(quint16 type, DnsWireCursor rdata)
{
    const QByteArrayView bytes = rdata.Message().sliced(rdata.Position(), rdata.Remaining());
    const std::optional<QByteArray> text = TypeText(type, rdata);
    if (text && rdata.Remaining() > 0)
        rdata.Fail(DnsWireError::TooLong);
    if (!text || rdata.Failed())
        return {GenericRdataText(bytes), text.has_value(), rdata.Error(), std::nullopt};
    DnsRdataText presentation{*text, true, DnsWireError::None, std::nullopt};
    if (type == kDnskey || type == kCdnskey)
        presentation.keyTag = DnskeyTag(bytes);
    return presentation;
}

DnsFieldLine PresentationLine(quint16 type, const DnsRdataText& presentation)
{
    if (!presentation.known)
        return {{"RDATA", "presentation", presentation.text, std::nullopt}};
    DnsFieldLine line{{DnsTypeWord(type), "presentation", presentation.text, std::nullopt}};
    if (presentation.keyTag)
        line.append({"key id", "key_tag", QByteArray::number(*presentation.keyTag), *presentation.keyTag, false, true});
    return line;
}

DnsFieldLine GenericRdataLine(QByteArrayView rdata)
{
    return PresentationLine(0, {GenericRdataText(rdata), false, DnsWireError::None, std::nullopt});
}

const char* DecoderOnlyTypeWord(quint16 type)
{
    for (const TypeWord& entry : kDecoderOnlyWords) {
        if (entry.type == type)
            return entry.word;
    }
    return nullptr;
}

} // namespace netsonde
