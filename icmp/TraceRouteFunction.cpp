// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/TraceRouteFunction.h"

#include "platform/resolver/Resolver.h"
#include "run/RunView.h"

#include <algorithm>
#include <array>
#include <limits>

namespace netsonde {

namespace {

constexpr std::size_t kFirstProbeDataSize = 64;
constexpr std::size_t kHopProbeDataSize = 48;
constexpr std::uint32_t kMillisecondsPerSecond = 1000;

const IcmpRunTexts& TraceRouteTexts()
{
    static const IcmpRunTexts texts{QStringLiteral("Reserving memory for reply buffer and option information"),
                                    QStringLiteral("Opening TraceRoute service"),
                                    QStringLiteral("Unable to access TraceRoute service!")};
    return texts;
}

QString HopText(const char* text, unsigned hop)
{
    return QString::fromLatin1(text).arg(hop);
}

void SetCell(RunController& runs, int row, ResultColumn column, const QString& text)
{
    runs.View().SetCell(FunctionId::TraceRoute, row, column, text);
}

template <std::size_t Size>
std::array<std::uint8_t, Size> FilledData()
{
    std::array<std::uint8_t, Size> data{};
    data.fill(kEchoFillByte);
    return data;
}

// The address the host answers from, found by an echo without a Ttl.
IpAddress FindSecondAddress(IcmpRun& run)
{
    run.SetStatus(QStringLiteral("Looking for a second IP Address ..."));
    const auto data = FilledData<kFirstProbeDataSize>();
    const echo::EchoReply reply = run.SendEcho(data, std::nullopt, kSecondAddressTimeoutMs);
    return reply.replyCount != 0 ? reply.address : run.Destination();
}

// One hop's probe and row. Returns the address that answered (0.0.0.0 for none),
// or nothing when the run is no longer wanted.
std::optional<IpAddress> ProbeHop(IcmpRun& run, const RunInputs& inputs, unsigned hop)
{
    const int row = static_cast<int>(hop - 1);
    run.SetStatus(HopText("Looking for host %1 ...", hop));
    const auto data = FilledData<kHopProbeDataSize>();
    const auto ttl = static_cast<std::uint8_t>(std::min<unsigned>(hop, std::numeric_limits<std::uint8_t>::max()));
    const echo::EchoReply reply = run.SendEcho(data, ttl, inputs.timeout * kMillisecondsPerSecond);
    if (!run.StillCurrent())
        return std::nullopt;
    if (reply.replyCount == 0) {
        run.Post([row, hop](RunController& runs) {
            runs.SetStatusText(HopText("Looking for host %1 ... No reply!", hop));
            runs.View().InsertRow(FunctionId::TraceRoute, row, hop);
            SetCell(runs, row, ResultColumn::HostName, QStringLiteral("No response from this host"));
        });
        return IpAddress();
    }
    run.Post([row, hop, reply](RunController& runs) {
        runs.View().InsertRow(FunctionId::TraceRoute, row, hop);
        SetCell(runs, row, ResultColumn::Address, FormatIpAddress(reply.address));
        SetCell(runs, row, ResultColumn::ResponseTime, FormatRoundTrip(reply.roundTripMs));
    });
    if (!inputs.resolve)
        return reply.address;
    run.SetStatus(HopText("Looking for host %1 ... Got reply, resolving IP address ...", hop));
    const std::optional<QString> name = run.LookUpName(reply.address);
    if (!run.StillCurrent())
        return std::nullopt;
    run.Post([row, hop, name](RunController& runs) {
        runs.SetStatusText(HopText("Looking for host %1 ... Got reply, resolving IP address ... Done", hop));
        SetCell(runs, row, ResultColumn::HostName, name.value_or(QStringLiteral("Unavailable")));
    });
    return reply.address;
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

} // namespace netsonde
