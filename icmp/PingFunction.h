#pragma once
// Ping: a number of echo requests to one host, one row each, with a pause
// between them.

#include "icmp/IcmpFunction.h"

namespace netsonde {

// What a Ping worker reads from its page, copied when the run starts.
struct CPingSettings {
    QString strHost;
    unsigned nPings = 0;
    unsigned nTimeout = 0;
    unsigned nDelay = 0;
    bool bResolve = false;
};

class CPingFunction : public CIcmpFunction {
public:
    CPingFunction(CMainDialog& dialog, std::shared_ptr<CIcmpSession> session);

    void Start() override { StartPing(); }
    void StartPing();
    void CancelPing() { Cancel(); }
};

// The worker's routine, run on its own thread.
int PingWorker(CPingSettings settings, CIcmpRun run);

} // namespace netsonde
