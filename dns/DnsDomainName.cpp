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

void AppendLabel(QByteArray& name, QByteArrayView label)
{
    if (!name.isEmpty())
        name.append('.');
    name.append(label);
}

} // namespace

QByteArray DecodeDomainName(DnsWireCursor& cursor)
{
    QByteArray name;
    // The labels being read: first at the cursor, then after each jump from
    // the pointer's target up to where the labels before the jump began.
    DnsWireCursor labels = cursor;
    qsizetype labelsStart = cursor.Position();
    bool jumped = false;

    for (;;) {
        const quint8 length = labels.ReadU8();
        if (labels.Failed() || length == 0)
            break;
        if (IsPointer(length)) {
            const quint8 low = labels.ReadU8();
            if (labels.Failed())
                break;
            if (!jumped) {
                cursor = labels;
                jumped = true;
            }
            const qsizetype target = PointerTarget(length, low);
            if (target >= labelsStart) {
                cursor.Fail(DnsWireError::BadPointer);
                return name;
            }
            labels = DnsWireCursor(cursor.Message(), target, labelsStart);
            labelsStart = target;
            continue;
        }
        const QByteArrayView label = labels.ReadBytes(length);
        if (labels.Failed())
            break;
        AppendLabel(name, label);
    }

    if (!jumped)
        cursor = labels;
    else if (labels.Failed())
        cursor.Fail(DnsWireError::BadPointer);
    return name;
}

} // namespace netsonde
