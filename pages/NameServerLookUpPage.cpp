// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/NameServerLookUpPage.h"

#include "dns/SearchTypeTable.h"
#include "pages/PageExchange.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsKeys.h"

#include <QComboBox>

namespace netsonde {

CNameServerLookUpPage::CNameServerLookUpPage(QWidget* parent)
    : CPropertyPage(IDD_NSLOOKUP, HostExchange::MatchedAgainstList, parent)
{
}

void CNameServerLookUpPage::CreateControls()
{
    QComboBox* host = AddHostCombo(IDC_NS_HOST, {75, 4, 171, 60});
    AddLabel(QStringLiteral("&Host or Address:"), {3, 6, 70, 10}, host);
    m_searchType = AddCombo(IDC_NS_SEARCH_TYPE, {75, 19, 171, 100}, false);
    AddLabel(QStringLiteral("&Type of Search"), {3, 21, 70, 10}, m_searchType);
    m_nameServer = AddCombo(IDC_NS_SERVER, {75, 34, 171, 60}, true);
    AddLabel(QStringLiteral("&Name Server:"), {3, 36, 70, 10}, m_nameServer);
    m_clearOutput = AddCheckBox(IDC_NS_CLEAR, QStringLiteral("Clear &Output"), {75, 50, 55, 10});
    m_verbose = AddCheckBox(IDC_NS_VERBOSE, QStringLiteral("&Verbose Format"), {141, 50, 83, 10});
    // Only the user's choice counts as a selection change; the program's own
    // selections update the name-server field themselves.
    connect(m_searchType, &QComboBox::activated, this, [this] {
        DoDataExchange(true);
        UpdateNameServerEnabled();
    });
}

void CNameServerLookUpPage::OnInitDialog()
{
    LoadRecentList(HostCombo(), SettingKey::NsLookUpRecentList);
    LoadRecentList(m_nameServer, SettingKey::NsLookUpNameServers);
    for (const SearchType& type : SearchTypeTable)
        m_searchType->addItem(QString::fromLatin1(type.text));
    const int index = ReadIntSetting(SettingKey::NsLookUpSearchType);
    m_searchType->setCurrentIndex(index >= 0 && index < m_searchType->count() ? index : -1);
    UpdateNameServerEnabled();
    m_bClearOutput = ReadFlagSetting(SettingKey::NsLookUpClearOutput);
    m_bVerboseFormat = ReadFlagSetting(SettingKey::NsLookUpVerboseFormat);
    m_strSearchType = m_searchType->currentText();
    DoDataExchange(false);
    HostCombo()->setFocus(Qt::OtherFocusReason);
}

void CNameServerLookUpPage::OnDestroy()
{
    DoDataExchange(true);
    WriteSetting(SettingKey::NsLookUpSearchType, m_searchType->currentIndex());
    WriteFlagSetting(SettingKey::NsLookUpClearOutput, m_bClearOutput);
    WriteFlagSetting(SettingKey::NsLookUpVerboseFormat, m_bVerboseFormat);
    SaveRecentList(HostCombo(), SettingKey::NsLookUpRecentList);
    SaveRecentList(m_nameServer, SettingKey::NsLookUpNameServers);
}

void CNameServerLookUpPage::DoDataExchange(bool bSaveAndValidate)
{
    ExchangeHost(bSaveAndValidate);
    ExchangeComboText(m_searchType, m_strSearchType, bSaveAndValidate, HostExchange::MatchedAgainstList);
    ExchangeComboText(m_nameServer, m_strNameServer, bSaveAndValidate, HostExchange::MatchedAgainstList);
    ExchangeCheck(m_clearOutput, m_bClearOutput, bSaveAndValidate);
    ExchangeCheck(m_verbose, m_bVerboseFormat, bSaveAndValidate);
}

QList<QWidget*> CNameServerLookUpPage::InputControls() const
{
    return {HostCombo(), m_searchType, m_nameServer, m_clearOutput, m_verbose};
}

QList<QWidget*> CNameServerLookUpPage::StretchableFields() const
{
    return {HostCombo(), m_searchType, m_nameServer};
}

void CNameServerLookUpPage::ClearRecentList()
{
    CPropertyPage::ClearRecentList();
    ClearCombo(m_nameServer);
}

void CNameServerLookUpPage::OnTabSelected()
{
    DoDataExchange(true);
    if (m_strHost.isEmpty())
        SelectFirstEntry(HostCombo());
    if (m_strNameServer.isEmpty())
        SelectFirstEntry(m_nameServer);
}

void CNameServerLookUpPage::SelectInitialEntries()
{
    SelectFirstEntry(HostCombo());
    SelectFirstEntry(m_nameServer);
}

bool CNameServerLookUpPage::NameServerUsable() const
{
    return m_searchType->currentText() != GetHostByXSearchType();
}

void CNameServerLookUpPage::UpdateNameServerEnabled() { m_nameServer->setEnabled(NameServerUsable()); }

void CNameServerLookUpPage::AddRecentNameServer(const QString& text) { AddRecentEntry(m_nameServer, text); }

QStringList CNameServerLookUpPage::RecentNameServers() const { return ComboEntries(m_nameServer); }

void CNameServerLookUpPage::SelectFirstSearchType()
{
    m_searchType->setCurrentIndex(0);
    m_strSearchType = m_searchType->currentText();
    UpdateNameServerEnabled();
}

} // namespace netsonde
