// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/TraceRounds.h"

#include "icmp/IcmpFunction.h"
#include "icmp/ParallelTrace.h"
#include "icmp/TraceRows.h"
#include "run/RunView.h"

#include <algorithm>

namespace netsonde {

namespace {

// How long the worker waits when only lookups are left: they wake it when they end.
constexpr auto kLookupWait = std::chrono::seconds(60);

double Milliseconds(std::chrono::microseconds roundTrip)
{
    return std::chrono::duration<double, std::milli>(roundTrip).count();
}

QString MillisecondsOrEmpty(const std::optional<double>& ms)
{
    return ms ? FormatMilliseconds(*ms) : QString();
}

HopCells StatisticsCells(const RoundTripStatistics& statistics)
{
    return {{ResultColumn::LossPercent, LossText(statistics.LossPercent())},
            {ResultColumn::Sent, QString::number(statistics.Sent())},
            {ResultColumn::Last, MillisecondsOrEmpty(statistics.Last())},
            {ResultColumn::Average, MillisecondsOrEmpty(statistics.Average())},
            {ResultColumn::Best, MillisecondsOrEmpty(statistics.Best())},
            {ResultColumn::Worst, MillisecondsOrEmpty(statistics.Worst())},
            {ResultColumn::StandardDeviation, MillisecondsOrEmpty(statistics.StandardDeviation())}};
}

} // namespace

TraceRounds::TraceRounds(const RunInputs& inputs, IcmpRun& run, Clock::time_point began)
    : m_inputs(inputs), m_run(run), m_began(began),
      m_timeout(std::chrono::milliseconds(inputs.timeout * kMillisecondsPerSecond)),
      m_inFlight(inputs.probeOneHopAtATime ? 1 : kMaxHopsInFlight), m_lookups(inputs, run.Lookups())
{
}

bool TraceRounds::Run(const std::vector<HopProbe>& firstPass)
{
    m_statistics.resize(firstPass.size());
    m_latest.resize(firstPass.size());
    for (const HopProbe& probe : firstPass) {
        m_latest[probe.hop - 1] = probe.address;
        Note(probe, 1);
    }
    const auto interval = std::chrono::milliseconds(m_inputs.roundIntervalMs);
    Clock::time_point roundStart = firstPass.empty() ? Clock::now() : firstPass.front().sentAt;
    for (unsigned round = 2; !firstPass.empty() && (m_inputs.rounds == 0 || round <= m_inputs.rounds); ++round) {
        roundStart = std::max(roundStart + interval, Clock::now());
        if (!WaitUntil(roundStart) || !RunRound(round))
            return false;
    }
    return WaitForLookups();
}

bool TraceRounds::RunRound(unsigned round)
{
    m_run.SetStatus(QStringLiteral("Round %1 ...").arg(round));
    m_nextToSend = 1;
    m_answered.clear();
    for (;;) {
        if (!m_run.StillCurrent())
            return false;
        SettleExpired(Clock::now(), round);
        ShowLookupResults();
        SendProbes(round);
        if (m_pending.empty() && m_nextToSend > m_statistics.size())
            return true;
        if (const auto answer = m_run.AwaitAnswer(NextEvent(), m_lookups.PollDescriptor()))
            Take(*answer, round);
    }
}

// A probe that cannot be sent is lost, as when waited for.
void TraceRounds::SendProbes(unsigned round)
{
    while (m_nextToSend <= m_statistics.size() && m_pending.size() < m_inFlight) {
        const unsigned hop = m_nextToSend++;
        const Clock::time_point sentAt = Clock::now();
        if (const auto sequence = m_run.SendRequest(HopProbeData(), TimeToLiveOf(hop)))
            m_pending.push_back({hop, *sequence, sentAt});
        else
            Note({hop, sentAt, std::nullopt, {}}, round);
    }
}

// Answers of earlier rounds' probes are no longer waited for.
void TraceRounds::Take(const echo::EchoAnswer& answer, unsigned round)
{
    const auto found =
        std::ranges::find_if(m_pending, [&](const Pending& probe) { return probe.sequence == answer.sequence; });
    if (found == m_pending.end())
        return;
    const HopProbe probe{found->hop, found->sentAt, answer.address, answer.roundTrip};
    m_pending.erase(found);
    m_answered.push_back(probe);
    Note(probe, round);
}

void TraceRounds::SettleExpired(Clock::time_point now, unsigned round)
{
    std::vector<Pending> expired;
    std::erase_if(m_pending, [&](const Pending& probe) {
        const bool over = FinalAt(probe) <= now;
        if (over)
            expired.push_back(probe);
        return over;
    });
    for (const Pending& probe : expired)
        Note({probe.hop, probe.sentAt, std::nullopt, {}}, round);
}

TraceRounds::Clock::time_point TraceRounds::FinalAt(const Pending& probe) const
{
    Clock::time_point finalAt = probe.sentAt + m_timeout;
    for (const HopProbe& later : m_answered) {
        if (later.hop > probe.hop)
            finalAt = std::min(finalAt,
                               LaterHopAnsweredWaitEnd(probe.sentAt, later.sentAt + later.roundTrip, later.roundTrip));
    }
    return finalAt;
}

TraceRounds::Clock::time_point TraceRounds::NextEvent() const
{
    Clock::time_point next = Clock::now() + kLookupWait;
    for (const Pending& probe : m_pending)
        next = std::min(next, FinalAt(probe));
    return next;
}

// Answers that come meanwhile belong to rounds already over.
bool TraceRounds::WaitUntil(Clock::time_point when)
{
    while (Clock::now() < when) {
        if (!m_run.StillCurrent())
            return false;
        m_run.AwaitAnswer(when, m_lookups.PollDescriptor());
        ShowLookupResults();
    }
    return m_run.StillCurrent();
}

bool TraceRounds::WaitForLookups()
{
    for (;;) {
        ShowLookupResults();
        if (!m_run.StillCurrent())
            return false;
        if (m_lookups.IsIdle())
            return true;
        m_run.AwaitAnswer(Clock::now() + kLookupWait, m_lookups.PollDescriptor());
    }
}

void TraceRounds::Note(const HopProbe& probe, unsigned round)
{
    RoundTripStatistics& statistics = m_statistics[probe.hop - 1];
    const std::optional<double> roundTripMs =
        probe.address ? std::optional(Milliseconds(probe.roundTrip)) : std::nullopt;
    statistics.Add(roundTripMs);
    const ProbeResult result{probe.hop, round,
                             std::chrono::duration_cast<std::chrono::milliseconds>(probe.sentAt - m_began).count(),
                             probe.address ? FormatIpAddress(*probe.address) : QString(), roundTripMs};
    m_run.Post([result](RunController& runs) { runs.View().NoteProbe(FunctionId::TraceRoute, result); });
    if (round > 1 && probe.address)
        ShowLatestAnswer(probe);
    if (m_inputs.rounds != 1)
        PostHopCells(m_run, probe.hop, StatisticsCells(statistics));
}

// A hop answering from another address shows it, and its names are looked up again.
void TraceRounds::ShowLatestAnswer(const HopProbe& probe)
{
    const auto roundTripMs = static_cast<std::uint32_t>(probe.roundTrip.count() / 1000);
    HopCells cells{{ResultColumn::Address, FormatIpAddress(*probe.address)},
                   {ResultColumn::ResponseTime, FormatRoundTrip(roundTripMs)}};
    std::optional<IpAddress>& latest = m_latest[probe.hop - 1];
    if (latest != probe.address) {
        if (!m_inputs.resolve)
            cells.emplace_back(ResultColumn::HostName, QString());
        m_lookups.Request(probe.hop, *probe.address);
        latest = probe.address;
    }
    PostHopCells(m_run, probe.hop, std::move(cells));
}

void TraceRounds::ShowLookupResults()
{
    for (const HopCell& cell : m_lookups.TakeCells())
        PostHopCell(m_run, cell.hop, cell.column, cell.text);
}

} // namespace netsonde
