// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/PingPage.h"

#include "pages/PageExchange.h"
#include "resources/ResourceIds.h"
#include "run/RunInputs.h"
#include "settings/SettingsKeys.h"

#include <QCheckBox>
#include <QComboBox>

namespace netsonde {

PingPage::PingPage(QWidget* parent) : PropertyPage(kPingDialog, HostExchange::Unchanged, parent) {}

void PingPage::CreateControls()
{
    QComboBox* host = AddHostCombo(kPingHostControl, {75, 6, 171, 60});
    AddLabel(QStringLiteral("&Host or Address:"), {3, 8, 70, 10}, host);
    m_timeoutField =
        AddSpinField(kPingTimeoutControl, kPingTimeoutSpinControl, SettingKey::PingTimeout, {75, 24, 34, 12});
    AddLabel(QStringLiteral("&Timeout (secs):"), {3, 26, 70, 10}, m_timeoutField);
    m_pingsField =
        AddSpinField(kPingCountControl, kPingCountSpinControl, SettingKey::PingNumberOfPings, {190, 24, 34, 12});
    AddLabel(QStringLiteral("Number of &Pings:"), {118, 26, 70, 10}, m_pingsField);
    m_delayField = AddSpinField(kPingDelayControl, kPingDelaySpinControl, SettingKey::PingDelay, {75, 42, 44, 12});
    AddLabel(QStringLiteral("&Delay (ms):"), {3, 44, 70, 10}, m_delayField);
    m_resolveCheckBox = AddCheckBox(kPingResolveControl, QStringLiteral("&Resolve IP Addresses"), {125, 43, 100, 10});
    m_untilStoppedCheckBox =
        AddCheckBox(kPingUntilStoppedControl, QStringLiteral("&Until stopped"), {125, 56, 100, 10});
    connect(m_untilStoppedCheckBox, &QCheckBox::toggled, m_pingsField,
            [this](bool on) { m_pingsField->setEnabled(!on); });
}

void PingPage::OnInitDialog()
{
    LoadRecentList(HostCombo(), SettingKey::PingRecentList);
    m_timeout = static_cast<unsigned>(ReadIntSetting(SettingKey::PingTimeout));
    m_delay = static_cast<unsigned>(ReadIntSetting(SettingKey::PingDelay));
    m_pings = static_cast<unsigned>(ReadIntSetting(SettingKey::PingNumberOfPings));
    m_resolve = ReadFlagSetting(SettingKey::PingResolve);
    m_untilStopped = ReadFlagSetting(SettingKey::PingUntilStopped);
    DoDataExchange(false);
    HostCombo()->setFocus(Qt::OtherFocusReason);
}

void PingPage::OnDestroy()
{
    DoDataExchange(true);
    WriteSetting(SettingKey::PingTimeout, static_cast<int>(m_timeout));
    WriteSetting(SettingKey::PingDelay, static_cast<int>(m_delay));
    WriteSetting(SettingKey::PingNumberOfPings, static_cast<int>(m_pings));
    WriteFlagSetting(SettingKey::PingResolve, m_resolve);
    WriteFlagSetting(SettingKey::PingUntilStopped, m_untilStopped);
    SaveRecentList(HostCombo(), SettingKey::PingRecentList);
}

void PingPage::DoDataExchange(bool saveAndValidate)
{
    ExchangeHost(saveAndValidate);
    ExchangeUnsigned(m_timeoutField, m_timeout, saveAndValidate);
    ExchangeUnsigned(m_pingsField, m_pings, saveAndValidate);
    ExchangeUnsigned(m_delayField, m_delay, saveAndValidate);
    ExchangeCheck(m_resolveCheckBox, m_resolve, saveAndValidate);
    ExchangeCheck(m_untilStoppedCheckBox, m_untilStopped, saveAndValidate);
}

QList<QWidget*> PingPage::InputControls() const
{
    if (m_untilStoppedCheckBox->isChecked())
        return {HostCombo(), m_timeoutField, m_delayField, m_resolveCheckBox, m_untilStoppedCheckBox};
    return {HostCombo(), m_timeoutField, m_pingsField, m_delayField, m_resolveCheckBox, m_untilStoppedCheckBox};
}

void PingPage::WriteInputs(RunInputs& inputs)
{
    PropertyPage::WriteInputs(inputs);
    inputs.timeout = m_timeout;
    inputs.pings = m_pings;
    inputs.delay = m_delay;
    inputs.resolve = m_resolve;
    inputs.pingUntilStopped = m_untilStopped;
}

void PingPage::RecordRun(const RunInputs& inputs)
{
    PropertyPage::RecordRun(inputs);
    DoDataExchange(true);
}

} // namespace netsonde
