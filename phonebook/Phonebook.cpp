// SPDX-License-Identifier: GPL-3.0-or-later
#include "phonebook/Phonebook.h"

#include "phonebook/PhonebookNote.h"
#include "platform/text/Utf8OrLatin1.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace netsonde {

namespace {

constexpr char kCompany[] = "Korvelin";

// A field ends at its first zero byte, so a text keeps only what comes
// before a NUL character: that is all that would read back.
QString TextBeforeNul(const QString& text)
{
    return text.left(text.indexOf(QChar::Null));
}

bool AddressesEqual(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool InListOrder(const PhonebookEntry& a, const PhonebookEntry& b)
{
    const int order = a.address.compare(b.address, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a.record < b.record;
}

} // namespace

QString Phonebook::DefaultFilePath()
{
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty())
        return {};
    return QDir(dataHome).filePath(QLatin1String(kCompany) + QLatin1Char('/') + QCoreApplication::applicationName()
                                   + QStringLiteral(".pbk"));
}

QString Phonebook::OpenFailureText()
{
    return QStringLiteral("Cannot open or create Netsonde.pbk");
}

QString Phonebook::AddFailureText(PhonebookAddResult result)
{
    switch (result) {
    case PhonebookAddResult::Added:
    case PhonebookAddResult::EmptyAddress:
        return {};
    case PhonebookAddResult::NotOpen:
        return OpenFailureText();
    case PhonebookAddResult::TooLong:
        return QStringLiteral("Please enter no more than %1 characters.").arg(PhonebookLayout::kAddressBytes);
    case PhonebookAddResult::ReservedAddress:
        return QStringLiteral("The address Empty cannot be stored in the phonebook");
    case PhonebookAddResult::AlreadyPresent:
        return QStringLiteral("This address is already present in the phonebook");
    case PhonebookAddResult::Full:
        return QStringLiteral("Cannot add any more items to the PhoneBook");
    case PhonebookAddResult::WriteFailed:
        return QStringLiteral("Error while adding to phonebook list");
    }
    return {};
}

bool Phonebook::Open(const QString& filePath)
{
    Close();
    if (filePath.isEmpty() || !QDir().mkpath(QFileInfo(filePath).absolutePath()))
        return false;
    m_file.setFileName(filePath);
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    Load();
    return true;
}

void Phonebook::Close()
{
    m_file.close();
    m_slotUsed.reset();
    m_entries.clear();
}

bool Phonebook::IsOpen() const
{
    return m_file.isOpen();
}

const QList<PhonebookEntry>& Phonebook::Entries() const
{
    return m_entries;
}

const PhonebookEntry* Phonebook::Find(const QString& address) const
{
    const auto found = std::find_if(m_entries.cbegin(), m_entries.cend(), [&address](const PhonebookEntry& entry) {
        return AddressesEqual(entry.address, address);
    });
    return found == m_entries.cend() ? nullptr : &*found;
}

const PhonebookEntry* Phonebook::FindRecord(int record) const
{
    const qsizetype index = IndexOfRecord(record);
    return index < 0 ? nullptr : &m_entries[index];
}

PhonebookAddResult Phonebook::Add(const QString& typedAddress, int* addedRecord)
{
    if (!IsOpen())
        return PhonebookAddResult::NotOpen;
    const QString address = TextBeforeNul(typedAddress);
    if (address.isEmpty())
        return PhonebookAddResult::EmptyAddress;
    const QByteArray stored = address.toUtf8();
    if (stored.size() > PhonebookLayout::kAddressBytes)
        return PhonebookAddResult::TooLong;
    if (stored == FreeRecordAddress)
        return PhonebookAddResult::ReservedAddress;
    if (Find(address))
        return PhonebookAddResult::AlreadyPresent;
    const int record = LowestFreeRecord();
    if (record < 0)
        return PhonebookAddResult::Full;
    if (!WriteAt(RecordOffset(record), EncodeRecord(stored, {})))
        return PhonebookAddResult::WriteFailed;
    m_slotUsed.set(record);
    InsertSorted({address, QString(), record, QByteArray()});
    if (addedRecord)
        *addedRecord = record;
    return PhonebookAddResult::Added;
}

bool Phonebook::Remove(int record)
{
    const qsizetype index = IndexOfRecord(record);
    if (index < 0 || !WriteAt(RecordOffset(record), EncodeRecord(FreeRecordAddress, {})))
        return false;
    m_entries.removeAt(index);
    m_slotUsed.reset(record);
    return true;
}

bool Phonebook::ReadNote(int record)
{
    const qsizetype index = IndexOfRecord(record);
    if (index < 0 || !m_file.seek(NoteOffset(record)))
        return false;
    QByteArray field(PhonebookLayout::kNoteBytes, '\0');
    const qint64 length = m_file.read(field.data(), field.size());
    if (length < 0)
        return false;
    field.truncate(length);
    SetStoredNote(m_entries[index], FieldText(field));
    return true;
}

bool Phonebook::NoteFits(int record, const QString& note) const
{
    const PhonebookEntry* entry = FindRecord(record);
    const QByteArray stored = EditedNoteBytes(entry ? entry->noteBytes : QByteArray(), note);
    return stored.size() <= PhonebookLayout::kNoteBytes;
}

bool Phonebook::SetNote(int record, const QString& note)
{
    const qsizetype index = IndexOfRecord(record);
    if (index < 0)
        return false;
    const QByteArray stored = EditedNoteBytes(m_entries[index].noteBytes, note);
    if (stored.size() > PhonebookLayout::kNoteBytes
        || !WriteAt(NoteOffset(record), PadField(stored, PhonebookLayout::kNoteBytes)))
        return false;
    SetStoredNote(m_entries[index], stored);
    return true;
}

// Reads whole records from the start, at most 1000; a short read ends the
// file, so a cut-off last record is not loaded.
void Phonebook::Load()
{
    QByteArray record(PhonebookLayout::kRecordBytes, '\0');
    for (int number = 0; number < PhonebookLayout::kMaxRecords; ++number) {
        if (m_file.read(record.data(), record.size()) != record.size())
            break;
        const QByteArrayView bytes(record);
        const QByteArrayView address = FieldText(bytes.first(PhonebookLayout::kAddressBytes));
        if (address == FreeRecordAddress)
            continue;
        m_slotUsed.set(number);
        PhonebookEntry entry{DecodeUtf8OrLatin1(address), QString(), number, QByteArray()};
        SetStoredNote(entry, FieldText(bytes.sliced(PhonebookLayout::kAddressBytes)));
        m_entries.append(std::move(entry));
    }
    std::stable_sort(m_entries.begin(), m_entries.end(), InListOrder);
}

int Phonebook::LowestFreeRecord() const
{
    for (int record = 0; record < PhonebookLayout::kMaxRecords; ++record) {
        if (!m_slotUsed.test(record))
            return record;
    }
    return -1;
}

bool Phonebook::WriteAt(qint64 offset, const QByteArray& bytes)
{
    return m_file.isOpen() && m_file.seek(offset) && m_file.write(bytes) == bytes.size();
}

void Phonebook::InsertSorted(PhonebookEntry entry)
{
    const auto place = std::upper_bound(m_entries.begin(), m_entries.end(), entry, InListOrder);
    m_entries.insert(place, std::move(entry));
}

qsizetype Phonebook::IndexOfRecord(int record) const
{
    const auto found = std::find_if(m_entries.cbegin(), m_entries.cend(),
                                    [record](const PhonebookEntry& entry) { return entry.record == record; });
    return found == m_entries.cend() ? -1 : found - m_entries.cbegin();
}

void Phonebook::SetStoredNote(PhonebookEntry& entry, QByteArrayView stored)
{
    entry.noteBytes = stored.toByteArray();
    entry.note = NoteText(stored);
}

} // namespace netsonde
