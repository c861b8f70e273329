// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ping and TraceRoute for the run layer, and what the window tells about the
// echo service.

#include "platform/resolver/HostLookup.h"
#include "run/RunController.h"

#include <QString>

#include <memory>

namespace netsonde {

namespace echo {
class EchoService;
}

// Plugs Ping and TraceRoute into the run layer's function table.
void InstallIcmpFunctions(RunController& runs, std::shared_ptr<echo::EchoService> service,
                          HostLookups lookups = HostLookups::System());

// The ICMP method each address family uses, or why it has none, one line
// per family: for the Winsock Information dialog.
QString IcmpServiceDescription(const echo::EchoService* service);

// The tooltip of the Ping and TraceRoute pages: the method of each family,
// or why the service is unavailable.
QString IcmpServiceToolTip(const echo::EchoService* service);

} // namespace netsonde
