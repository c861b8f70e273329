#pragma once
// TraceRoute: echo probes with a Ttl of 1, 2, 3 ... to one host, one row per
// hop, until the host itself answers.

#include "icmp/IcmpFunction.h"

namespace netsonde {

// What a TraceRoute worker reads from its page, copied when the run starts.
struct CTraceRouteSettings {
    QString strHost;
    unsigned nTimeout = 0;
    unsigned nMaxHops = 0;
    bool bResolve = false;
};

class CTraceRouteFunction : public CIcmpFunction {
public:
    CTraceRouteFunction(CMainDialog& dialog, std::shared_ptr<CIcmpSession> session);

    void Start() override { StartTraceRoute(); }
    void StartTraceRoute();
    void CancelTraceRoute() { Cancel(); }
};

// The worker's routine, run on its own thread.
int TraceRouteWorker(CTraceRouteSettings settings, CIcmpRun run);

// The time-out of the probe that looks for the host's second address.
constexpr std::uint32_t kSecondAddressTimeoutMs = 10000;

} // namespace netsonde
