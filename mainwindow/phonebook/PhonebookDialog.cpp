// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/phonebook/PhonebookDialog.h"

#include "pages/PropertyPage.h"
#include "mainwindow/phonebook/NoteEdit.h"
#include "mainwindow/phonebook/PhonebookDialogIds.h"
#include "mainwindow/phonebook/StoredLengthValidator.h"
#include "platform/AppMessages.h"
#include "platform/widgets/ControlIds.h"
#include "platform/widgets/DialogUnits.h"
#include "platform/MessageBox.h"
#include "resources/ResourceIds.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace netsonde {

namespace {

// A change that could not be written: the file is kept as it was, and the
// dialog shows what the file holds.
QString WriteFailureText(const CPhonebook& phonebook)
{
    return phonebook.IsOpen() ? QStringLiteral("Cannot write to Netsonde.pbk")
                              : CPhonebook::OpenFailureText();
}

int RecordOf(const QListWidgetItem* item) { return item->data(Qt::UserRole).toInt(); }

QListWidgetItem* NewListItem(const PhonebookEntry& entry)
{
    auto* item = new QListWidgetItem(entry.address);
    item->setData(Qt::UserRole, entry.record);
    return item;
}

} // namespace

CPhonebookDialog::CPhonebookDialog(CPropertyPage* targetPage, const QString& address,
                                   QWidget* parent, const QString& filePath)
    : QDialog(parent), m_strAddress(address), m_targetPage(targetPage), m_filePath(filePath)
{
    SetDialogId(this, IDD_PHONEBOOK);
    setWindowTitle(QStringLiteral("Phonebook"));
    CreateControls();
}

void CPhonebookDialog::CreateControls()
{
    const DialogUnits units(font());
    setFixedSize(units.X(262), units.Y(190));

    AddGroup(QStringLiteral("Add"), units, {7, 4, 186, 30});
    m_addressEdit = new QLineEdit(this);
    SetControlId(m_addressEdit, IDC_PHONEBOOK_ADDRESS);
    m_addressEdit->setGeometry(units.Rect(14, 15, 172, 13));
    m_addressLimit = new CStoredLengthValidator(PhonebookLayout::AddressBytes, m_addressEdit);
    m_addressEdit->setValidator(m_addressLimit);
    m_btnAdd = AddButton(IDC_PHONEBOOK_ADD, QStringLiteral("&Add"), units, {200, 15, 55, 14});

    AddGroup(QStringLiteral("Addresses"), units, {7, 38, 186, 84});
    m_list = new QListWidget(this);
    SetControlId(m_list, IDC_PHONEBOOK_LIST);
    m_list->setGeometry(units.Rect(14, 49, 172, 66));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_btnRemove = AddButton(IDC_PHONEBOOK_REMOVE, QStringLiteral("&Remove"), units, {200, 49, 55, 14});

    AddGroup(QStringLiteral("Notes"), units, {7, 126, 186, 56});
    m_noteEdit = new CNoteEdit([this](const QString& note) { return NoteFits(note); }, this);
    SetControlId(m_noteEdit, IDC_PHONEBOOK_NOTE);
    m_noteEdit->setGeometry(units.Rect(14, 137, 172, 38));

    m_btnUse = AddButton(IDC_PHONEBOOK_USE, QStringLiteral("&Use"), units, {200, 137, 55, 14});
    m_btnUse->setDefault(true);
    QPushButton* close = AddButton(IDC_PHONEBOOK_CLOSE, QStringLiteral("&Close"), units, {200, 155, 55, 14});
    QPushButton* help = AddButton(IDC_PHONEBOOK_HELP, QStringLiteral("&Help"), units, {200, 173, 55, 14});

    connect(m_addressEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_addressLimit->SetAcceptedText(text);
        OnChangeAddress();
    });
    connect(m_btnAdd, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(m_btnRemove, &QPushButton::clicked, this, [this] { OnRemove(); });
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] { OnSelChange(); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { OnUse(); });
    connect(m_noteEdit, &QPlainTextEdit::textChanged, this, [this] { OnChangeNote(); });
    connect(m_btnUse, &QPushButton::clicked, this, [this] { OnUse(); });
    connect(close, &QPushButton::clicked, this, [this] { accept(); });
    connect(help, &QPushButton::clicked, this, [this] {
        if (m_help)
            m_help();
    });
}

QPushButton* CPhonebookDialog::AddButton(int id, const QString& text, const DialogUnits& units,
                                         QRect rect)
{
    auto* button = new QPushButton(text, this);
    SetControlId(button, id);
    const QRect r = units.Rect(rect.x(), rect.y(), rect.width(), rect.height());
    button->setGeometry(r.x(), r.y(), qMax(r.width(), button->sizeHint().width()),
                        qMax(r.height(), button->sizeHint().height()));
    return button;
}

void CPhonebookDialog::AddGroup(const QString& title, const DialogUnits& units, QRect rect)
{
    auto* group = new QGroupBox(title, this);
    group->setGeometry(units.Rect(rect.x(), rect.y(), rect.width(), rect.height()));
}

void CPhonebookDialog::setVisible(bool visible)
{
    if (visible)
        InitDialog();
    QDialog::setVisible(visible);
}

void CPhonebookDialog::InitDialog()
{
    if (m_bInitialised)
        return;
    m_bInitialised = true;

    m_btnAdd->setEnabled(!m_strAddress.isEmpty());
    EnableEntryControls(false);
    ShowNote(QString());
    SetAddressText(m_strAddress);
    m_addressEdit->setFocus(Qt::OtherFocusReason);

    if (!m_phonebook.Open(m_filePath)) {
        ShowMessageBox(CPhonebook::OpenFailureText());
        return;
    }
    LoadList();
}

void CPhonebookDialog::done(int result)
{
    m_phonebook.Close();
    QDialog::done(result);
}

void CPhonebookDialog::LoadList()
{
    for (const PhonebookEntry& entry : m_phonebook.Entries())
        m_list->addItem(NewListItem(entry));
}

// The list shows the phonebook's entries in the same order, row for entry.
void CPhonebookDialog::InsertEntry(int record)
{
    const auto& entries = m_phonebook.Entries();
    const auto found = std::find_if(entries.cbegin(), entries.cend(),
        [record](const PhonebookEntry& entry) { return entry.record == record; });
    if (found != entries.cend())
        m_list->insertItem(int(found - entries.cbegin()), NewListItem(*found));
}

int CPhonebookDialog::SelectedRow() const
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

const PhonebookEntry* CPhonebookDialog::SelectedEntry() const
{
    const int row = SelectedRow();
    return row < 0 ? nullptr : m_phonebook.FindRecord(RecordOf(m_list->item(row)));
}

// The box holds the selected entry's note whenever it can be edited.
bool CPhonebookDialog::NoteFits(const QString& note) const
{
    const PhonebookEntry* entry = SelectedEntry();
    return m_phonebook.NoteFits(entry ? entry->record : -1, note);
}

void CPhonebookDialog::EnableEntryControls(bool enable)
{
    m_btnRemove->setEnabled(enable);
    m_btnUse->setEnabled(enable);
    m_noteEdit->setEnabled(enable);
}

// Setting the note from the program is no edit: nothing is written.
void CPhonebookDialog::ShowNote(const QString& note)
{
    m_bSettingNote = true;
    m_noteEdit->setPlainText(note);
    m_bSettingNote = false;
}

void CPhonebookDialog::SetAddressText(const QString& text)
{
    m_addressLimit->SetAcceptedText(text);
    m_addressEdit->setText(text);
}

void CPhonebookDialog::OnChangeAddress()
{
    m_strAddress = m_addressEdit->text();
    if (!m_strAddress.isEmpty()) {
        m_btnAdd->setEnabled(true);
        EnableEntryControls(false);
        ShowNote(QString());
        return;
    }
    m_btnAdd->setEnabled(false);
    // The note box was emptied while an address was typed; it shows the
    // selected entry's note again, so that an edit never overwrites a note
    // the user could not see.
    if (const PhonebookEntry* entry = SelectedEntry()) {
        EnableEntryControls(true);
        ShowNote(entry->note);
    }
}

void CPhonebookDialog::OnAdd()
{
    m_strAddress = m_addressEdit->text();
    // The entry may hold less than the text typed: an address ends at a NUL
    // character.
    int record = -1;
    const PhonebookAddResult result = m_phonebook.Add(m_strAddress, &record);
    switch (result) {
    case PhonebookAddResult::Added:
        InsertEntry(record);
        EndAdd();
        return;
    case PhonebookAddResult::EmptyAddress:
        return;
    case PhonebookAddResult::Full:
    case PhonebookAddResult::WriteFailed:
        ShowMessageBox(CPhonebook::AddFailureText(result));
        EndAdd();
        return;
    case PhonebookAddResult::NotOpen:
    case PhonebookAddResult::TooLong:
    case PhonebookAddResult::ReservedAddress:
    case PhonebookAddResult::AlreadyPresent:
        // The address stays in its box, to be corrected or used elsewhere.
        ShowMessageBox(CPhonebook::AddFailureText(result));
        m_addressEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
}

void CPhonebookDialog::EndAdd()
{
    SetAddressText(QString());
    m_btnAdd->setEnabled(false);
    m_addressEdit->setFocus(Qt::OtherFocusReason);
}

void CPhonebookDialog::OnRemove()
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

void CPhonebookDialog::OnSelChange()
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

void CPhonebookDialog::OnChangeNote()
{
    if (m_bSettingNote)
        return;
    const PhonebookEntry* entry = SelectedEntry();
    if (!entry)
        return;
    if (!m_phonebook.SetNote(entry->record, m_noteEdit->toPlainText())) {
        ShowMessageBox(WriteFailureText(m_phonebook));
        ShowNote(entry->note);
    }
}

void CPhonebookDialog::OnUse()
{
    const PhonebookEntry* entry = SelectedEntry();
    if (!entry || !m_targetPage)
        return;
    m_targetPage->m_strHost = entry->address;
    SendAppMessage(m_targetPage, WM_APP_REFRESH);
    accept();
}

} // namespace netsonde
