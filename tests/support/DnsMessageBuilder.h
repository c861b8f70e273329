// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds DNS messages byte by byte for the tests: the test says every field,
// the builder only writes it in network order.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstddef>

namespace netsonde::test {

// "\x03" "www" "\x00"_wire keeps embedded zero bytes.
inline QByteArray operator""_wire(const char* bytes, std::size_t size)
{
    return QByteArray(bytes, static_cast<qsizetype>(size));
}

class DnsMessageBuilder {
public:
    DnsMessageBuilder& U8(int value) { return Raw(QByteArray(1, static_cast<char>(value & 0xFF))); }
    DnsMessageBuilder& U16(int value) { return U8(value >> 8).U8(value); }
    DnsMessageBuilder& U32(quint32 value) { return U16(static_cast<int>(value >> 16)).U16(static_cast<int>(value)); }
    DnsMessageBuilder& Raw(QByteArrayView bytes)
    {
        m_bytes.append(bytes);
        return *this;
    }

    // ID, the two flag bytes and the four counts.
    DnsMessageBuilder& Header(int id, int flags, int flags2, int qd, int an, int ns, int ar)
    {
        return U16(id).U8(flags).U8(flags2).U16(qd).U16(an).U16(ns).U16(ar);
    }

    // Labels given as a list, each written with its length byte.
    DnsMessageBuilder& Labels(const QList<QByteArray>& labels)
    {
        for (const QByteArray& label : labels)
            U8(static_cast<int>(label.size())).Raw(label);
        return *this;
    }
    // Labels, then the terminating zero byte.
    DnsMessageBuilder& Name(const QList<QByteArray>& labels) { return Labels(labels).U8(0); }
    DnsMessageBuilder& Root() { return U8(0); }
    DnsMessageBuilder& Pointer(int offset) { return U8(0xC0 | (offset >> 8)).U8(offset); }

    DnsMessageBuilder& Question(int type, int qclass) { return U16(type).U16(qclass); }
    // TYPE, CLASS, TTL, then RDLENGTH from the RDATA's size and the RDATA.
    DnsMessageBuilder& Fields(int type, int rclass, quint32 ttl, const QByteArray& rdata)
    {
        return Fields(type, rclass, ttl, static_cast<int>(rdata.size())).Raw(rdata);
    }
    // TYPE, CLASS, TTL and an RDLENGTH of the test's choice, no RDATA.
    DnsMessageBuilder& Fields(int type, int rclass, quint32 ttl, int rdLength)
    {
        return U16(type).U16(rclass).U32(ttl).U16(rdLength);
    }

    operator QByteArray() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

} // namespace netsonde::test
