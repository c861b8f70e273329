// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/PingFunction.h"

#include "platform/resolver/Resolver.h"
#include "run/RunView.h"

#include <array>
#include <chrono>

namespace netsonde {

namespace {

constexpr std::size_t kPingDataSize = 64;
constexpr std::uint32_t kMillisecondsPerSecond = 1000;

const IcmpRunTexts& PingTexts()
{
    static const IcmpRunTexts texts{QStringLiteral("Reserving memory for reply buffer"),
                                    QStringLiteral("Opening Ping service"),
                                    QStringLiteral("Unable to access Ping service!")};
    return texts;
}

// "me" and "myself", in any mix of case, are the local host.
QString AddressTextOf(const QString& host)
{
    const QString lower = host.toLower();
    return lower == QLatin1String("me") || lower == QLatin1String("myself") ? QStringLiteral("127.0.0.1") : host;
}

void AddRow(RunController& runs, int row, unsigned n)
{
    runs.View().InsertRow(FunctionId::Ping, row, n);
}

void SetCell(RunController& runs, int row, ResultColumn column, const QString& text)
{
    runs.View().SetCell(FunctionId::Ping, row, column, text);
}

// A request's outcome as the statistics and the graph take it.
ProbeResult ProbeOf(unsigned n, qint64 sentMs, const echo::EchoReply& reply)
{
    ProbeResult probe{0, n, sentMs, {}, std::nullopt};
    if (reply.replyCount != 0) {
        probe.address = FormatIpAddress(reply.address);
        probe.roundTripMs = std::chrono::duration<double, std::milli>(reply.roundTrip).count();
    }
    return probe;
}

// One request, its row and its probe; false when the run is no longer wanted.
bool PingOnce(IcmpRun& run, const RunInputs& inputs, unsigned n, qint64 sentMs, std::span<const std::uint8_t> data)
{
    const int row = static_cast<int>(n - 1);
    run.SetStatus(QStringLiteral("Waiting for response ..."));
    const echo::EchoReply reply = run.SendEcho(data, std::nullopt, inputs.timeout * kMillisecondsPerSecond);
    if (!run.StillCurrent())
        return false;
    const ProbeResult probe = ProbeOf(n, sentMs, reply);
    if (reply.replyCount == 0) {
        run.Post([row, n, probe](RunController& runs) {
            runs.SetStatusText(QStringLiteral("Waiting for response ... No response!"));
            AddRow(runs, row, n);
            SetCell(runs, row, ResultColumn::HostName, QStringLiteral("No response"));
            runs.View().NoteProbe(FunctionId::Ping, probe);
        });
        return true;
    }
    run.Post([row, n, reply, probe](RunController& runs) {
        AddRow(runs, row, n);
        SetCell(runs, row, ResultColumn::Address, probe.address);
        SetCell(runs, row, ResultColumn::ResponseTime, FormatRoundTrip(reply.roundTripMs));
        runs.View().NoteProbe(FunctionId::Ping, probe);
    });
    if (!inputs.resolve)
        return true;
    run.SetStatus(QStringLiteral("Waiting for response ... Resolving IP Address ..."));
    const std::optional<QString> name = run.LookUpName(reply.address);
    if (!run.StillCurrent())
        return false;
    run.Post([row, name](RunController& runs) {
        runs.SetStatusText(QStringLiteral("Waiting for response ... Resolving IP Address ... Done!"));
        SetCell(runs, row, ResultColumn::HostName, name.value_or(QStringLiteral("Unavailable")));
    });
    return true;
}

bool IsLastPing(const RunInputs& inputs, unsigned n)
{
    return !inputs.pingUntilStopped && n >= inputs.pings;
}

qint64 MillisecondsSince(std::chrono::steady_clock::time_point began)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began).count();
}

} // namespace

PingFunction::PingFunction(RunController& runs, std::shared_ptr<echo::EchoService> service, HostLookups lookups)
    : IcmpFunction(runs, FunctionId::Ping, std::move(service), std::move(lookups))
{
}

void PingFunction::StartPing(const RunInputs& inputs)
{
    if (!PrepareRun(inputs))
        return;
    StartWorker([inputs](IcmpRun& run) { PingWorker(inputs, run); });
}

void PingWorker(const RunInputs& inputs, IcmpRun& run)
{
    if (!run.Open(inputs.host, AddressTextOf(inputs.host), inputs.preference, PingTexts()))
        return;
    std::array<std::uint8_t, kPingDataSize> data{};
    data.fill(kEchoFillByte);
    const auto began = std::chrono::steady_clock::now();
    for (unsigned n = 1;; ++n) {
        if (!run.StillCurrent() || !PingOnce(run, inputs, n, MillisecondsSince(began), data))
            return;
        if (IsLastPing(inputs, n))
            break;
        if (inputs.delay != 0) {
            run.SetStatus(QStringLiteral("Waiting for %1 ms").arg(inputs.delay));
            run.Pause(inputs.delay);
        }
        run.WaitWhileBehind();
    }
    run.EndRun();
}

} // namespace netsonde
