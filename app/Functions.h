// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The composition of the run layer's function table: the six functions and
// the services they use. The window and report mode both start from it.

#include "platform/resolver/HostLookup.h"
#include "run/RunController.h"

#include <memory>

namespace netsonde {

namespace echo {
class EchoService;
}

void InstallFunctions(RunController& runs, std::shared_ptr<echo::EchoService> service,
                      HostLookups lookups = HostLookups::System());

} // namespace netsonde
