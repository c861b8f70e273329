// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsDomainName.h"

namespace netsonde {

namespace {

constexpr quint8 kPointerMark = 0xC0;

bool IsPointer(quint8 lengthByte)
{
    return lengthByte >= kPointerMark;
}

qsizetype PointerTarget(quint8 high, quint8 low)
{
    return ((qsizetype{high} & 0x3F) << 8) | qsizetype{low};
}

} // namespace

QByteArray DecodeDomainName(DnsWireCursor& cursor)
{
    return DecodeDomainNameLabels(cursor).join('.');
}

QList<QByteArray> DecodeDomainNameLabels(DnsWireCursor& cursor)
{
    QList<QByteArray> labels;
    // The reader of the labels: first at the cursor, then after each jump from
    // the pointer's target up to where the labels before the jump began.
    DnsWireCursor reader = cursor;
    qsizetype labelsStart = cursor.Position();
    bool jumped = false;

    for (;;) {
        const quint8 length = reader.ReadU8();
        if (reader.Failed() || length == 0)
            break;
        if (IsPointer(length)) {
            const quint8 low = reader.ReadU8();
            if (reader.Failed())
                break;
            if (!jumped) {
                cursor = reader;
                jumped = true;
            }
            const qsizetype target = PointerTarget(length, low);
            if (target >= labelsStart) {
                cursor.Fail(DnsWireError::BadPointer);
                return labels;
            }
            reader = DnsWireCursor(cursor.Message(), target, labelsStart);
            labelsStart = target;
            continue;
        }
        const QByteArrayView label = reader.ReadBytes(length);
        if (reader.Failed())
            break;
        labels.append(label.toByteArray());
    }

    if (!jumped)
        cursor = reader;
    else if (reader.Failed())
        cursor.Fail(DnsWireError::BadPointer);
    return labels;
}

} // namespace netsonde
