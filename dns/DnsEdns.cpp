// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsEdns.h"

#include "dns/DnsDomainName.h"
#include "dns/DnsWireCursor.h"

#include <array>

namespace netsonde {

namespace {

constexpr quint16 kFlagDnssecOk = 0x8000;
constexpr quint16 kOptionNsid = 3;
constexpr quint16 kOptionCookie = 10;
constexpr quint16 kOptionExtendedError = 15;
constexpr qsizetype kClientCookieSize = 8;

// The INFO-CODE names of Extended DNS Errors, by code (RFC 8914 and the
// IANA registry).
constexpr std::array<const char*, 31> kExtendedErrorNames{
    "Other Error",
    "Unsupported DNSKEY Algorithm",
    "Unsupported DS Digest Type",
    "Stale Answer",
    "Forged Answer",
    "DNSSEC Indeterminate",
    "DNSSEC Bogus",
    "Signature Expired",
    "Signature Not Yet Valid",
    "DNSKEY Missing",
    "RRSIGs Missing",
    "No Zone Key Bit Set",
    "NSEC Missing",
    "Cached Error",
    "Not Ready",
    "Blocked",
    "Censored",
    "Filtered",
    "Prohibited",
    "Stale NXDOMAIN Answer",
    "Not Authoritative",
    "Not Supported",
    "No Reachable Authority",
    "Network Error",
    "Invalid Data",
    "Signature Expired before Valid",
    "Too Early",
    "Unsupported NSEC3 Iterations Value",
    "Unable to conform to policy",
    "Synthesized",
    "Invalid Query Type",
};

QByteArray ExtendedErrorName(quint16 code)
{
    return code < kExtendedErrorNames.size() ? QByteArray(kExtendedErrorNames[code]) : QByteArray("Unknown");
}

// Printable ASCII as it is, any other byte as ".".
QByteArray PrintableText(const QByteArray& bytes)
{
    QByteArray text = bytes;
    for (char& c : text) {
        if (c < 0x20 || c > 0x7E)
            c = '.';
    }
    return text;
}

DnsField Text(const char* label, const char* key, const QByteArray& text)
{
    return {label, key, text, std::nullopt};
}

DnsField Number(const char* label, const char* key, quint32 value)
{
    return {label, key, QByteArray::number(value), value};
}

DnsEdns ParseOpt(int index, quint16 rclass, quint32 ttl, DnsWireCursor& rdata)
{
    DnsEdns edns;
    edns.recordIndex = index;
    edns.udpSize = rclass;
    edns.extendedRcode = static_cast<quint8>(ttl >> 24);
    edns.version = static_cast<quint8>(ttl >> 16);
    edns.flags = static_cast<quint16>(ttl);
    while (rdata.Remaining() > 0) {
        const quint16 code = rdata.ReadU16();
        const quint16 length = rdata.ReadU16();
        const QByteArrayView data = rdata.ReadBytes(length);
        if (rdata.Failed()) {
            edns.optionsCut = true;
            break;
        }
        edns.options.append({code, data.toByteArray()});
    }
    return edns;
}

QByteArray FlagsText(quint16 flags)
{
    QByteArrayList words;
    if (flags & kFlagDnssecOk)
        words << "do";
    if (const quint16 others = flags & ~kFlagDnssecOk)
        words << "mbz=0x" + QByteArray::number(others, 16).rightJustified(4, '0');
    return words.join(' ');
}

DnsFieldLine ExtendedErrorFields(const QByteArray& data)
{
    const quint16 code = static_cast<quint16>(static_cast<quint8>(data[0]) << 8 | static_cast<quint8>(data[1]));
    DnsFieldLine fields{Number("EDE", "info_code", code), Text("Name", "purpose", ExtendedErrorName(code))};
    if (data.size() > 2)
        fields << Text("Text", "extra_text", data.mid(2));
    return fields;
}

} // namespace

std::optional<DnsEdns> FindEdns(QByteArrayView message)
{
    DnsWireCursor cursor(message);
    cursor.ReadBytes(4);
    const int questions = cursor.ReadU16();
    const int answers = cursor.ReadU16();
    const int beforeAdditional = answers + cursor.ReadU16();
    const int records = beforeAdditional + cursor.ReadU16();
    for (int question = 0; question < questions && !cursor.Failed(); ++question) {
        DecodeDomainName(cursor);
        cursor.ReadBytes(4);
    }
    for (int index = 0; index < records && !cursor.Failed(); ++index) {
        const QByteArray name = DecodeDomainName(cursor);
        const quint16 type = cursor.ReadU16();
        const quint16 rclass = cursor.ReadU16();
        const quint32 ttl = cursor.ReadU32();
        const quint16 rdLength = cursor.ReadU16();
        const qsizetype rdataStart = cursor.Position();
        cursor.ReadBytes(rdLength);
        if (!cursor.Failed() && index >= beforeAdditional && type == kTypeOpt && name.isEmpty()) {
            DnsWireCursor rdata(message, rdataStart, cursor.Position());
            return ParseOpt(index, rclass, ttl, rdata);
        }
    }
    return std::nullopt;
}

DnsFieldLine EdnsFields(const DnsEdns& edns)
{
    return {Number("Version", "version", edns.version), Text("Flags", "flags", FlagsText(edns.flags)),
            Number("UDP Size", "udp_size", edns.udpSize)};
}

DnsFieldLine EdnsOptionFields(const DnsEdnsOption& option)
{
    switch (option.code) {
    case kOptionNsid:
        return {Text("NSID", "nsid", option.data.toHex()), Text("Text", "text", PrintableText(option.data))};
    case kOptionCookie: {
        DnsFieldLine fields{Text("Client Cookie", "client", option.data.left(kClientCookieSize).toHex())};
        if (option.data.size() > kClientCookieSize)
            fields << Text("Server Cookie", "server", option.data.mid(kClientCookieSize).toHex());
        return fields;
    }
    case kOptionExtendedError:
        if (option.data.size() >= 2)
            return ExtendedErrorFields(option.data);
        [[fallthrough]];
    default:
        return {Number("Option", "code", option.code), Text("Data", "data", option.data.toHex())};
    }
}

} // namespace netsonde
