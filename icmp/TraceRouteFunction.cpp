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

const CIcmpRunTexts& TraceRouteTexts()
{
    static const CIcmpRunTexts texts{QStringLiteral("Reserving memory for reply buffer and option information"),
                                     QStringLiteral("Opening TraceRoute service"),
                                     QStringLiteral("Unable to access TraceRoute service!")};
    return texts;
}

QString HopText(const char* text, unsigned hop) { return QString::fromLatin1(text).arg(hop); }

void SetCell(CRunController& runs, int row, ResultColumn column, const QString& text)
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
CIpAddress FindSecondAddress(CIcmpRun& run)
{
    run.SetStatus(QStringLiteral("Looking for a second IP Address ..."));
    const auto data = FilledData<kFirstProbeDataSize>();
    const echo::EchoReply reply = run.SendEcho(data, std::nullopt, kSecondAddressTimeoutMs);
    return reply.replyCount != 0 ? reply.address : run.Destination();
}

// One hop's probe and row. Returns the address that answered (0.0.0.0 for none),
// or nothing when the run is no longer wanted.
std::optional<CIpAddress> ProbeHop(CIcmpRun& run, const CRunInputs& inputs, unsigned hop)
{
    const int row = static_cast<int>(hop - 1);
    run.SetStatus(HopText("Looking for host %1 ...", hop));
    const auto data = FilledData<kHopProbeDataSize>();
    const auto ttl = static_cast<std::uint8_t>(std::min<unsigned>(hop, std::numeric_limits<std::uint8_t>::max()));
    const echo::EchoReply reply = run.SendEcho(data, ttl, inputs.nTimeout * kMillisecondsPerSecond);
    if (!run.StillCurrent())
        return std::nullopt;
    if (reply.replyCount == 0) {
        run.Post([row, hop](CRunController& runs) {
            runs.SetStatusText(HopText("Looking for host %1 ... No reply!", hop));
            runs.View().InsertRow(FunctionId::TraceRoute, row, hop);
            SetCell(runs, row, ResultColumn::HostName, QStringLiteral("No response from this host"));
        });
        return CIpAddress();
    }
    run.Post([row, hop, reply](CRunController& runs) {
        runs.View().InsertRow(FunctionId::TraceRoute, row, hop);
        SetCell(runs, row, ResultColumn::Address, FormatIpAddress(reply.address));
        SetCell(runs, row, ResultColumn::ResponseTime, FormatRoundTrip(reply.roundTripMs));
    });
    if (!inputs.bResolve)
        return reply.address;
    run.SetStatus(HopText("Looking for host %1 ... Got reply, resolving IP address ...", hop));
    const std::optional<QString> name = run.LookUpName(reply.address);
    if (!run.StillCurrent())
        return std::nullopt;
    run.Post([row, hop, name](CRunController& runs) {
        runs.SetStatusText(HopText("Looking for host %1 ... Got reply, resolving IP address ... Done", hop));
        SetCell(runs, row, ResultColumn::HostName, name.value_or(QStringLiteral("Unavailable")));
    });
    return reply.address;
}

} // namespace

CTraceRouteFunction::CTraceRouteFunction(CRunController& runs, std::shared_ptr<echo::EchoService> service,
                                         CHostLookups lookups)
    : CIcmpFunction(runs, FunctionId::TraceRoute, std::move(service), std::move(lookups))
{
}

void CTraceRouteFunction::StartTraceRoute(const CRunInputs& inputs)
{
    if (!PrepareRun(inputs))
        return;
    StartWorker([inputs](CIcmpRun& run) { TraceRouteWorker(inputs, run); });
}

void TraceRouteWorker(const CRunInputs& inputs, CIcmpRun& run)
{
    if (!run.Open(inputs.strHost, inputs.strHost, inputs.preference, TraceRouteTexts()))
        return;
    // No check follows this probe: the first pass of the loop makes it.
    const CIpAddress secondAddress = FindSecondAddress(run);
    for (unsigned hop = 1; hop <= inputs.nMaxHops; ++hop) {
        if (!run.StillCurrent())
            return;
        const std::optional<CIpAddress> answered = ProbeHop(run, inputs, hop);
        if (!answered)
            return;
        if (*answered == run.Destination() || *answered == secondAddress) {
            run.Post([](CRunController& runs) { runs.View().NoteDestinationReached(); });
            break;
        }
    }
    run.EndRun();
}

} // namespace netsonde
