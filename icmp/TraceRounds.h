// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rounds of a repeated trace, on the worker's thread. The first pass (the
// trace itself) is round 1; then every hop of the trace is probed once per
// round: all of a round's probes in flight together, or one at a time when the
// hops are probed one at a time. A probe is final at its reply, at its
// time-out, or by the rule of the first pass once a later hop has answered.
// Rounds start the interval apart; a round that takes longer delays the next.
// Each hop keeps the statistics of its probes, shown in the statistics
// columns, and its latest answer, shown in Address, Host Name and Response
// Time; every probe whose wait is over is noted to the view.

#include "icmp/HopLookups.h"
#include "icmp/IcmpRun.h"
#include "run/RoundTripStatistics.h"
#include "run/RunInputs.h"

#include <chrono>
#include <optional>
#include <vector>

namespace netsonde {

// One probe of a hop whose wait is over.
struct HopProbe {
    unsigned hop = 0;
    echo::EchoHandle::Clock::time_point sentAt;
    std::optional<IpAddress> address; // none: no reply
    std::chrono::microseconds roundTrip{0};
};

class TraceRounds {
public:
    using Clock = echo::EchoHandle::Clock;

    // `began`: the start of the run, what the probes' send times count from.
    TraceRounds(const RunInputs& inputs, IcmpRun& run, Clock::time_point began);

    // Notes the first pass's probes (one per hop of the trace, in hop order) as
    // round 1, then probes the rounds that follow. False when the run stopped
    // being wanted.
    bool Run(const std::vector<HopProbe>& firstPass);

private:
    struct Pending {
        unsigned hop = 0;
        std::uint16_t sequence = 0;
        Clock::time_point sentAt;
    };

    bool RunRound(unsigned round);
    void SendProbes(unsigned round);
    void Take(const echo::EchoAnswer& answer, unsigned round);
    void SettleExpired(Clock::time_point now, unsigned round);
    Clock::time_point FinalAt(const Pending& probe) const;
    Clock::time_point NextEvent() const;
    bool WaitUntil(Clock::time_point when);
    bool WaitForLookups();
    void Note(const HopProbe& probe, unsigned round);
    void ShowLatestAnswer(const HopProbe& probe);
    void ShowLookupResults();

    const RunInputs& m_inputs;
    IcmpRun& m_run;
    const Clock::time_point m_began;
    const std::chrono::milliseconds m_timeout;
    const unsigned m_inFlight;
    HopLookups m_lookups;
    std::vector<RoundTripStatistics> m_statistics;  // by hop
    std::vector<std::optional<IpAddress>> m_latest; // by hop: the address shown
    std::vector<Pending> m_pending;
    std::vector<HopProbe> m_answered; // this round's replies
    unsigned m_nextToSend = 1;
};

} // namespace netsonde
