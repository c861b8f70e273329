// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The phonebook file's records: no header, record k at byte k * 250, each an
// address field of 50 bytes followed by a note field of 200 bytes. A field
// holds its text followed by zero bytes up to its end; a text that fills the
// field has no terminating zero. The address "Empty" marks a free record.

#include <QByteArray>
#include <QByteArrayView>

namespace netsonde {

struct PhonebookLayout {
    static constexpr qsizetype kAddressBytes = 50;
    static constexpr qsizetype kNoteBytes = 200;
    static constexpr qsizetype kRecordBytes = kAddressBytes + kNoteBytes;
    static constexpr int kMaxRecords = 1000;
};

// The address of a free record, case included.
inline constexpr QByteArrayView FreeRecordAddress("Empty");

constexpr qint64 RecordOffset(int record)
{
    return qint64(record) * PhonebookLayout::kRecordBytes;
}

constexpr qint64 NoteOffset(int record)
{
    return RecordOffset(record) + PhonebookLayout::kAddressBytes;
}

// The text followed by zero bytes up to width; text must fit the width.
QByteArray PadField(QByteArrayView text, qsizetype width);

// A whole record: the address field, then the note field.
QByteArray EncodeRecord(QByteArrayView address, QByteArrayView note);

// The text a field holds: its bytes before the first zero byte, never more
// than the field.
QByteArrayView FieldText(QByteArrayView field);

} // namespace netsonde
