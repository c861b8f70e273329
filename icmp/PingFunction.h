// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ping: a number of echo requests to one host, one row each, with a pause
// between them.

#include "icmp/IcmpFunction.h"

namespace netsonde {

class CPingFunction : public CIcmpFunction {
public:
    CPingFunction(CRunController& runs, std::shared_ptr<echo::EchoService> service, CHostLookups lookups);
    void Start(const CRunInputs& inputs) override { StartPing(inputs); }
    void StartPing(const CRunInputs& inputs);
};

// The worker's routine, run on its own thread with the inputs read at Go.
void PingWorker(const CRunInputs& inputs, CIcmpRun& run);

} // namespace netsonde
