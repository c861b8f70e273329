// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TraceRoute: echo requests with a growing Ttl, one row per hop, until the
// destination answers or the hop limit is reached. The hops are probed
// together, or one at a time when asked.

#include "icmp/IcmpFunction.h"

namespace netsonde {

class TraceRouteFunction : public IcmpFunction {
public:
    TraceRouteFunction(RunController& runs, std::shared_ptr<echo::EchoService> service, HostLookups lookups);
    void Start(const RunInputs& inputs) override { StartTraceRoute(inputs); }
    void StartTraceRoute(const RunInputs& inputs);
};

// The worker's routine, run on its own thread with the inputs read at Go.
void TraceRouteWorker(const RunInputs& inputs, IcmpRun& run);

} // namespace netsonde
