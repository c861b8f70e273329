// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/PingPage.h"

#include "pages/PageExchange.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsKeys.h"

#include <QComboBox>

namespace netsonde {

CPingPage::CPingPage(QWidget* parent)
    : CPropertyPage(IDD_PING, HostExchange::Unchanged, parent)
{
}

void CPingPage::CreateControls()
{
    QComboBox* host = AddHostCombo(IDC_PING_HOST, {75, 6, 171, 60});
    AddLabel(QStringLiteral("&Host or Address:"), {3, 8, 70, 10}, host);
    m_timeout = AddSpinField(IDC_PING_TIMEOUT, IDC_PING_TIMEOUT_SPIN, 1, 60, {75, 24, 34, 12});
    AddLabel(QStringLiteral("&Timeout (secs):"), {3, 26, 70, 10}, m_timeout);
    m_pings = AddSpinField(IDC_PING_COUNT, IDC_PING_COUNT_SPIN, 1, 30, {190, 24, 34, 12});
    AddLabel(QStringLiteral("Number of &Pings:"), {118, 26, 70, 10}, m_pings);
    m_delay = AddSpinField(IDC_PING_DELAY, IDC_PING_DELAY_SPIN, 0, 10000, {75, 42, 44, 12});
    AddLabel(QStringLiteral("&Delay (ms):"), {3, 44, 70, 10}, m_delay);
    m_resolve = AddCheckBox(IDC_PING_RESOLVE, QStringLiteral("&Resolve IP Addresses"), {125, 43, 100, 10});
}

void CPingPage::OnInitDialog()
{
    LoadRecentList(HostCombo(), SettingKey::PingRecentList);
    m_nTimeout = static_cast<unsigned>(ReadIntSetting(SettingKey::PingTimeout));
    m_nDelay = static_cast<unsigned>(ReadIntSetting(SettingKey::PingDelay));
    m_nPings = static_cast<unsigned>(ReadIntSetting(SettingKey::PingNumberOfPings));
    m_bResolve = ReadFlagSetting(SettingKey::PingResolve);
    DoDataExchange(false);
    HostCombo()->setFocus(Qt::OtherFocusReason);
}

void CPingPage::OnDestroy()
{
    DoDataExchange(true);
    WriteSetting(SettingKey::PingTimeout, static_cast<int>(m_nTimeout));
    WriteSetting(SettingKey::PingDelay, static_cast<int>(m_nDelay));
    WriteSetting(SettingKey::PingNumberOfPings, static_cast<int>(m_nPings));
    WriteFlagSetting(SettingKey::PingResolve, m_bResolve);
    SaveRecentList(HostCombo(), SettingKey::PingRecentList);
}

void CPingPage::DoDataExchange(bool bSaveAndValidate)
{
    ExchangeHost(bSaveAndValidate);
    ExchangeUnsigned(m_timeout, m_nTimeout, bSaveAndValidate);
    ExchangeUnsigned(m_pings, m_nPings, bSaveAndValidate);
    ExchangeUnsigned(m_delay, m_nDelay, bSaveAndValidate);
    ExchangeCheck(m_resolve, m_bResolve, bSaveAndValidate);
}

QList<QWidget*> CPingPage::InputControls() const
{
    return {HostCombo(), m_timeout, m_pings, m_delay, m_resolve};
}

} // namespace netsonde
