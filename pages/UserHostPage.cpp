// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/UserHostPage.h"

#include "query/AddressSplitting.h"
#include "pages/PageExchange.h"
#include "platform/widgets/ControlIds.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsKeys.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScopedValueRollback>

namespace netsonde {

CUserHostPage::CUserHostPage(int dialogId, HostExchange hostExchange, QWidget* parent)
    : CPropertyPage(dialogId, hostExchange, parent)
{
}

void CUserHostPage::CreateUserHostControls(int hostId, int userId)
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

void CUserHostPage::ExchangeUser(bool bSaveAndValidate)
{
    if (bSaveAndValidate) {
        m_strUser = m_userEdit->text();
        return;
    }
    // Writing the field is no edit: splitting would read the other controls
    // back before the exchange has written them, undoing their members.
    const QScopedValueRollback<bool> exchanging(m_bSplitting, true);
    m_userEdit->setText(m_strUser);
}

void CUserHostPage::SplitHostField()
{
    DoDataExchange(true);
    if (!SmartSplittingOn())
        return;
    const auto parts = SplitAtFirstAt(m_strHost);
    if (!parts)
        return;
    m_strUser = parts->user;
    m_strHost = parts->host;
    DoDataExchange(false);
}

void CUserHostPage::SplitUserField()
{
    if (m_bSplitting)
        return;
    DoDataExchange(true);
    if (!SmartSplittingOn())
        return;
    const auto parts = SplitAtFirstAt(m_strUser);
    if (!parts)
        return;
    m_strHost = parts->host;
    m_strUser = parts->user;
    DoDataExchange(false);
    HostCombo()->setFocus(Qt::OtherFocusReason);
}

QList<QWidget*> CUserHostPage::StretchableFields() const { return {HostCombo(), m_userEdit}; }

void CUserHostPage::OnTabSelected()
{
    DoDataExchange(true);
    if (m_strHost.isEmpty() && m_strUser.isEmpty()) {
        m_strUser.clear();
        DoDataExchange(false);
        SelectFirstEntry(HostCombo());
    }
}

void CUserHostPage::OnRefresh()
{
    DoDataExchange(false);
    SplitHostField();
}

CFingerPage::CFingerPage(QWidget* parent)
    : CUserHostPage(IDD_FINGER, HostExchange::Unchanged, parent)
{
}

void CFingerPage::CreateControls()
{
    CreateUserHostControls(IDC_FINGER_HOST, IDC_FINGER_USER);
    m_clearOutput = AddCheckBox(IDC_FINGER_CLEAR, QStringLiteral("Clear &Output"), {75, 40, 55, 10});
    m_verbose = AddCheckBox(IDC_FINGER_VERBOSE, QStringLiteral("&Verbose Format"), {141, 40, 83, 10});
}

void CFingerPage::OnInitDialog()
{
    LoadRecentList(HostCombo(), SettingKey::FingerRecentList);
    m_bClearOutput = ReadFlagSetting(SettingKey::FingerClearOutput);
    m_bVerboseFormat = ReadFlagSetting(SettingKey::FingerVerboseFormat);
    DoDataExchange(false);
    HostCombo()->setFocus(Qt::OtherFocusReason);
}

void CFingerPage::OnDestroy()
{
    DoDataExchange(true);
    WriteFlagSetting(SettingKey::FingerClearOutput, m_bClearOutput);
    WriteFlagSetting(SettingKey::FingerVerboseFormat, m_bVerboseFormat);
    SaveRecentList(HostCombo(), SettingKey::FingerRecentList);
}

void CFingerPage::DoDataExchange(bool bSaveAndValidate)
{
    ExchangeHost(bSaveAndValidate);
    ExchangeUser(bSaveAndValidate);
    ExchangeCheck(m_clearOutput, m_bClearOutput, bSaveAndValidate);
    ExchangeCheck(m_verbose, m_bVerboseFormat, bSaveAndValidate);
}

QList<QWidget*> CFingerPage::InputControls() const
{
    return {HostCombo(), UserEdit(), m_clearOutput, m_verbose};
}

CWhoIsPage::CWhoIsPage(QWidget* parent)
    : CUserHostPage(IDD_WHOIS, HostExchange::MatchedAgainstList, parent)
{
}

void CWhoIsPage::CreateControls()
{
    CreateUserHostControls(IDC_WHOIS_HOST, IDC_WHOIS_USER);
    m_clearOutput = AddCheckBox(IDC_WHOIS_CLEAR, QStringLiteral("Clear &Output"), {75, 40, 55, 10});
}

void CWhoIsPage::OnInitDialog()
{
    LoadRecentList(HostCombo(), SettingKey::WhoIsRecentList, true);
    m_bClearOutput = ReadFlagSetting(SettingKey::WhoIsClearOutput);
    DoDataExchange(false);
    HostCombo()->setFocus(Qt::OtherFocusReason);
}

void CWhoIsPage::OnDestroy()
{
    DoDataExchange(true);
    WriteFlagSetting(SettingKey::WhoIsClearOutput, m_bClearOutput);
    SaveRecentList(HostCombo(), SettingKey::WhoIsRecentList);
}

void CWhoIsPage::DoDataExchange(bool bSaveAndValidate)
{
    ExchangeHost(bSaveAndValidate);
    ExchangeUser(bSaveAndValidate);
    ExchangeCheck(m_clearOutput, m_bClearOutput, bSaveAndValidate);
}

QList<QWidget*> CWhoIsPage::InputControls() const { return {HostCombo(), UserEdit(), m_clearOutput}; }

} // namespace netsonde
