// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsServiceBindingText.h"

#include "dns/DnsPresentationText.h"
#include "dns/Ipv6AddressText.h"

#include <QList>

namespace netsonde {

namespace {

enum ServiceKey : quint16 {
    kMandatory = 0,
    kAlpn = 1,
    kNoDefaultAlpn = 2,
    kPort = 3,
    kIpv4Hint = 4,
    kEch = 5,
    kIpv6Hint = 6,
};

constexpr qsizetype kIpv4Size = 4;

QByteArray KeyName(quint16 key)
{
    static constexpr const char* kNames[] = {"mandatory", "alpn", "no-default-alpn", "port",
                                             "ipv4hint",  "ech",  "ipv6hint"};
    if (key < std::size(kNames))
        return kNames[key];
    return "key" + QByteArray::number(key);
}

// Splits value into items of itemSize bytes; none when it is empty or does
// not divide evenly.
QList<QByteArrayView> Items(QByteArrayView value, qsizetype itemSize)
{
    QList<QByteArrayView> items;
    if (value.isEmpty() || value.size() % itemSize != 0)
        return items;
    for (qsizetype at = 0; at < value.size(); at += itemSize)
        items.append(value.sliced(at, itemSize));
    return items;
}

QByteArray KeyList(QByteArrayView value)
{
    QByteArrayList names;
    for (const QByteArrayView item : Items(value, 2))
        names.append(KeyName(static_cast<quint16>(static_cast<quint8>(item[0]) << 8 | static_cast<quint8>(item[1]))));
    return names.join(',');
}

// Protocol identifiers, each a character string, joined by commas inside
// one quoted value; a comma inside an identifier is escaped twice.
QByteArray AlpnList(QByteArrayView value)
{
    DnsWireCursor ids(value);
    QByteArrayList texts;
    while (ids.Remaining() > 0 && !ids.Failed()) {
        const QByteArray id = ids.ReadBytes(ids.ReadU8()).toByteArray();
        if (id.isEmpty())
            return {};
        const QByteArray quoted = QuotedText(id, ',');
        texts.append(quoted.mid(1, quoted.size() - 2).replace("\\,", "\\\\,"));
    }
    return ids.Failed() ? QByteArray() : '"' + texts.join(',') + '"';
}

QByteArray AddressList(QByteArrayView value, qsizetype size)
{
    QByteArrayList texts;
    for (const QByteArrayView item : Items(value, size))
        texts.append(size == kIpv4Size ? DottedText(item) : Ipv6AddressText(item));
    return texts.join(',');
}

// The value's text after "=", or empty when the value breaks its key's form.
QByteArray ValueText(quint16 key, QByteArrayView value)
{
    switch (key) {
    case kMandatory:
        return KeyList(value);
    case kAlpn:
        return AlpnList(value);
    case kPort:
        return value.size() == 2
                   ? QByteArray::number(static_cast<quint8>(value[0]) << 8 | static_cast<quint8>(value[1]))
                   : QByteArray();
    case kIpv4Hint:
        return AddressList(value, kIpv4Size);
    case kEch:
        return Base64Text(value);
    case kIpv6Hint:
        return AddressList(value, kIpv6AddressSize);
    default:
        return QuotedText(value);
    }
}

QByteArray ParameterText(quint16 key, QByteArrayView value, DnsWireCursor& cursor)
{
    const bool bare = key == kNoDefaultAlpn || (key > kIpv6Hint && value.isEmpty());
    if (bare) {
        if (!value.isEmpty())
            cursor.Fail(DnsWireError::BadValue);
        return KeyName(key);
    }
    const QByteArray text = ValueText(key, value);
    if (text.isEmpty())
        cursor.Fail(DnsWireError::BadValue);
    return KeyName(key) + '=' + text;
}

} // namespace

QByteArray ServiceParametersText(DnsWireCursor& cursor)
{
    QByteArray text;
    int lastKey = -1;
    while (cursor.Remaining() > 0 && !cursor.Failed()) {
        const quint16 key = cursor.ReadU16();
        const QByteArrayView value = cursor.ReadBytes(cursor.ReadU16());
        if (cursor.Failed())
            break;
        if (key <= lastKey)
            cursor.Fail(DnsWireError::BadValue);
        text.append(' ').append(ParameterText(key, value, cursor));
        lastKey = key;
    }
    return text;
}

} // namespace netsonde
