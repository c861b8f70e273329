// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/QuoteOfDayPage.h"

#include "pages/PageExchange.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsKeys.h"

#include <QComboBox>

namespace netsonde {

CQuoteOfDayPage::CQuoteOfDayPage(QWidget* parent)
    : CPropertyPage(IDD_QUOTE, HostExchange::MatchedAgainstList, parent)
{
}

void CQuoteOfDayPage::CreateControls()
{
    QComboBox* host = AddHostCombo(IDC_QUOTE_HOST, {75, 6, 171, 60});
    AddLabel(QStringLiteral("&Host or Address:"), {3, 8, 70, 10}, host);
    m_clearOutput = AddCheckBox(IDC_QUOTE_CLEAR, QStringLiteral("Clear &Output"), {75, 23, 55, 10});
}

void CQuoteOfDayPage::OnInitDialog()
{
    LoadRecentList(HostCombo(), SettingKey::QuoteRecentList);
    m_bClearOutput = ReadFlagSetting(SettingKey::QuoteClearOutput);
    DoDataExchange(false);
    HostCombo()->setFocus(Qt::OtherFocusReason);
}

void CQuoteOfDayPage::OnDestroy()
{
    DoDataExchange(true);
    WriteFlagSetting(SettingKey::QuoteClearOutput, m_bClearOutput);
    SaveRecentList(HostCombo(), SettingKey::QuoteRecentList);
}

void CQuoteOfDayPage::DoDataExchange(bool bSaveAndValidate)
{
    ExchangeHost(bSaveAndValidate);
    ExchangeCheck(m_clearOutput, m_bClearOutput, bSaveAndValidate);
}

QList<QWidget*> CQuoteOfDayPage::InputControls() const { return {HostCombo(), m_clearOutput}; }

} // namespace netsonde
