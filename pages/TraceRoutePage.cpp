// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/TraceRoutePage.h"

#include "icmp/TraceOptions.h"
#include "pages/PageExchange.h"
#include "resources/ResourceIds.h"
#include "run/RunInputs.h"
#include "settings/SettingsKeys.h"

#include <QComboBox>

namespace netsonde {

TraceRoutePage::TraceRoutePage(QWidget* parent)
    : PropertyPage(kTraceRouteDialog, HostExchange::MatchedAgainstList, parent)
{
}

void TraceRoutePage::CreateControls()
{
    QComboBox* host = AddHostCombo(kTraceHostControl, {75, 6, 171, 60});
    AddLabel(QStringLiteral("&Host or Address:"), {3, 8, 70, 10}, host);
    m_timeoutField =
        AddSpinField(kTraceTimeoutControl, kTraceTimeoutSpinControl, SettingKey::TraceRouteTimeout, {75, 24, 34, 12});
    AddLabel(QStringLiteral("&Timeout (secs):"), {3, 26, 70, 10}, m_timeoutField);
    m_hops = AddSpinField(kTraceHopsControl, kTraceHopsSpinControl, SettingKey::TraceRouteHops, {190, 24, 34, 12});
    AddLabel(QStringLiteral("Maximum H&ops:"), {118, 26, 70, 10}, m_hops);
    m_resolveCheckBox = AddCheckBox(kTraceResolveControl, QStringLiteral("&Resolve IP Addresses"), {75, 43, 100, 10});
    m_repeatCheckBox = AddCheckBox(kTraceRepeatControl, QStringLiteral("R&epeat"), {178, 43, 45, 10});
}

void TraceRoutePage::OnInitDialog()
{
    LoadRecentList(HostCombo(), SettingKey::TraceRouteRecentList);
    m_timeout = static_cast<unsigned>(ReadIntSetting(SettingKey::TraceRouteTimeout));
    m_maxHops = static_cast<unsigned>(ReadIntSetting(SettingKey::TraceRouteHops));
    m_resolve = ReadFlagSetting(SettingKey::TraceRouteResolve);
    m_repeat = ReadFlagSetting(SettingKey::TraceRouteRepeat);
    DoDataExchange(false);
    HostCombo()->setFocus(Qt::OtherFocusReason);
}

void TraceRoutePage::OnDestroy()
{
    DoDataExchange(true);
    WriteSetting(SettingKey::TraceRouteTimeout, static_cast<int>(m_timeout));
    WriteSetting(SettingKey::TraceRouteHops, static_cast<int>(m_maxHops));
    WriteFlagSetting(SettingKey::TraceRouteResolve, m_resolve);
    WriteFlagSetting(SettingKey::TraceRouteRepeat, m_repeat);
    SaveRecentList(HostCombo(), SettingKey::TraceRouteRecentList);
}

void TraceRoutePage::DoDataExchange(bool saveAndValidate)
{
    ExchangeHost(saveAndValidate);
    ExchangeUnsigned(m_timeoutField, m_timeout, saveAndValidate);
    ExchangeUnsigned(m_hops, m_maxHops, saveAndValidate);
    ExchangeCheck(m_resolveCheckBox, m_resolve, saveAndValidate);
    ExchangeCheck(m_repeatCheckBox, m_repeat, saveAndValidate);
}

QList<QWidget*> TraceRoutePage::InputControls() const
{
    return {HostCombo(), m_timeoutField, m_hops, m_resolveCheckBox, m_repeatCheckBox};
}

void TraceRoutePage::WriteInputs(RunInputs& inputs)
{
    PropertyPage::WriteInputs(inputs);
    inputs.timeout = m_timeout;
    inputs.maxHops = m_maxHops;
    inputs.resolve = m_resolve;
    inputs.rounds = m_repeat ? 0 : 1;
    ReadStoredTraceOptions(inputs);
}

void TraceRoutePage::RecordRun(const RunInputs& inputs)
{
    PropertyPage::RecordRun(inputs);
    DoDataExchange(true);
}

} // namespace netsonde
