// SPDX-License-Identifier: GPL-3.0-or-later
// A phonebook file holding any bytes: loading it, then adding an address
// and loading the file again.

#include "FuzzCheck.h"

#include "phonebook/Phonebook.h"
#include "support/FileHelpers.h"

#include <QTemporaryDir>

#include <algorithm>

using namespace netsonde;
using netsonde::fuzz::Require;
using netsonde::test::FileBytes;
using netsonde::test::WriteFile;

namespace {

bool InListOrder(const PhonebookEntry& a, const PhonebookEntry& b)
{
    const int order = a.address.compare(b.address, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a.record < b.record;
}

void CheckEntries(const Phonebook& phonebook, qsizetype fileSize)
{
    const QList<PhonebookEntry>& entries = phonebook.Entries();
    for (const PhonebookEntry& entry : entries) {
        Require(entry.record >= 0 && entry.record < PhonebookLayout::kMaxRecords, "a record number is in range");
        Require(RecordOffset(entry.record + 1) <= fileSize, "an entry comes from a whole record of the file");
        Require(entry.address != QString::fromLatin1(FreeRecordAddress), "a free record is never listed");
        // A record listed twice would find one entry for both.
        Require(phonebook.FindRecord(entry.record) == &entry, "a record is listed once, found by its record");
    }
    Require(std::is_sorted(entries.cbegin(), entries.cend(), InListOrder), "the list is in alphabetical order");
}

// An added address is stored at once: the file loaded again holds it and
// every entry it held before.
void CheckAddReadsBack(Phonebook& phonebook, const QString& path)
{
    const QString address = QStringLiteral("added.fuzz.example");
    const qsizetype before = phonebook.Entries().size();
    int record = -1;
    const PhonebookAddResult result = phonebook.Add(address, &record);
    if (result != PhonebookAddResult::Added) {
        Require(result == PhonebookAddResult::AlreadyPresent || result == PhonebookAddResult::Full,
                "an address is refused only when present or when the book is full");
        return;
    }
    Phonebook reloaded;
    Require(reloaded.Open(path), "the file opens again");
    Require(reloaded.Entries().size() == before + 1, "the file keeps every entry and the added one");
    const PhonebookEntry* found = reloaded.FindRecord(record);
    Require(found && found->address == address && found->note.isEmpty(), "the added address reads back in its record");
}

// A character typed at the end of a note leaves every byte before it as it
// was, whatever character set the note was written in.
void CheckNoteEditKeepsBytes(Phonebook& phonebook, const QString& path)
{
    if (phonebook.Entries().isEmpty())
        return;
    const PhonebookEntry entry = phonebook.Entries().first();
    const QString edited = entry.note + QLatin1Char('x');
    if (!phonebook.NoteFits(entry.record, edited))
        return;
    Require(phonebook.SetNote(entry.record, edited), "a note that fits is written");
    const QByteArray field = FileBytes(path).sliced(NoteOffset(entry.record), PhonebookLayout::kNoteBytes);
    Require(field.startsWith(entry.noteBytes + 'x'), "an edit at the end keeps the bytes before it");
    Phonebook reloaded;
    Require(reloaded.Open(path), "the file opens again");
    Require(reloaded.FindRecord(entry.record)->note == edited, "the edited note reads back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    static const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("fuzz.pbk"));
    Require(WriteFile(path, bytes.toByteArray()), "the fuzzer can write its file");

    Phonebook phonebook;
    Require(phonebook.Open(path), "a file of any bytes opens");
    CheckEntries(phonebook, bytes.size());
    Require(FileBytes(path) == bytes, "loading never changes the file");
    CheckNoteEditKeepsBytes(phonebook, path);
    CheckAddReadsBack(phonebook, path);
    return 0;
}
