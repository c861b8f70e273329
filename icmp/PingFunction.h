// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ping: a number of echo requests to one host, or requests until Stop, one
// row each, with a pause between them; each request is also noted as a probe.

#include "icmp/IcmpFunction.h"

namespace netsonde {

class PingFunction : public IcmpFunction {
public:
    PingFunction(RunController& runs, std::shared_ptr<echo::EchoService> service, HostLookups lookups);
    void Start(const RunInputs& inputs) override { StartPing(inputs); }
    void StartPing(const RunInputs& inputs);
};

// The worker's routine, run on its own thread with the inputs read at Go.
void PingWorker(const RunInputs& inputs, IcmpRun& run);

} // namespace netsonde
