// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/NameServerLookUpPage.h"

#include "dns/LookUpOptions.h"
#include "dns/SearchTypeTable.h"
#include "pages/PageExchange.h"
#include "resources/ResourceIds.h"
#include "run/RunInputs.h"
#include "settings/SettingsKeys.h"

#include <QComboBox>

namespace netsonde {

NameServerLookUpPage::NameServerLookUpPage(QWidget* parent)
    : PropertyPage(kNsLookupDialog, HostExchange::MatchedAgainstList, parent)
{
}

void NameServerLookUpPage::CreateControls()
{
    QComboBox* host = AddHostCombo(kNsHostControl, {75, 4, 171, 60});
    AddLabel(QStringLiteral("&Host or Address:"), {3, 6, 70, 10}, host);
    m_searchTypeBox = AddCombo(kNsSearchTypeControl, {75, 19, 171, 100}, false);
    AddLabel(QStringLiteral("&Type of Search"), {3, 21, 70, 10}, m_searchTypeBox);
    m_nameServerBox = AddCombo(kNsServerControl, {75, 34, 171, 60}, true);
    AddLabel(QStringLiteral("&Name Server:"), {3, 36, 70, 10}, m_nameServerBox);
    m_clearOutputCheckBox = AddCheckBox(kNsClearControl, QStringLiteral("Clear &Output"), {75, 50, 55, 10});
    m_verbose = AddCheckBox(kNsVerboseControl, QStringLiteral("&Verbose Format"), {141, 50, 83, 10});
    // Only the user's choice counts as a selection change; the program's own
    // selections update the name-server field themselves.
    connect(m_searchTypeBox, &QComboBox::activated, this, [this] {
        DoDataExchange(true);
        UpdateNameServerEnabled();
    });
}

void NameServerLookUpPage::OnInitDialog()
{
    LoadRecentList(HostCombo(), SettingKey::NsLookUpRecentList);
    LoadRecentList(m_nameServerBox, SettingKey::NsLookUpNameServers);
    for (const SearchType& type : SearchTypeTable)
        m_searchTypeBox->addItem(QString::fromLatin1(type.text));
    const int index = ReadIntSetting(SettingKey::NsLookUpSearchType);
    m_searchTypeBox->setCurrentIndex(index >= 0 && index < m_searchTypeBox->count() ? index : -1);
    UpdateNameServerEnabled();
    m_clearOutput = ReadFlagSetting(SettingKey::NsLookUpClearOutput);
    m_verboseFormat = ReadFlagSetting(SettingKey::NsLookUpVerboseFormat);
    m_searchType = m_searchTypeBox->currentText();
    DoDataExchange(false);
    HostCombo()->setFocus(Qt::OtherFocusReason);
}

void NameServerLookUpPage::OnDestroy()
{
    DoDataExchange(true);
    WriteSetting(SettingKey::NsLookUpSearchType, m_searchTypeBox->currentIndex());
    WriteFlagSetting(SettingKey::NsLookUpClearOutput, m_clearOutput);
    WriteFlagSetting(SettingKey::NsLookUpVerboseFormat, m_verboseFormat);
    SaveRecentList(HostCombo(), SettingKey::NsLookUpRecentList);
    SaveRecentList(m_nameServerBox, SettingKey::NsLookUpNameServers);
}

void NameServerLookUpPage::DoDataExchange(bool saveAndValidate)
{
    ExchangeHost(saveAndValidate);
    ExchangeComboText(m_searchTypeBox, m_searchType, saveAndValidate, HostExchange::MatchedAgainstList);
    ExchangeComboText(m_nameServerBox, m_nameServer, saveAndValidate, HostExchange::MatchedAgainstList);
    ExchangeCheck(m_clearOutputCheckBox, m_clearOutput, saveAndValidate);
    ExchangeCheck(m_verbose, m_verboseFormat, saveAndValidate);
}

QList<QWidget*> NameServerLookUpPage::InputControls() const
{
    return {HostCombo(), m_searchTypeBox, m_nameServerBox, m_clearOutputCheckBox, m_verbose};
}

QList<QWidget*> NameServerLookUpPage::StretchableFields() const
{
    return {HostCombo(), m_searchTypeBox, m_nameServerBox};
}

void NameServerLookUpPage::ClearRecentList()
{
    PropertyPage::ClearRecentList();
    ClearCombo(m_nameServerBox);
}

void NameServerLookUpPage::OnTabSelected()
{
    DoDataExchange(true);
    if (m_host.isEmpty())
        SelectFirstEntry(HostCombo());
    if (m_nameServer.isEmpty())
        SelectFirstEntry(m_nameServerBox);
}

void NameServerLookUpPage::SelectInitialEntries()
{
    SelectFirstEntry(HostCombo());
    SelectFirstEntry(m_nameServerBox);
}

void NameServerLookUpPage::WriteInputs(RunInputs& inputs)
{
    PropertyPage::WriteInputs(inputs);
    inputs.searchType = m_searchType;
    inputs.nameServer = m_nameServer;
    inputs.clearOutput = m_clearOutput;
    inputs.verboseFormat = m_verboseFormat;
    ReadStoredLookUpOptions(inputs);
}

void NameServerLookUpPage::RecordRun(const RunInputs& inputs)
{
    AddRecentHost(inputs.host);
    if (inputs.searchType != GetHostByXSearchType())
        AddRecentNameServer(inputs.nameServer);
    DoDataExchange(false);
}

bool NameServerLookUpPage::NameServerUsable() const
{
    return m_searchTypeBox->currentText() != GetHostByXSearchType();
}

void NameServerLookUpPage::UpdateNameServerEnabled()
{
    m_nameServerBox->setEnabled(NameServerUsable());
}

void NameServerLookUpPage::AddRecentNameServer(const QString& text)
{
    AddRecentEntry(m_nameServerBox, text);
}

QStringList NameServerLookUpPage::RecentNameServers() const
{
    return ComboEntries(m_nameServerBox);
}

void NameServerLookUpPage::SelectFirstSearchType()
{
    m_searchTypeBox->setCurrentIndex(0);
    m_searchType = m_searchTypeBox->currentText();
    UpdateNameServerEnabled();
}

} // namespace netsonde
