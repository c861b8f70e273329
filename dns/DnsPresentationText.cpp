// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsPresentationText.h"

#include "dns/DnsDomainName.h"
#include "dns/DnsMessageWalk.h"

#include <QDateTime>
#include <QTimeZone>

namespace netsonde {

namespace {

constexpr int kBitmapWindowMax = 32;

bool Printable(quint8 byte)
{
    return byte >= 0x20 && byte < 0x7F;
}

void AppendDecimalEscape(QByteArray& text, quint8 byte)
{
    text.append('\\').append(QByteArray::number(byte).rightJustified(3, '0'));
}

QByteArray EscapedLabel(QByteArrayView label)
{
    static constexpr QByteArrayView kSpecial = "\"().;\\@$";
    QByteArray text;
    for (const char c : label) {
        const auto byte = static_cast<quint8>(c);
        if (!Printable(byte) || byte == ' ')
            AppendDecimalEscape(text, byte);
        else if (kSpecial.contains(c))
            text.append('\\').append(c);
        else
            text.append(c);
    }
    return text;
}

void AppendWindowTypes(QByteArray& text, quint8 window, QByteArrayView bits)
{
    for (qsizetype i = 0; i < bits.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            if (static_cast<quint8>(bits[i]) & (0x80 >> bit))
                text.append(' ').append(PresentedTypeWord(static_cast<quint16>(window << 8 | i * 8 | bit)));
        }
    }
}

} // namespace

QByteArray PresentedName(DnsWireCursor& cursor)
{
    QByteArray text;
    for (const QByteArray& label : DecodeDomainNameLabels(cursor))
        text.append(EscapedLabel(label)).append('.');
    return text.isEmpty() ? QByteArrayLiteral(".") : text;
}

QByteArray QuotedText(QByteArrayView bytes, char extraEscaped)
{
    QByteArray text("\"");
    for (const char c : bytes) {
        const auto byte = static_cast<quint8>(c);
        if (!Printable(byte))
            AppendDecimalEscape(text, byte);
        else if (c == '"' || c == '\\' || c == extraEscaped)
            text.append('\\').append(c);
        else
            text.append(c);
    }
    return text.append('"');
}

QByteArray QuotedCharacterString(DnsWireCursor& cursor)
{
    const quint8 length = cursor.ReadU8();
    return QuotedText(cursor.ReadBytes(length));
}

QByteArray QuotedCharacterStrings(DnsWireCursor& cursor)
{
    QByteArray text = QuotedCharacterString(cursor);
    while (cursor.Remaining() > 0 && !cursor.Failed())
        text.append(' ').append(QuotedCharacterString(cursor));
    return text;
}

QByteArray DottedText(QByteArrayView bytes)
{
    QByteArray text;
    for (const char c : bytes)
        text.append(text.isEmpty() ? "" : ".").append(QByteArray::number(static_cast<quint8>(c)));
    return text;
}

QByteArray HexText(QByteArrayView bytes)
{
    return bytes.toByteArray().toHex().toUpper();
}

QByteArray Base64Text(QByteArrayView bytes)
{
    return bytes.toByteArray().toBase64();
}

QByteArray Base32HexText(QByteArrayView bytes)
{
    static constexpr char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
    QByteArray text;
    quint32 buffer = 0;
    int bits = 0;
    for (const char c : bytes) {
        buffer = (buffer << 8) | static_cast<quint8>(c);
        bits += 8;
        while (bits >= 5) {
            bits -= 5;
            text.append(kAlphabet[(buffer >> bits) & 0x1F]);
        }
    }
    if (bits > 0)
        text.append(kAlphabet[(buffer << (5 - bits)) & 0x1F]);
    return text;
}

QByteArray TypeBitmapText(DnsWireCursor& cursor)
{
    QByteArray text;
    int lastWindow = -1;
    while (cursor.Remaining() > 0 && !cursor.Failed()) {
        const quint8 window = cursor.ReadU8();
        const quint8 length = cursor.ReadU8();
        if (!cursor.Failed() && (window <= lastWindow || length == 0 || length > kBitmapWindowMax))
            cursor.Fail(DnsWireError::BadValue);
        AppendWindowTypes(text, window, cursor.ReadBytes(length));
        lastWindow = window;
    }
    return text;
}

QByteArray SignatureTimeText(quint32 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc())
        .toString(QStringLiteral("yyyyMMddHHmmss"))
        .toLatin1();
}

QByteArray PresentedTypeWord(quint16 type)
{
    return type == 0 ? QByteArrayLiteral("TYPE0") : DnsTypeWord(type);
}

QByteArray HexOfRest(DnsWireCursor& cursor)
{
    const QByteArrayView rest = cursor.ReadBytes(cursor.Remaining());
    return rest.isEmpty() ? QByteArray() : ' ' + HexText(rest);
}

QByteArray Base64OfRest(DnsWireCursor& cursor)
{
    const QByteArrayView rest = cursor.ReadBytes(cursor.Remaining());
    return rest.isEmpty() ? QByteArray() : ' ' + Base64Text(rest);
}

void RequireValid(DnsWireCursor& cursor, bool valid)
{
    if (!valid)
        cursor.Fail(DnsWireError::BadValue);
}

QByteArray GenericRdataText(QByteArrayView rdata)
{
    QByteArray text = "\\# " + QByteArray::number(rdata.size());
    if (!rdata.isEmpty())
        text.append(' ').append(HexText(rdata));
    return text;
}

} // namespace netsonde
