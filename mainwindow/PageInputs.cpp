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

void ReadUserHostPage(CUserHostPage& page, CRunInputs& inputs)
{
    page.SplitHostField();
    page.DoDataExchange(true);
    inputs.strHost = page.m_strHost;
    inputs.strUser = page.m_strUser;
    inputs.bClearOutput = page.m_bClearOutput;
}

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
    switch (id) {
    case FunctionId::Ping: {
        CPingPage& page = *PingPage();
        page.DoDataExchange(true);
        inputs.strHost = page.m_strHost;
        inputs.nTimeout = page.m_nTimeout;
        inputs.nPings = page.m_nPings;
        inputs.nDelay = page.m_nDelay;
        inputs.bResolve = page.m_bResolve;
        break;
    }
    case FunctionId::TraceRoute: {
        CTraceRoutePage& page = *TraceRoutePage();
        page.DoDataExchange(true);
        inputs.strHost = page.m_strHost;
        inputs.nTimeout = page.m_nTimeout;
        inputs.nMaxHops = page.m_nMaxHops;
        inputs.bResolve = page.m_bResolve;
        break;
    }
    case FunctionId::Finger:
        ReadUserHostPage(*FingerPage(), inputs);
        inputs.bVerboseFormat = FingerPage()->m_bVerboseFormat;
        inputs.strFireWall = m_options.strFingerFireWall;
        break;
    case FunctionId::WhoIs:
        ReadUserHostPage(*WhoIsPage(), inputs);
        inputs.strFireWall = m_options.strWhoIsFireWall;
        break;
    case FunctionId::NameServerLookUp: {
        CNameServerLookUpPage& page = *NameServerLookUpPage();
        page.DoDataExchange(true);
        inputs.strHost = page.m_strHost;
        inputs.strSearchType = page.m_strSearchType;
        inputs.strNameServer = page.m_strNameServer;
        inputs.bClearOutput = page.m_bClearOutput;
        inputs.bVerboseFormat = page.m_bVerboseFormat;
        break;
    }
    case FunctionId::QuoteOfDay: {
        CQuoteOfDayPage& page = *QuoteOfDayPage();
        page.DoDataExchange(true);
        inputs.strHost = page.m_strHost;
        inputs.bClearOutput = page.m_bClearOutput;
        break;
    }
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
