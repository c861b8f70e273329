// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/phonebook/PhonebookDialog.h"

#include "mainwindow/phonebook/NoteEdit.h"
#include "mainwindow/phonebook/PhonebookDialogIds.h"
#include "mainwindow/phonebook/StoredLengthValidator.h"
#include "pages/PropertyPage.h"
#include "platform/MessageBox.h"
#include "resources/ResourceIds.h"
#include "widgets/ControlIds.h"
#include "widgets/DialogUnits.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace netsonde {

namespace {

// A change that could not be written: the file is kept as it was, and the
// dialog shows what the file holds.
QString WriteFailureText(const Phonebook& phonebook)
{
    return phonebook.IsOpen() ? QStringLiteral("Cannot write to Netsonde.pbk") : Phonebook::OpenFailureText();
}

int RecordOf(const QListWidgetItem* item)
{
    return item->data(Qt::UserRole).toInt();
}

QListWidgetItem* NewListItem(const PhonebookEntry& entry)
{
    auto* item = new QListWidgetItem(entry.address);
    item->setData(Qt::UserRole, entry.record);
    return item;
}

} // namespace

PhonebookDialog::PhonebookDialog(PropertyPage* targetPage, const QString& address, QWidget* parent,
                                 const QString& filePath)
    : QDialog(parent), m_address(address), m_targetPage(targetPage), m_filePath(filePath)
{
    SetDialogId(this, kPhonebookDialog);
    setWindowTitle(QStringLiteral("Phonebook"));
    CreateControls();
}

void PhonebookDialog::CreateControls()
{
    const DialogUnits units(font());
    setFixedSize(units.X(262), units.Y(190));

    AddGroup(QStringLiteral("Add"), units, {7, 4, 186, 30});
    m_addressEdit = new QLineEdit(this);
    SetControlId(m_addressEdit, kPhonebookAddressControl);
    m_addressEdit->setGeometry(units.Rect(14, 15, 172, 13));
    m_addressLimit = new StoredLengthValidator(PhonebookLayout::kAddressBytes, m_addressEdit);
    m_addressEdit->setValidator(m_addressLimit);
    m_addButton = AddButton(kPhonebookAddControl, QStringLiteral("&Add"), units, {200, 15, 55, 14});

    AddGroup(QStringLiteral("Addresses"), units, {7, 38, 186, 84});
    m_list = new QListWidget(this);
    SetControlId(m_list, kPhonebookListControl);
    m_list->setGeometry(units.Rect(14, 49, 172, 66));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_removeButton = AddButton(kPhonebookRemoveControl, QStringLiteral("&Remove"), units, {200, 49, 55, 14});

    AddGroup(QStringLiteral("Notes"), units, {7, 126, 186, 56});
    m_noteEdit = new NoteEdit([this](const QString& note) { return NoteFits(note); }, this);
    SetControlId(m_noteEdit, kPhonebookNoteControl);
    m_noteEdit->setGeometry(units.Rect(14, 137, 172, 38));

    m_useButton = AddButton(kPhonebookUseControl, QStringLiteral("&Use"), units, {200, 137, 55, 14});
    m_useButton->setDefault(true);
    QPushButton* close = AddButton(kPhonebookCloseControl, QStringLiteral("&Close"), units, {200, 155, 55, 14});
    QPushButton* help = AddButton(kPhonebookHelpControl, QStringLiteral("&Help"), units, {200, 173, 55, 14});

    connect(m_addressEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_addressLimit->SetAcceptedText(text);
        OnChangeAddress();
    });
    connect(m_addButton, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(m_removeButton, &QPushButton::clicked, this, [this] { OnRemove(); });
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] { OnSelChange(); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { OnUse(); });
    connect(m_noteEdit, &QPlainTextEdit::textChanged, this, [this] { OnChangeNote(); });
    connect(m_useButton, &QPushButton::clicked, this, [this] { OnUse(); });
    connect(close, &QPushButton::clicked, this, [this] { accept(); });
    connect(help, &QPushButton::clicked, this, &PhonebookDialog::helpRequested);
}

QPushButton* PhonebookDialog::AddButton(int id, const QString& text, const DialogUnits& units, QRect rect)
{
    auto* button = new QPushButton(text, this);
    SetControlId(button, id);
    const QRect r = units.Rect(rect.x(), rect.y(), rect.width(), rect.height());
    button->setGeometry(r.x(), r.y(), qMax(r.width(), button->sizeHint().width()),
                        qMax(r.height(), button->sizeHint().height()));
    return button;
}

void PhonebookDialog::AddGroup(const QString& title, const DialogUnits& units, QRect rect)
{
    auto* group = new QGroupBox(title, this);
    group->setGeometry(units.Rect(rect.x(), rect.y(), rect.width(), rect.height()));
}

void PhonebookDialog::setVisible(bool visible)
{
    if (visible)
        InitDialog();
    QDialog::setVisible(visible);
}

void PhonebookDialog::InitDialog()
{
    if (m_initialised)
        return;
    m_initialised = true;

    m_addButton->setEnabled(!m_address.isEmpty());
    EnableEntryControls(false);
    ShowNote(QString());
    SetAddressText(m_address);
    m_addressEdit->setFocus(Qt::OtherFocusReason);

    if (!m_phonebook.Open(m_filePath)) {
        ShowMessageBox(Phonebook::OpenFailureText());
        return;
    }
    LoadList();
}

void PhonebookDialog::done(int result)
{
    m_phonebook.Close();
    QDialog::done(result);
}

void PhonebookDialog::LoadList()
{
    for (const PhonebookEntry& entry : m_phonebook.Entries())
        m_list->addItem(NewListItem(entry));
}

// The list shows the phonebook's entries in the same order, row for entry.
void PhonebookDialog::InsertEntry(int record)
{
    const auto& entries = m_phonebook.Entries();
    const auto found = std::find_if(entries.cbegin(), entries.cend(),
                                    [record](const PhonebookEntry& entry) { return entry.record == record; });
    if (found != entries.cend())
        m_list->insertItem(int(found - entries.cbegin()), NewListItem(*found));
}

int PhonebookDialog::SelectedRow() const
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

const PhonebookEntry* PhonebookDialog::SelectedEntry() const
{
    const int row = SelectedRow();
    return row < 0 ? nullptr : m_phonebook.FindRecord(RecordOf(m_list->item(row)));
}

// The box holds the selected entry's note whenever it can be edited.
bool PhonebookDialog::NoteFits(const QString& note) const
{
    const PhonebookEntry* entry = SelectedEntry();
    return m_phonebook.NoteFits(entry ? entry->record : -1, note);
}

void PhonebookDialog::EnableEntryControls(bool enable)
{
    m_removeButton->setEnabled(enable);
    m_useButton->setEnabled(enable);
    m_noteEdit->setEnabled(enable);
}

// Setting the note from the program is no edit: nothing is written.
void PhonebookDialog::ShowNote(const QString& note)
{
    m_settingNote = true;
    m_noteEdit->setPlainText(note);
    m_settingNote = false;
}

void PhonebookDialog::SetAddressText(const QString& text)
{
    m_addressLimit->SetAcceptedText(text);
    m_addressEdit->setText(text);
}

void PhonebookDialog::OnChangeAddress()
{
    m_address = m_addressEdit->text();
    if (!m_address.isEmpty()) {
        m_addButton->setEnabled(true);
        EnableEntryControls(false);
        ShowNote(QString());
        return;
    }
    m_addButton->setEnabled(false);
    // The note box was emptied while an address was typed; it shows the
    // selected entry's note again, so that an edit never overwrites a note
    // the user could not see.
    if (const PhonebookEntry* entry = SelectedEntry()) {
        EnableEntryControls(true);
        ShowNote(entry->note);
    }
}

void PhonebookDialog::OnAdd()
{
    m_address = m_addressEdit->text();
    // The entry may hold less than the text typed: an address ends at a NUL
    // character.
    int record = -1;
    const PhonebookAddResult result = m_phonebook.Add(m_address, &record);
    switch (result) {
    case PhonebookAddResult::Added:
        InsertEntry(record);
        EndAdd();
        return;
    case PhonebookAddResult::EmptyAddress:
        return;
    case PhonebookAddResult::Full:
    case PhonebookAddResult::WriteFailed:
        ShowMessageBox(Phonebook::AddFailureText(result));
        EndAdd();
        return;
    case PhonebookAddResult::NotOpen:
    case PhonebookAddResult::TooLong:
    case PhonebookAddResult::ReservedAddress:
    case PhonebookAddResult::AlreadyPresent:
        // The address stays in its box, to be corrected or used elsewhere.
        ShowMessageBox(Phonebook::AddFailureText(result));
        m_addressEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
}

void PhonebookDialog::EndAdd()
{
    SetAddressText(QString());
    m_addButton->setEnabled(false);
    m_addressEdit->setFocus(Qt::OtherFocusReason);
}

void PhonebookDialog::OnRemove()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    if (!m_phonebook.Remove(RecordOf(m_list->item(row)))) {
        ShowMessageBox(WriteFailureText(m_phonebook));
        return;
    }
    delete m_list->takeItem(row);
    if (m_list->count() == 0) {
        EnableEntryControls(false);
        ShowNote(QString());
        m_addressEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_list->setCurrentRow(std::min(row, m_list->count() - 1));
    OnSelChange();
}

void PhonebookDialog::OnSelChange()
{
    const PhonebookEntry* entry = SelectedEntry();
    if (!entry)
        return;
    EnableEntryControls(true);
    // Read from the file, so that a change made by another program shows;
    // should the read fail, the note last read or written is shown.
    m_phonebook.ReadNote(entry->record);
    ShowNote(entry->note);
}

void PhonebookDialog::OnChangeNote()
{
    if (m_settingNote)
        return;
    const PhonebookEntry* entry = SelectedEntry();
    if (!entry)
        return;
    if (!m_phonebook.SetNote(entry->record, m_noteEdit->toPlainText())) {
        ShowMessageBox(WriteFailureText(m_phonebook));
        ShowNote(entry->note);
    }
}

void PhonebookDialog::OnUse()
{
    const PhonebookEntry* entry = SelectedEntry();
    if (!entry || !m_targetPage)
        return;
    m_targetPage->m_host = entry->address;
    m_targetPage->Refresh();
    accept();
}

} // namespace netsonde
