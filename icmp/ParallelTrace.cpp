// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/ParallelTrace.h"

#include "icmp/TraceRows.h"
#include "run/RunView.h"

#include <algorithm>

namespace netsonde {

namespace {

constexpr auto kSecondProbeTimeout = std::chrono::milliseconds(kSecondAddressTimeoutMs);
// How long the worker waits when only lookups are left: they wake it when they end.
constexpr auto kLookupWait = std::chrono::seconds(60);

std::uint32_t WholeMilliseconds(std::chrono::microseconds roundTrip)
{
    return static_cast<std::uint32_t>(std::chrono::floor<std::chrono::milliseconds>(roundTrip).count());
}

} // namespace

ParallelTrace::ParallelTrace(const RunInputs& inputs, IcmpRun& run)
    : m_inputs(inputs), m_run(run), m_timeout(std::chrono::milliseconds(inputs.timeout * kMillisecondsPerSecond)),
      m_hops(inputs.maxHops), m_lookups(inputs, run.Lookups())
{
}

bool ParallelTrace::Run()
{
    SendSecondProbe();
    for (;;) {
        if (!m_run.StillCurrent())
            return false;
        const auto now = Clock::now();
        SettleExpired(now);
        ShowFinalRows(now);
        ShowLookupResults();
        if (AllRowsShown() && m_lookups.IsIdle())
            return true;
        SendHopProbes();
        UpdateStatus();
        if (const auto answer = m_run.AwaitAnswer(NextEvent(), m_lookups.PollDescriptor()))
            Record(*answer);
    }
}

std::vector<HopProbe> ParallelTrace::FirstPass() const
{
    std::vector<HopProbe> probes;
    for (unsigned number = 1; number <= LastRow(); ++number) {
        const Hop& hop = At(number);
        const bool answered = hop.state == HopState::Answered;
        probes.push_back({number, hop.sentAt, answered ? std::optional(hop.address) : std::nullopt, hop.roundTrip});
    }
    return probes;
}

void ParallelTrace::SendSecondProbe()
{
    m_run.SetStatus(QStringLiteral("Looking for a second IP Address ..."));
    m_second.sentAt = Clock::now();
    m_second.sequence = m_run.SendRequest(SecondAddressProbeData(), std::nullopt);
}

// A probe that cannot be sent is a hop without reply, as when waited for.
void ParallelTrace::SendHopProbes()
{
    while (m_nextToSend <= LastHopToSend() && PendingHops() < kMaxHopsInFlight) {
        Hop& hop = At(m_nextToSend);
        hop.sentAt = Clock::now();
        const std::optional<std::uint16_t> sequence = m_run.SendRequest(HopProbeData(), TimeToLiveOf(m_nextToSend));
        hop.state = sequence ? HopState::Pending : HopState::Silent;
        hop.sequence = sequence.value_or(0);
        ++m_nextToSend;
    }
}

unsigned ParallelTrace::PendingHops() const
{
    return static_cast<unsigned>(
        std::ranges::count_if(m_hops, [](const Hop& hop) { return hop.state == HopState::Pending; }));
}

// Probes go no further than kMaxHopsAhead hops beyond the highest hop that answered;
// once every hop up to there is final without an answer, the rows shown take its place.
unsigned ParallelTrace::LastHopToSend() const
{
    return std::min(LastRow(), std::max(m_highestAnswered, m_nextToShow - 1) + kMaxHopsAhead);
}

void ParallelTrace::Record(const echo::EchoAnswer& answer)
{
    if (RecordSecondAddress(answer))
        return;
    for (unsigned number = 1; number < m_nextToSend; ++number) {
        Hop& hop = At(number);
        if (hop.state != HopState::Pending || hop.sequence != answer.sequence)
            continue;
        hop.state = HopState::Answered;
        hop.address = answer.address;
        hop.roundTrip = answer.roundTrip;
        hop.answeredAt = Clock::now();
        m_highestAnswered = std::max(m_highestAnswered, number);
        if (IsDestination(hop.address))
            NoteDestination(number);
        if (number <= LastRow())
            m_lookups.Request(number, hop.address);
        return;
    }
}

// The host's second address can end the trace at a hop that answered before it was known.
bool ParallelTrace::RecordSecondAddress(const echo::EchoAnswer& answer)
{
    if (!m_second.sequence || answer.sequence != *m_second.sequence)
        return false;
    m_second.sequence.reset();
    m_second.address = answer.address;
    for (unsigned number = m_nextToShow; number < m_nextToSend; ++number) {
        if (At(number).state == HopState::Answered && IsDestination(At(number).address))
            NoteDestination(number);
    }
    return true;
}

void ParallelTrace::NoteDestination(unsigned hop)
{
    m_destinationHop = std::min(hop, m_destinationHop.value_or(hop));
}

bool ParallelTrace::IsDestination(const IpAddress& address) const
{
    return address == m_run.Destination() || (m_second.address && address == *m_second.address);
}

void ParallelTrace::SettleExpired(Clock::time_point now)
{
    for (unsigned number = 1; number < m_nextToSend; ++number) {
        const std::optional<Clock::time_point> finalAt = FinalAt(number);
        if (finalAt && *finalAt <= now)
            At(number).state = HopState::Silent;
    }
    if (m_second.sequence && now >= m_second.sentAt + kSecondProbeTimeout)
        m_second.sequence.reset();
}

// When a pending hop becomes final without a reply: at its time-out, or once a later
// hop has answered and ten times that reply's round trip has passed since it was sent.
std::optional<ParallelTrace::Clock::time_point> ParallelTrace::FinalAt(unsigned number) const
{
    const Hop& hop = At(number);
    if (hop.state != HopState::Pending)
        return std::nullopt;
    Clock::time_point finalAt = hop.sentAt + m_timeout;
    for (unsigned later = number + 1; later < m_nextToSend; ++later) {
        const Hop& answered = At(later);
        if (answered.state == HopState::Answered)
            finalAt = std::min(finalAt, LaterHopAnsweredWaitEnd(hop.sentAt, answered.answeredAt, answered.roundTrip));
    }
    return finalAt;
}

// A row answered by another host than the destination waits while the probe for the
// second address may still name that host: until the probe is answered or times out,
// or ten times the row's own round trip has passed since the probe left.
std::optional<ParallelTrace::Clock::time_point> ParallelTrace::SecondProbeSettlesAt(const Hop& shownNext) const
{
    if (!m_second.sequence || shownNext.state != HopState::Answered || IsDestination(shownNext.address))
        return std::nullopt;
    return m_second.sentAt
           + std::min<std::chrono::microseconds>(kSecondProbeTimeout, kLaterHopWaitFactor * shownNext.roundTrip);
}

void ParallelTrace::ShowFinalRows(Clock::time_point now)
{
    while (m_nextToShow <= LastRow()) {
        const Hop& hop = At(m_nextToShow);
        if (hop.state == HopState::Unsent || hop.state == HopState::Pending)
            return;
        const std::optional<Clock::time_point> settles = SecondProbeSettlesAt(hop);
        if (settles && now < *settles)
            return;
        ShowRow(m_nextToShow++);
    }
}

void ParallelTrace::ShowRow(unsigned number)
{
    const Hop& hop = At(number);
    if (hop.state == HopState::Silent) {
        PostSilentRow(m_run, number);
        return;
    }
    PostAnsweredRow(m_run, number, hop.address, WholeMilliseconds(hop.roundTrip));
    if (m_inputs.resolve)
        m_run.SetStatus(HopStatus(number, " Got reply, resolving IP address ..."));
    if (m_destinationHop == number)
        m_run.Post([](RunController& runs) { runs.View().NoteDestinationReached(); });
}

// Cells of lookups that ended are shown once their row is.
void ParallelTrace::ShowLookupResults()
{
    for (HopCell& cell : m_lookups.TakeCells())
        m_waitingCells.push_back(std::move(cell));
    const auto shown = [this](const HopCell& cell) { return cell.hop < m_nextToShow; };
    for (const HopCell& cell : m_waitingCells) {
        if (!shown(cell) || cell.hop > LastRow())
            continue;
        if (cell.column == ResultColumn::HostName)
            m_run.SetStatus(HopStatus(cell.hop, " Got reply, resolving IP address ... Done"));
        PostHopCell(m_run, cell.hop, cell.column, cell.text);
    }
    std::erase_if(m_waitingCells, shown);
}

// The status line names the lowest hop not yet final.
void ParallelTrace::UpdateStatus()
{
    unsigned number = m_nextToShow;
    while (number <= LastRow() && At(number).state != HopState::Unsent && At(number).state != HopState::Pending)
        ++number;
    if (number > LastRow() || number == m_statusHop)
        return;
    m_statusHop = number;
    m_run.SetStatus(HopStatus(number));
}

unsigned ParallelTrace::LastRow() const
{
    return m_destinationHop.value_or(m_inputs.maxHops);
}

bool ParallelTrace::AllRowsShown() const
{
    return m_nextToShow > LastRow();
}

ParallelTrace::Clock::time_point ParallelTrace::NextEvent() const
{
    Clock::time_point next = Clock::now() + kLookupWait;
    for (unsigned number = 1; number < m_nextToSend && number <= LastRow(); ++number) {
        if (const auto finalAt = FinalAt(number))
            next = std::min(next, *finalAt);
    }
    if (m_second.sequence)
        next = std::min(next, m_second.sentAt + kSecondProbeTimeout);
    if (m_nextToShow <= LastRow()) {
        if (const auto settles = SecondProbeSettlesAt(At(m_nextToShow)))
            next = std::min(next, *settles);
    }
    return next;
}

} // namespace netsonde
