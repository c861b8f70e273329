// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The phonebook: up to 1000 addresses, each with a note, kept in the
// phonebook file. The file is open from Open to Close, read and written in
// place, created when missing and never truncated; every change is written
// at once at its record's place. A free record is reused before the file
// grows.

#include "phonebook/PhonebookRecord.h"

#include <QFile>
#include <QList>
#include <QString>

#include <bitset>

namespace netsonde {

struct PhonebookEntry {
    QString address;
    QString note;         // as the note box shows it, lines separated by "\n"
    int record = 0;       // the record's number in the file
    QByteArray noteBytes; // the note field's text as last read or written
};

enum class PhonebookAddResult {
    Added,
    NotOpen, // the file could not be opened
    EmptyAddress,
    TooLong,         // more than 50 bytes
    ReservedAddress, // "Empty" would read back as a free record
    AlreadyPresent,  // equal to a listed address, letter case aside
    Full,            // all 1000 records hold an address
    WriteFailed,
};

class Phonebook {
public:
    // $XDG_DATA_HOME/Korvelin/<application name>.pbk
    static QString DefaultFilePath();

    // The message for a file that cannot be opened or created.
    static QString OpenFailureText();
    // The message for an address that Add refused; empty for Added and for
    // an empty address.
    static QString AddFailureText(PhonebookAddResult result);
    Phonebook() = default;
    Phonebook(const Phonebook&) = delete;
    Phonebook& operator=(const Phonebook&) = delete;

    // Opens the file for reading and writing, creating it and its folder when
    // missing, and loads its records. On failure the phonebook stays empty,
    // every change is refused, and no file is created or written.
    bool Open(const QString& filePath = DefaultFilePath());
    void Close();
    bool IsOpen() const;

    // The addresses in alphabetical order, letter case aside.
    const QList<PhonebookEntry>& Entries() const;
    // The entry whose address equals the given one, letter case aside.
    const PhonebookEntry* Find(const QString& address) const;
    const PhonebookEntry* FindRecord(int record) const;

    // Stores the address with an empty note in the lowest free record and,
    // when added, sets *addedRecord to its number. Like a note, an address is
    // kept only up to a NUL character, as the file keeps it, so the entry may
    // hold less than the address given.
    PhonebookAddResult Add(const QString& address, int* addedRecord = nullptr);
    // Marks the entry's record free; false when nothing was removed.
    bool Remove(int record);
    // Reads the entry's note again from its field in the file, so that a
    // change made by another program shows; false when there is no such
    // entry or the file cannot be read.
    bool ReadNote(int record);
    // Whether the entry's note, edited into note, fits its 200-byte field.
    bool NoteFits(int record, const QString& note) const;
    // Writes the entry's edited note, rewriting only the characters that
    // changed (see EditedNoteBytes); false when it was not stored.
    bool SetNote(int record, const QString& note);

private:
    void Load();
    int LowestFreeRecord() const;
    bool WriteAt(qint64 offset, const QByteArray& bytes);
    void InsertSorted(PhonebookEntry entry);
    qsizetype IndexOfRecord(int record) const;
    static void SetStoredNote(PhonebookEntry& entry, QByteArrayView stored);

    QFile m_file;
    std::bitset<PhonebookLayout::kMaxRecords> m_slotUsed;
    QList<PhonebookEntry> m_entries;
};

} // namespace netsonde
