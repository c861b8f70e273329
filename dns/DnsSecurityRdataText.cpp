// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsSecurityRdataText.h"

#include "dns/DnsPresentationText.h"

namespace netsonde {

namespace {

// The digest lengths of DS digest types 1, 2 and 4, and ZONEMD's hash
// algorithms 1 and 2; 0 for any other.
qsizetype DigestSize(quint8 digestType, bool zonemd)
{
    if (zonemd)
        return digestType == 1 ? 48 : digestType == 2 ? 64 : 0;
    return digestType == 1 ? 20 : digestType == 2 ? 32 : digestType == 4 ? 48 : 0;
}

} // namespace

QByteArray DsText(DnsWireCursor& rdata)
{
    QByteArray text = QByteArray::number(rdata.ReadU16());
    text.append(' ').append(QByteArray::number(rdata.ReadU8()));
    const quint8 digestType = rdata.ReadU8();
    const qsizetype size = DigestSize(digestType, false);
    RequireValid(rdata, rdata.Remaining() > 0);
    RequireValid(rdata, size == 0 || rdata.Remaining() == size);
    return text + ' ' + QByteArray::number(digestType) + HexOfRest(rdata);
}

QByteArray ZonemdText(DnsWireCursor& rdata)
{
    QByteArray text = QByteArray::number(rdata.ReadU32());
    text.append(' ').append(QByteArray::number(rdata.ReadU8()));
    const quint8 hash = rdata.ReadU8();
    const qsizetype size = DigestSize(hash, true);
    RequireValid(rdata, (size == 0 ? rdata.Remaining() >= 12 : rdata.Remaining() == size));
    return text + ' ' + QByteArray::number(hash) + HexOfRest(rdata);
}

QByteArray DnskeyText(DnsWireCursor& rdata)
{
    QByteArray text = QByteArray::number(rdata.ReadU16());
    text.append(' ').append(QByteArray::number(rdata.ReadU8())).append(' ').append(QByteArray::number(rdata.ReadU8()));
    return text + Base64OfRest(rdata);
}

quint16 DnskeyTag(QByteArrayView rdata)
{
    const auto byte = [rdata](qsizetype at) { return quint32{static_cast<quint8>(rdata[at])}; };
    // Algorithm 1 (RSA/MD5): bits 8..23 of the key's last bytes.
    if (rdata.size() > 3 && byte(3) == 1)
        return static_cast<quint16>(byte(rdata.size() - 3) << 8 | byte(rdata.size() - 2));
    quint32 sum = 0;
    for (qsizetype i = 0; i < rdata.size(); ++i)
        sum += (i & 1) ? byte(i) : byte(i) << 8;
    sum += (sum >> 16) & 0xFFFF;
    return static_cast<quint16>(sum);
}

QByteArray RrsigText(DnsWireCursor& rdata)
{
    QByteArray text = PresentedTypeWord(rdata.ReadU16());
    text.append(' ').append(QByteArray::number(rdata.ReadU8())).append(' ').append(QByteArray::number(rdata.ReadU8()));
    text.append(' ').append(QByteArray::number(rdata.ReadU32()));
    text.append(' ').append(SignatureTimeText(rdata.ReadU32()));
    text.append(' ').append(SignatureTimeText(rdata.ReadU32()));
    text.append(' ').append(QByteArray::number(rdata.ReadU16())).append(' ').append(PresentedName(rdata));
    return text + Base64OfRest(rdata);
}

QByteArray NsecText(DnsWireCursor& rdata)
{
    const QByteArray next = PresentedName(rdata);
    return next + TypeBitmapText(rdata);
}

QByteArray Nsec3ParamText(DnsWireCursor& rdata)
{
    QByteArray text = QByteArray::number(rdata.ReadU8());
    text.append(' ').append(QByteArray::number(rdata.ReadU8())).append(' ').append(QByteArray::number(rdata.ReadU16()));
    const QByteArrayView salt = rdata.ReadBytes(rdata.ReadU8());
    return text + ' ' + (salt.isEmpty() ? QByteArray("-") : HexText(salt));
}

QByteArray Nsec3Text(DnsWireCursor& rdata)
{
    const QByteArray head = Nsec3ParamText(rdata);
    const QByteArrayView next = rdata.ReadBytes(rdata.ReadU8());
    RequireValid(rdata, !next.isEmpty());
    const QByteArray nextText = Base32HexText(next);
    return head + ' ' + nextText + TypeBitmapText(rdata);
}

} // namespace netsonde
