// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/QuoteOfDayPage.h"

#include "pages/PageExchange.h"
#include "resources/ResourceIds.h"
#include "run/RunInputs.h"
#include "settings/SettingsKeys.h"

#include <QComboBox>

namespace netsonde {

QuoteOfDayPage::QuoteOfDayPage(QWidget* parent) : PropertyPage(kQuoteDialog, HostExchange::MatchedAgainstList, parent)
{
}

void QuoteOfDayPage::CreateControls()
{
    QComboBox* host = AddHostCombo(kQuoteHostControl, {75, 6, 171, 60});
    AddLabel(QStringLiteral("&Host or Address:"), {3, 8, 70, 10}, host);
    m_clearOutputCheckBox = AddCheckBox(kQuoteClearControl, QStringLiteral("Clear &Output"), {75, 23, 55, 10});
}

void QuoteOfDayPage::OnInitDialog()
{
    LoadRecentList(HostCombo(), SettingKey::QuoteRecentList);
    m_clearOutput = ReadFlagSetting(SettingKey::QuoteClearOutput);
    DoDataExchange(false);
    HostCombo()->setFocus(Qt::OtherFocusReason);
}

void QuoteOfDayPage::OnDestroy()
{
    DoDataExchange(true);
    WriteFlagSetting(SettingKey::QuoteClearOutput, m_clearOutput);
    SaveRecentList(HostCombo(), SettingKey::QuoteRecentList);
}

void QuoteOfDayPage::DoDataExchange(bool saveAndValidate)
{
    ExchangeHost(saveAndValidate);
    ExchangeCheck(m_clearOutputCheckBox, m_clearOutput, saveAndValidate);
}

QList<QWidget*> QuoteOfDayPage::InputControls() const
{
    return {HostCombo(), m_clearOutputCheckBox};
}

void QuoteOfDayPage::WriteInputs(RunInputs& inputs)
{
    PropertyPage::WriteInputs(inputs);
    inputs.clearOutput = m_clearOutput;
}

} // namespace netsonde
