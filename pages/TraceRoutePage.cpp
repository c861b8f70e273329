// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/TraceRoutePage.h"

#include "pages/PageExchange.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsKeys.h"

#include <QComboBox>

namespace netsonde {

CTraceRoutePage::CTraceRoutePage(QWidget* parent)
    : CPropertyPage(IDD_TRACEROUTE, HostExchange::MatchedAgainstList, parent)
{
}

void CTraceRoutePage::CreateControls()
{
    QComboBox* host = AddHostCombo(IDC_TRACE_HOST, {75, 6, 171, 60});
    AddLabel(QStringLiteral("&Host or Address:"), {3, 8, 70, 10}, host);
    m_timeout = AddSpinField(IDC_TRACE_TIMEOUT, IDC_TRACE_TIMEOUT_SPIN, 1, 60, {75, 24, 34, 12});
    AddLabel(QStringLiteral("&Timeout (secs):"), {3, 26, 70, 10}, m_timeout);
    m_hops = AddSpinField(IDC_TRACE_HOPS, IDC_TRACE_HOPS_SPIN, 1, 60, {190, 24, 34, 12});
    AddLabel(QStringLiteral("Maximum H&ops:"), {118, 26, 70, 10}, m_hops);
    m_resolve = AddCheckBox(IDC_TRACE_RESOLVE, QStringLiteral("&Resolve IP Addresses"), {75, 43, 100, 10});
}

void CTraceRoutePage::OnInitDialog()
{
    LoadRecentList(HostCombo(), SettingKey::TraceRouteRecentList);
    m_nTimeout = static_cast<unsigned>(ReadIntSetting(SettingKey::TraceRouteTimeout));
    m_nMaxHops = static_cast<unsigned>(ReadIntSetting(SettingKey::TraceRouteHops));
    m_bResolve = ReadFlagSetting(SettingKey::TraceRouteResolve);
    DoDataExchange(false);
    HostCombo()->setFocus(Qt::OtherFocusReason);
}

void CTraceRoutePage::OnDestroy()
{
    DoDataExchange(true);
    WriteSetting(SettingKey::TraceRouteTimeout, static_cast<int>(m_nTimeout));
    WriteSetting(SettingKey::TraceRouteHops, static_cast<int>(m_nMaxHops));
    WriteFlagSetting(SettingKey::TraceRouteResolve, m_bResolve);
    SaveRecentList(HostCombo(), SettingKey::TraceRouteRecentList);
}

void CTraceRoutePage::DoDataExchange(bool bSaveAndValidate)
{
    ExchangeHost(bSaveAndValidate);
    ExchangeUnsigned(m_timeout, m_nTimeout, bSaveAndValidate);
    ExchangeUnsigned(m_hops, m_nMaxHops, bSaveAndValidate);
    ExchangeCheck(m_resolve, m_bResolve, bSaveAndValidate);
}

QList<QWidget*> CTraceRoutePage::InputControls() const
{
    return {HostCombo(), m_timeout, m_hops, m_resolve};
}

} // namespace netsonde
