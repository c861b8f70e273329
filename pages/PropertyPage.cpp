// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/PropertyPage.h"

#include "run/RunInputs.h"
#include "settings/RecentList.h"
#include "settings/SettingsKeys.h"
#include "widgets/ControlIds.h"
#include "widgets/SpinField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace netsonde {

PropertyPage::PropertyPage(int dialogId, HostExchange hostExchange, QWidget* parent)
    : QWidget(parent), m_hostExchange(hostExchange), m_units(font())
{
    SetDialogId(this, dialogId);
}

void PropertyPage::Create()
{
    CreateControls();
    OnInitDialog();
}

void PropertyPage::Destroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    OnDestroy();
}

QList<QWidget*> PropertyPage::StretchableFields() const
{
    return {m_hostCombo};
}

void PropertyPage::AddRecentHost(const QString& text)
{
    AddRecentEntry(m_hostCombo, text);
}

void PropertyPage::ClearRecentList()
{
    ClearCombo(m_hostCombo);
}

QStringList PropertyPage::RecentHosts() const
{
    return ComboEntries(m_hostCombo);
}

QStringList PropertyPage::ComboEntries(const QComboBox* combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

void PropertyPage::OnTabSelected()
{
    DoDataExchange(true);
    if (m_host.isEmpty())
        SelectFirstEntry(m_hostCombo);
}

void PropertyPage::SelectInitialEntries()
{
    SelectFirstEntry(m_hostCombo);
}

void PropertyPage::Refresh()
{
    DoDataExchange(false);
}

void PropertyPage::WriteInputs(RunInputs& inputs)
{
    DoDataExchange(true);
    inputs.host = m_host;
}

void PropertyPage::RecordRun(const RunInputs& inputs)
{
    AddRecentHost(inputs.host);
    DoDataExchange(false);
}

void PropertyPage::FocusHost()
{
    m_hostCombo->setFocus(Qt::OtherFocusReason);
}

void PropertyPage::ExchangeHost(bool saveAndValidate)
{
    ExchangeComboText(m_hostCombo, m_host, saveAndValidate, m_hostExchange);
}

void PropertyPage::ExchangeComboText(QComboBox* combo, QString& text, bool saveAndValidate, HostExchange rule)
{
    if (saveAndValidate) {
        text = combo->currentText();
        return;
    }
    if (rule == HostExchange::MatchedAgainstList && !text.isEmpty()) {
        const int match = RecentList::FindEntryStartingWith(ComboEntries(combo), text);
        if (match >= 0) {
            combo->setCurrentIndex(match);
            combo->setEditText(combo->itemText(match));
            return;
        }
    }
    if (combo->isEditable())
        combo->setEditText(text);
    else
        combo->setCurrentIndex(-1);
}

void PropertyPage::SelectFirstEntry(QComboBox* combo)
{
    if (combo->count() == 0)
        return;
    combo->setCurrentIndex(0);
    if (combo->isEditable())
        combo->setEditText(combo->itemText(0));
}

void PropertyPage::ClearCombo(QComboBox* combo)
{
    combo->clear();
    combo->setEditText(QString());
}

void PropertyPage::LoadRecentList(QComboBox* combo, SettingKey key, bool sorted)
{
    QStringList entries = RecentList::Parse(ReadTextSetting(key));
    if (sorted)
        RecentList::SortAlphabetically(entries);
    combo->addItems(entries);
    combo->setEditText(QString());
}

void PropertyPage::SaveRecentList(QComboBox* combo, SettingKey key)
{
    WriteSetting(key, RecentList::Format(ComboEntries(combo)));
}

void PropertyPage::AddRecentEntry(QComboBox* combo, const QString& text)
{
    QStringList entries = ComboEntries(combo);
    RecentList::Add(entries, text);
    const QString editText = combo->currentText();
    combo->clear();
    combo->addItems(entries);
    combo->setCurrentIndex(0);
    combo->setEditText(editText);
}

QLabel* PropertyPage::AddLabel(const QString& text, QRect units, QWidget* buddy)
{
    auto* label = new QLabel(text, this);
    label->setGeometry(m_units.Rect(units.x(), units.y(), units.width(), units.height()));
    label->setBuddy(buddy);
    return label;
}

QComboBox* PropertyPage::AddCombo(int id, QRect units, bool editable)
{
    auto* combo = new QComboBox(this);
    SetControlId(combo, id);
    combo->setEditable(editable);
    if (editable)
        combo->setInsertPolicy(QComboBox::NoInsert);
    const QRect r = m_units.Rect(units.x(), units.y(), units.width(), 0);
    combo->setGeometry(r.x(), r.y(), r.width(), combo->sizeHint().height());
    return combo;
}

QComboBox* PropertyPage::AddHostCombo(int id, QRect units)
{
    m_hostCombo = AddCombo(id, units, true);
    m_hostCombo->setMaxVisibleItems(12);
    return m_hostCombo;
}

QCheckBox* PropertyPage::AddCheckBox(int id, const QString& text, QRect units)
{
    auto* box = new QCheckBox(text, this);
    SetControlId(box, id);
    const QRect r = m_units.Rect(units.x(), units.y(), units.width(), units.height());
    box->setGeometry(r.x(), r.y(), qMax(r.width(), box->sizeHint().width()),
                     qMax(r.height(), box->sizeHint().height()));
    return box;
}

QLineEdit* PropertyPage::AddLineEdit(int id, QRect units)
{
    auto* edit = new QLineEdit(this);
    SetControlId(edit, id);
    const QRect r = m_units.Rect(units.x(), units.y(), units.width(), 0);
    edit->setGeometry(r.x(), r.y(), r.width(), edit->sizeHint().height());
    return edit;
}

SpinField* PropertyPage::AddSpinField(int editId, int spinId, SettingKey key, QRect units)
{
    const SettingInfo& range = SettingInfoOf(key);
    auto* field = new SpinField(editId, spinId, range.minimum, range.maximum, this);
    const QRect r = m_units.Rect(units.x(), units.y(), units.width(), 0);
    field->setGeometry(r.x(), r.y(), r.width(), field->sizeHint().height());
    return field;
}

} // namespace netsonde
