// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The base of the six function pages: a child dialog inside the main
// window's tab control that owns its function's inputs, loads them from the
// settings store when created and saves them when destroyed, keeps a Recent
// List in its host field, and refreshes its fields or focuses its host field
// when the main window asks.

#include "settings/SettingsKeys.h"
#include "widgets/DialogUnits.h"

#include <QList>
#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace netsonde {

class SpinField;
struct RunInputs;

enum class HostExchange {
    Unchanged,         // the member goes into the field as it is
    MatchedAgainstList // the first list entry that begins with it is selected
};

class PropertyPage : public QWidget {
    Q_OBJECT
public:
    PropertyPage(int dialogId, HostExchange hostExchange, QWidget* parent);

    // Builds the controls and runs the page's initialisation.
    void Create();
    // Saves the page, once; the main window calls it when it is destroyed.
    void Destroy();

    // Copies the controls into the members (true) or back (false).
    virtual void DoDataExchange(bool saveAndValidate) = 0;

    QComboBox* HostCombo() const { return m_hostCombo; }
    // The controls that a run disables, and the fields that widen with the page.
    virtual QList<QWidget*> InputControls() const = 0;
    virtual QList<QWidget*> StretchableFields() const;

    void AddRecentHost(const QString& text);
    virtual void ClearRecentList();
    QStringList RecentHosts() const;

    // What the main window does when this page's tab is selected, after
    // showing it: read the fields and bring back the most recent host.
    virtual void OnTabSelected();
    // The page's part of the main window's initial selection.
    virtual void SelectInitialEntries();
    // Puts the members back into the controls.
    virtual void Refresh();
    // Gives the host field the keyboard focus.
    virtual void FocusHost();

    // Go: reads the fields and writes the page's values into the run's inputs.
    virtual void WriteInputs(RunInputs& inputs);
    // A run has begun: its entries go to the top of the page's Recent Lists
    // and the fields show the page's values again.
    virtual void RecordRun(const RunInputs& inputs);

    QString m_host;

protected:
    virtual void CreateControls() = 0;
    virtual void OnInitDialog() = 0;
    virtual void OnDestroy() = 0;

    void ExchangeHost(bool saveAndValidate);
    static void ExchangeComboText(QComboBox* combo, QString& text, bool saveAndValidate, HostExchange rule);
    static void SelectFirstEntry(QComboBox* combo);
    static void ClearCombo(QComboBox* combo);

    static void LoadRecentList(QComboBox* combo, SettingKey key, bool sorted = false);
    static void SaveRecentList(QComboBox* combo, SettingKey key);
    static void AddRecentEntry(QComboBox* combo, const QString& text);
    static QStringList ComboEntries(const QComboBox* combo);

    QLabel* AddLabel(const QString& text, QRect units, QWidget* buddy = nullptr);
    QComboBox* AddHostCombo(int id, QRect units);
    QComboBox* AddCombo(int id, QRect units, bool editable);
    QCheckBox* AddCheckBox(int id, const QString& text, QRect units);
    QLineEdit* AddLineEdit(int id, QRect units);
    // A spin field whose range is that of the stored value's key.
    SpinField* AddSpinField(int editId, int spinId, SettingKey key, QRect units);

    const DialogUnits& Units() const { return m_units; }

private:
    HostExchange m_hostExchange;
    DialogUnits m_units;
    QComboBox* m_hostCombo = nullptr;
    bool m_destroyed = false;
};

} // namespace netsonde
