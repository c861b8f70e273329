// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/TraceRouteFunction.h"

#include "icmp/HopLookups.h"
#include "icmp/ParallelTrace.h"
#include "icmp/TraceRows.h"
#include "run/RunView.h"

namespace netsonde {

namespace {

// The address the host answers from, found by an echo without a Ttl.
IpAddress FindSecondAddress(IcmpRun& run)
{
    run.SetStatus(QStringLiteral("Looking for a second IP Address ..."));
    const echo::EchoReply reply = run.SendEcho(SecondAddressProbeData(), std::nullopt, kSecondAddressTimeoutMs);
    return reply.replyCount != 0 ? reply.address : run.Destination();
}

// The answered row's Host Name, then its AS; false when the run is no longer wanted.
bool LookUpHop(IcmpRun& run, const RunInputs& inputs, unsigned hop, const IpAddress& address)
{
    if (inputs.resolve) {
        run.SetStatus(HopStatus(hop, " Got reply, resolving IP address ..."));
        const std::optional<QString> name = run.LookUpName(address);
        if (!run.StillCurrent())
            return false;
        run.SetStatus(HopStatus(hop, " Got reply, resolving IP address ... Done"));
        PostHopCell(run, hop, ResultColumn::HostName, name.value_or(QStringLiteral("Unavailable")));
    }
    if (!inputs.showAsNumbers)
        return true;
    const std::optional<QString> origin = LookUpOriginUnlessWoken(run, address, ZonesOf(inputs));
    if (!run.StillCurrent())
        return false;
    if (origin)
        PostHopCell(run, hop, ResultColumn::AutonomousSystem, *origin);
    return true;
}

// One hop's probe and row, the hop waited for. Returns the address that answered
// (0.0.0.0 for none), or nothing when the run is no longer wanted.
std::optional<IpAddress> ProbeHop(IcmpRun& run, const RunInputs& inputs, unsigned hop)
{
    run.SetStatus(HopStatus(hop));
    const echo::EchoReply reply =
        run.SendEcho(HopProbeData(), TimeToLiveOf(hop), inputs.timeout * kMillisecondsPerSecond);
    if (!run.StillCurrent())
        return std::nullopt;
    if (reply.replyCount == 0) {
        PostSilentRow(run, hop);
        return IpAddress();
    }
    PostAnsweredRow(run, hop, reply.address, reply.roundTripMs);
    if (!LookUpHop(run, inputs, hop, reply.address))
        return std::nullopt;
    return reply.address;
}

void TraceOneHopAtATime(const RunInputs& inputs, IcmpRun& run)
{
    // No check follows this probe: the first pass of the loop makes it.
    const IpAddress secondAddress = FindSecondAddress(run);
    for (unsigned hop = 1; hop <= inputs.maxHops; ++hop) {
        if (!run.StillCurrent())
            return;
        const std::optional<IpAddress> answered = ProbeHop(run, inputs, hop);
        if (!answered)
            return;
        if (*answered == run.Destination() || *answered == secondAddress) {
            run.Post([](RunController& runs) { runs.View().NoteDestinationReached(); });
            break;
        }
    }
    run.EndRun();
}

} // namespace

TraceRouteFunction::TraceRouteFunction(RunController& runs, std::shared_ptr<echo::EchoService> service,
                                       HostLookups lookups)
    : IcmpFunction(runs, FunctionId::TraceRoute, std::move(service), std::move(lookups))
{
}

void TraceRouteFunction::StartTraceRoute(const RunInputs& inputs)
{
    if (!PrepareRun(inputs))
        return;
    StartWorker([inputs](IcmpRun& run) { TraceRouteWorker(inputs, run); });
}

void TraceRouteWorker(const RunInputs& inputs, IcmpRun& run)
{
    if (!run.Open(inputs.host, inputs.host, inputs.preference, TraceRouteTexts()))
        return;
    if (inputs.probeOneHopAtATime) {
        TraceOneHopAtATime(inputs, run);
        return;
    }
    if (ParallelTrace(inputs, run).Run())
        run.EndRun();
}

} // namespace netsonde
