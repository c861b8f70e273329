// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A trace whose hop probes are in flight together, on the worker's thread.
//
// Up to kMaxHopsInFlight hop probes are outstanding at once, never more than
// kMaxHopsAhead hops beyond the highest hop that answered (or, once every row
// up to there is shown, beyond the last row shown), and none beyond the hop
// where the destination (or its second address) answered. A hop is final
// at its reply, at its time-out, or once a later hop has answered and
// kLaterHopWaitFactor times that later reply's round trip has passed since
// the hop's probe left. Rows appear in hop order, each when it and every row
// above it are final; the trace ends with the destination's row, or with the
// row of the hop limit, once every lookup of a shown row has ended.

#include "icmp/HopLookups.h"
#include "icmp/IcmpRun.h"
#include "icmp/TraceRounds.h"
#include "run/RunInputs.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

namespace netsonde {

inline constexpr unsigned kMaxHopsInFlight = 16;
inline constexpr unsigned kMaxHopsAhead = 12;
inline constexpr int kLaterHopWaitFactor = 10;

// When a probe sent at `sentAt` without a reply is final, once a later hop
// answered at `answeredAt` after `roundTrip` (unless its time-out comes first).
inline echo::EchoHandle::Clock::time_point LaterHopAnsweredWaitEnd(echo::EchoHandle::Clock::time_point sentAt,
                                                                   echo::EchoHandle::Clock::time_point answeredAt,
                                                                   std::chrono::microseconds roundTrip)
{
    return std::max(answeredAt, sentAt + kLaterHopWaitFactor * roundTrip);
}

class ParallelTrace {
public:
    ParallelTrace(const RunInputs& inputs, IcmpRun& run);

    // False when the run stopped being wanted; the caller then ends nothing.
    bool Run();
    // The probe of each hop of the trace, once Run has returned true.
    std::vector<HopProbe> FirstPass() const;

private:
    using Clock = echo::EchoHandle::Clock;
    enum class HopState { Unsent, Pending, Answered, Silent };

    struct Hop {
        HopState state = HopState::Unsent;
        std::uint16_t sequence = 0;
        Clock::time_point sentAt;
        Clock::time_point answeredAt;
        IpAddress address;
        std::chrono::microseconds roundTrip{0};
    };

    struct SecondProbe {
        std::optional<std::uint16_t> sequence; // none once settled
        Clock::time_point sentAt;
        std::optional<IpAddress> address;
    };

    void SendSecondProbe();
    void SendHopProbes();
    unsigned PendingHops() const;
    unsigned LastHopToSend() const;
    void Record(const echo::EchoAnswer& answer);
    bool RecordSecondAddress(const echo::EchoAnswer& answer);
    void NoteDestination(unsigned hop);
    bool IsDestination(const IpAddress& address) const;
    void SettleExpired(Clock::time_point now);
    std::optional<Clock::time_point> FinalAt(unsigned hop) const;
    std::optional<Clock::time_point> SecondProbeSettlesAt(const Hop& shownNext) const;
    void ShowFinalRows(Clock::time_point now);
    void ShowRow(unsigned hop);
    void ShowLookupResults();
    void UpdateStatus();
    unsigned LastRow() const;
    bool AllRowsShown() const;
    Clock::time_point NextEvent() const;

    Hop& At(unsigned hop) { return m_hops[hop - 1]; }
    const Hop& At(unsigned hop) const { return m_hops[hop - 1]; }

    const RunInputs& m_inputs;
    IcmpRun& m_run;
    const std::chrono::milliseconds m_timeout;
    std::vector<Hop> m_hops;
    SecondProbe m_second;
    HopLookups m_lookups;
    unsigned m_nextToSend = 1;
    unsigned m_nextToShow = 1;
    unsigned m_highestAnswered = 0;
    unsigned m_statusHop = 0;
    std::optional<unsigned> m_destinationHop;
    std::vector<HopCell> m_waitingCells; // lookups ended before their row was shown
};

} // namespace netsonde
