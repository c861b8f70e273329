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
QString UserAtHost(const RunInputs& inputs)
{
    return inputs.user.isEmpty() ? inputs.host : inputs.user + QLatin1Char('@') + inputs.host;
}

} // namespace

RunInputs MainDialog::ReadInputs(FunctionId id)
{
    RunInputs inputs;
    inputs.function = id;
    PropertyPage& page = *Page(id);
    if (auto* userHost = qobject_cast<UserHostPage*>(&page))
        userHost->SplitHostField();
    page.DoDataExchange(true);
    inputs.host = page.m_host;
    inputs.preference = m_options.preferIPv6 ? AddressPreference::PreferIPv6 : AddressPreference::PreferIPv4;
    switch (id) {
    case FunctionId::Ping:
        inputs.timeout = PingTab()->m_timeout;
        inputs.pings = PingTab()->m_pings;
        inputs.delay = PingTab()->m_delay;
        inputs.resolve = PingTab()->m_resolve;
        break;
    case FunctionId::TraceRoute:
        inputs.timeout = TraceRouteTab()->m_timeout;
        inputs.maxHops = TraceRouteTab()->m_maxHops;
        inputs.resolve = TraceRouteTab()->m_resolve;
        break;
    case FunctionId::Finger:
        inputs.user = FingerTab()->m_user;
        inputs.clearOutput = FingerTab()->m_clearOutput;
        inputs.verboseFormat = FingerTab()->m_verboseFormat;
        inputs.fireWall = m_options.fingerFireWall;
        break;
    case FunctionId::WhoIs:
        inputs.user = WhoIsTab()->m_user;
        inputs.clearOutput = WhoIsTab()->m_clearOutput;
        inputs.fireWall = m_options.whoIsFireWall;
        break;
    case FunctionId::NameServerLookUp:
        inputs.searchType = NameServerLookUpTab()->m_searchType;
        inputs.nameServer = NameServerLookUpTab()->m_nameServer;
        inputs.clearOutput = NameServerLookUpTab()->m_clearOutput;
        inputs.verboseFormat = NameServerLookUpTab()->m_verboseFormat;
        break;
    case FunctionId::QuoteOfDay:
        inputs.clearOutput = QuoteOfDayTab()->m_clearOutput;
        break;
    }
    return inputs;
}

void MainDialog::RecordRecentHost(const RunInputs& inputs)
{
    PropertyPage& page = *Page(inputs.function);
    switch (inputs.function) {
    case FunctionId::Finger:
    case FunctionId::WhoIs:
        page.AddRecentHost(UserAtHost(inputs));
        break;
    case FunctionId::NameServerLookUp:
        page.AddRecentHost(inputs.host);
        if (inputs.searchType != GetHostByXSearchType())
            NameServerLookUpTab()->AddRecentNameServer(inputs.nameServer);
        break;
    default:
        page.AddRecentHost(inputs.host);
        break;
    }
    page.DoDataExchange(false);
    if (inputs.function == FunctionId::Ping || inputs.function == FunctionId::TraceRoute)
        page.DoDataExchange(true);
}

} // namespace netsonde
