// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Phonebook dialog (146): the addresses of the phonebook file as a list
// sorted without regard to case, an address box to add from, a note for the
// selected address, and Use, which hands the selected address to the current
// function's page. Every change is written to the file at once; the file is
// open while the dialog is.

#include "phonebook/Phonebook.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace netsonde {

class NoteEdit;
class PropertyPage;
class StoredLengthValidator;
class DialogUnits;

class PhonebookDialog : public QDialog {
    Q_OBJECT
public:
    // targetPage receives the address on Use; address presets the address box.
    PhonebookDialog(PropertyPage* targetPage, const QString& address, QWidget* parent = nullptr,
                    const QString& filePath = Phonebook::DefaultFilePath());

    // Opens the file and fills the list, once; showing the dialog runs it too.
    void InitDialog();
    void setVisible(bool visible) override;

    const Phonebook& StoredPhonebook() const { return m_phonebook; }

    // Control handlers.
    void OnChangeAddress();
    void OnAdd();
    void OnRemove();
    void OnSelChange();
    void OnChangeNote();
    void OnUse();

    // The address box's text (at most 50 bytes when typed).
    QString m_address;

Q_SIGNALS:
    // The Help button was clicked.
    void helpRequested();

protected:
    void done(int result) override;

private:
    void CreateControls();
    QPushButton* AddButton(int id, const QString& text, const DialogUnits& units, QRect rect);
    void AddGroup(const QString& title, const DialogUnits& units, QRect rect);

    void LoadList();
    void InsertEntry(int record);
    int SelectedRow() const;
    const PhonebookEntry* SelectedEntry() const;
    bool NoteFits(const QString& note) const;
    void EnableEntryControls(bool enable);
    void ShowNote(const QString& note);
    void SetAddressText(const QString& text);
    void EndAdd();

    PropertyPage* m_targetPage;
    QString m_filePath;
    Phonebook m_phonebook;
    bool m_initialised = false;
    bool m_settingNote = false;

    QLineEdit* m_addressEdit = nullptr;
    StoredLengthValidator* m_addressLimit = nullptr;
    QPushButton* m_addButton = nullptr;
    QPushButton* m_removeButton = nullptr;
    QListWidget* m_list = nullptr;
    NoteEdit* m_noteEdit = nullptr;
    QPushButton* m_useButton = nullptr;
};

} // namespace netsonde
