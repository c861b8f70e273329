// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Functions.h"

#include "dns/NameServerLookUp.h"
#include "icmp/IcmpFunctions.h"
#include "query/TextQueryFunction.h"
#include "whois/AutoWhoIs.h"

namespace netsonde {

void InstallFunctions(RunController& runs, std::shared_ptr<echo::EchoService> service, HostLookups lookups)
{
    InstallIcmpFunctions(runs, std::move(service), std::move(lookups));
    InstallTextQueryFunctions(runs);
    runs.SetFunction(FunctionId::WhoIs, std::make_unique<AutoWhoIs>(runs));
    runs.SetFunction(FunctionId::NameServerLookUp, std::make_unique<NameServerLookUp>(runs));
}

} // namespace netsonde
