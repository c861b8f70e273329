// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/TraceRouteFunction.h"

#include "icmp/HopLookups.h"
#include "icmp/ParallelTrace.h"
#include "icmp/TraceRounds.h"
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

// One hop's probe and row, the hop waited for; nothing when the run is no longer wanted.
std::optional<HopProbe> ProbeHop(IcmpRun& run, const RunInputs& inputs, unsigned hop)
{
    run.SetStatus(HopStatus(hop));
    HopProbe probe{hop, TraceRounds::Clock::now(), std::nullopt, {}};
    const echo::EchoReply reply =
        run.SendEcho(HopProbeData(), TimeToLiveOf(hop), inputs.timeout * kMillisecondsPerSecond);
    if (!run.StillCurrent())
        return std::nullopt;
    if (reply.replyCount == 0) {
        PostSilentRow(run, hop);
        return probe;
    }
    PostAnsweredRow(run, hop, reply.address, reply.roundTripMs);
    if (!LookUpHop(run, inputs, hop, reply.address))
        return std::nullopt;
    probe.address = reply.address;
    probe.roundTrip = reply.roundTrip;
    return probe;
}

// The probe of each hop of the trace; nothing when the run is no longer wanted.
std::optional<std::vector<HopProbe>> TraceOneHopAtATime(const RunInputs& inputs, IcmpRun& run)
{
    // No check follows this probe: the first pass of the loop makes it.
    const IpAddress secondAddress = FindSecondAddress(run);
    std::vector<HopProbe> probes;
    for (unsigned hop = 1; hop <= inputs.maxHops; ++hop) {
        if (!run.StillCurrent())
            return std::nullopt;
        const std::optional<HopProbe> probe = ProbeHop(run, inputs, hop);
        if (!probe)
            return std::nullopt;
        probes.push_back(*probe);
        if (probe->address == run.Destination() || probe->address == secondAddress) {
            run.Post([](RunController& runs) { runs.View().NoteDestinationReached(); });
            break;
        }
    }
    return probes;
}

std::optional<std::vector<HopProbe>> TraceInParallel(const RunInputs& inputs, IcmpRun& run)
{
    ParallelTrace trace(inputs, run);
    if (!trace.Run())
        return std::nullopt;
    return trace.FirstPass();
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
    const TraceRounds::Clock::time_point began = TraceRounds::Clock::now();
    if (!run.Open(inputs.host, inputs.host, inputs.preference, TraceRouteTexts()))
        return;
    const std::optional<std::vector<HopProbe>> firstPass =
        inputs.probeOneHopAtATime ? TraceOneHopAtATime(inputs, run) : TraceInParallel(inputs, run);
    if (firstPass && TraceRounds(inputs, run, began).Run(*firstPass))
        run.EndRun();
}

} // namespace netsonde
