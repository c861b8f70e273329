// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/UserHostPage.h"

#include "pages/PageExchange.h"
#include "query/AddressSplitting.h"
#include "resources/ResourceIds.h"
#include "run/RunInputs.h"
#include "settings/SettingsKeys.h"
#include "widgets/ControlIds.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScopedValueRollback>

namespace netsonde {

UserHostPage::UserHostPage(int dialogId, HostExchange hostExchange, QWidget* parent)
    : PropertyPage(dialogId, hostExchange, parent)
{
}

void UserHostPage::CreateUserHostControls(int hostId, int userId)
{
    QComboBox* host = AddHostCombo(hostId, {75, 6, 171, 60});
    AddLabel(QStringLiteral("&Host or Address:"), {3, 8, 70, 10}, host);
    m_userEdit = AddLineEdit(userId, {75, 23, 171, 12});
    AddLabel(QStringLiteral("&User:"), {3, 25, 70, 10}, m_userEdit);
    // Typing (or pasting) into the host field splits it; the User field
    // splits on every change of its text.
    connect(host->lineEdit(), &QLineEdit::textEdited, this, [this] { SplitHostField(); });
    connect(m_userEdit, &QLineEdit::textChanged, this, [this] { SplitUserField(); });
}

void UserHostPage::ExchangeUser(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_user = m_userEdit->text();
        return;
    }
    // Writing the field is no edit: splitting would read the other controls
    // back before the exchange has written them, undoing their members.
    const QScopedValueRollback<bool> exchanging(m_splitting, true);
    m_userEdit->setText(m_user);
}

void UserHostPage::SplitHostField()
{
    DoDataExchange(true);
    if (!SmartSplittingOn())
        return;
    const auto parts = SplitAtFirstAt(m_host);
    if (!parts)
        return;
    m_user = parts->user;
    m_host = parts->host;
    DoDataExchange(false);
}

void UserHostPage::SplitUserField()
{
    if (m_splitting)
        return;
    DoDataExchange(true);
    if (!SmartSplittingOn())
        return;
    const auto parts = SplitAtFirstAt(m_user);
    if (!parts)
        return;
    m_host = parts->host;
    m_user = parts->user;
    DoDataExchange(false);
    HostCombo()->setFocus(Qt::OtherFocusReason);
}

QList<QWidget*> UserHostPage::StretchableFields() const
{
    return {HostCombo(), m_userEdit};
}

void UserHostPage::OnTabSelected()
{
    DoDataExchange(true);
    if (m_host.isEmpty() && m_user.isEmpty()) {
        m_user.clear();
        DoDataExchange(false);
        SelectFirstEntry(HostCombo());
    }
}

void UserHostPage::WriteInputs(RunInputs& inputs)
{
    SplitHostField();
    PropertyPage::WriteInputs(inputs);
    inputs.user = m_user;
    inputs.clearOutput = m_clearOutput;
}

void UserHostPage::RecordRun(const RunInputs& inputs)
{
    AddRecentHost(inputs.user.isEmpty() ? inputs.host : inputs.user + QLatin1Char('@') + inputs.host);
    DoDataExchange(false);
}

void UserHostPage::Refresh()
{
    DoDataExchange(false);
    SplitHostField();
}

FingerPage::FingerPage(QWidget* parent) : UserHostPage(kFingerDialog, HostExchange::Unchanged, parent) {}

void FingerPage::CreateControls()
{
    CreateUserHostControls(kFingerHostControl, kFingerUserControl);
    m_clearOutputCheckBox = AddCheckBox(kFingerClearControl, QStringLiteral("Clear &Output"), {75, 40, 55, 10});
    m_verbose = AddCheckBox(kFingerVerboseControl, QStringLiteral("&Verbose Format"), {141, 40, 83, 10});
}

void FingerPage::OnInitDialog()
{
    LoadRecentList(HostCombo(), SettingKey::FingerRecentList);
    m_clearOutput = ReadFlagSetting(SettingKey::FingerClearOutput);
    m_verboseFormat = ReadFlagSetting(SettingKey::FingerVerboseFormat);
    DoDataExchange(false);
    HostCombo()->setFocus(Qt::OtherFocusReason);
}

void FingerPage::OnDestroy()
{
    DoDataExchange(true);
    WriteFlagSetting(SettingKey::FingerClearOutput, m_clearOutput);
    WriteFlagSetting(SettingKey::FingerVerboseFormat, m_verboseFormat);
    SaveRecentList(HostCombo(), SettingKey::FingerRecentList);
}

void FingerPage::DoDataExchange(bool saveAndValidate)
{
    ExchangeHost(saveAndValidate);
    ExchangeUser(saveAndValidate);
    ExchangeCheck(m_clearOutputCheckBox, m_clearOutput, saveAndValidate);
    ExchangeCheck(m_verbose, m_verboseFormat, saveAndValidate);
}

QList<QWidget*> FingerPage::InputControls() const
{
    return {HostCombo(), UserEdit(), m_clearOutputCheckBox, m_verbose};
}

void FingerPage::WriteInputs(RunInputs& inputs)
{
    UserHostPage::WriteInputs(inputs);
    inputs.verboseFormat = m_verboseFormat;
}

WhoIsPage::WhoIsPage(QWidget* parent) : UserHostPage(kWhoIsDialog, HostExchange::MatchedAgainstList, parent) {}

void WhoIsPage::CreateControls()
{
    CreateUserHostControls(kWhoIsHostControl, kWhoIsUserControl);
    m_clearOutputCheckBox = AddCheckBox(kWhoIsClearControl, QStringLiteral("Clear &Output"), {75, 40, 55, 10});
}

void WhoIsPage::OnInitDialog()
{
    LoadRecentList(HostCombo(), SettingKey::WhoIsRecentList, true);
    m_clearOutput = ReadFlagSetting(SettingKey::WhoIsClearOutput);
    DoDataExchange(false);
    HostCombo()->setFocus(Qt::OtherFocusReason);
}

void WhoIsPage::OnDestroy()
{
    DoDataExchange(true);
    WriteFlagSetting(SettingKey::WhoIsClearOutput, m_clearOutput);
    SaveRecentList(HostCombo(), SettingKey::WhoIsRecentList);
}

void WhoIsPage::DoDataExchange(bool saveAndValidate)
{
    ExchangeHost(saveAndValidate);
    ExchangeUser(saveAndValidate);
    ExchangeCheck(m_clearOutputCheckBox, m_clearOutput, saveAndValidate);
}

QList<QWidget*> WhoIsPage::InputControls() const
{
    return {HostCombo(), UserEdit(), m_clearOutputCheckBox};
}

} // namespace netsonde
