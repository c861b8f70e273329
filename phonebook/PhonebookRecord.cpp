// SPDX-License-Identifier: GPL-3.0-or-later
#include "phonebook/PhonebookRecord.h"

namespace netsonde {

QByteArray PadField(QByteArrayView text, qsizetype width)
{
    Q_ASSERT(text.size() <= width);
    QByteArray field = text.first(qMin(text.size(), width)).toByteArray();
    field.append(width - field.size(), '\0');
    return field;
}

QByteArray EncodeRecord(QByteArrayView address, QByteArrayView note)
{
    return PadField(address, PhonebookLayout::kAddressBytes) + PadField(note, PhonebookLayout::kNoteBytes);
}

QByteArrayView FieldText(QByteArrayView field)
{
    const qsizetype zero = field.indexOf('\0');
    return zero < 0 ? field : field.first(zero);
}

} // namespace netsonde
