// SPDX-License-Identifier: GPL-3.0-or-later
// The run's inputs read from the current page at Go, and the page's Recent
// List entries once the run has begun.

#include "mainwindow/MainDialog.h"

#include "dns/SearchTypeTable.h"
#include "pages/NameServerLookUpPage.h"
#include "pages/PingPage.h"
#include "pages/QuoteOfDayPage.h"
#include "pages/TraceRoutePage.h"
#include "pages/UserHostPage.h"

namespace netsonde {

namespace {

// user@host, or the host alone when no user is given.
QString UserAtHost(const CRunInputs& inputs)
{
    return inputs.strUser.isEmpty() ? inputs.strHost : inputs.strUser + QLatin1Char('@') + inputs.strHost;
}

} // namespace

CRunInputs CMainDialog::ReadInputs(FunctionId id)
{
    CRunInputs inputs;
    inputs.function = id;
    CPropertyPage& page = *Page(id);
    if (auto* userHost = qobject_cast<CUserHostPage*>(&page))
        userHost->SplitHostField();
    page.DoDataExchange(true);
    inputs.strHost = page.m_strHost;
    inputs.preference = m_options.bPreferIPv6 ? AddressPreference::PreferIPv6 : AddressPreference::PreferIPv4;
    switch (id) {
    case FunctionId::Ping:
        inputs.nTimeout = PingPage()->m_nTimeout;
        inputs.nPings = PingPage()->m_nPings;
        inputs.nDelay = PingPage()->m_nDelay;
        inputs.bResolve = PingPage()->m_bResolve;
        break;
    case FunctionId::TraceRoute:
        inputs.nTimeout = TraceRoutePage()->m_nTimeout;
        inputs.nMaxHops = TraceRoutePage()->m_nMaxHops;
        inputs.bResolve = TraceRoutePage()->m_bResolve;
        break;
    case FunctionId::Finger:
        inputs.strUser = FingerPage()->m_strUser;
        inputs.bClearOutput = FingerPage()->m_bClearOutput;
        inputs.bVerboseFormat = FingerPage()->m_bVerboseFormat;
        inputs.strFireWall = m_options.strFingerFireWall;
        break;
    case FunctionId::WhoIs:
        inputs.strUser = WhoIsPage()->m_strUser;
        inputs.bClearOutput = WhoIsPage()->m_bClearOutput;
        inputs.strFireWall = m_options.strWhoIsFireWall;
        break;
    case FunctionId::NameServerLookUp:
        inputs.strSearchType = NameServerLookUpPage()->m_strSearchType;
        inputs.strNameServer = NameServerLookUpPage()->m_strNameServer;
        inputs.bClearOutput = NameServerLookUpPage()->m_bClearOutput;
        inputs.bVerboseFormat = NameServerLookUpPage()->m_bVerboseFormat;
        break;
    case FunctionId::QuoteOfDay:
        inputs.bClearOutput = QuoteOfDayPage()->m_bClearOutput;
        break;
    }
    return inputs;
}

void CMainDialog::RecordRecentHost(const CRunInputs& inputs)
{
    CPropertyPage& page = *Page(inputs.function);
    switch (inputs.function) {
    case FunctionId::Finger:
    case FunctionId::WhoIs:
        page.AddRecentHost(UserAtHost(inputs));
        break;
    case FunctionId::NameServerLookUp:
        page.AddRecentHost(inputs.strHost);
        if (inputs.strSearchType != GetHostByXSearchType())
            NameServerLookUpPage()->AddRecentNameServer(inputs.strNameServer);
        break;
    default:
        page.AddRecentHost(inputs.strHost);
        break;
    }
    page.DoDataExchange(false);
    if (inputs.function == FunctionId::Ping || inputs.function == FunctionId::TraceRoute)
        page.DoDataExchange(true);
}

} // namespace netsonde
