// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/resolver/WakeableLookup.h"

#include "platform/posix/ShutdownSignal.h"

#include <poll.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace netsonde {

namespace {

// What the lookup's thread shares with its caller; the thread keeps it alive after
// the caller has gone.
struct LookupInFlight {
    ShutdownSignal finished;
    std::mutex mutex;
    LookupOutcome outcome;
};

// A lookup that could not run, or whose caller stopped waiting for it.
LookupOutcome NoOutcome()
{
    return {kLookupNoRecovery, {}};
}

bool StartLookupThread(const std::shared_ptr<LookupInFlight>& inFlight, std::function<LookupOutcome()> lookup)
{
    try {
        std::thread([inFlight, lookup = std::move(lookup)] {
            LookupOutcome outcome = lookup();
            {
                const std::lock_guard lock(inFlight->mutex);
                inFlight->outcome = std::move(outcome);
            }
            inFlight->finished.Raise();
        }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

enum class WaitEnd { Finished, Woken, Failed };

WaitEnd AwaitLookupOrWake(const ShutdownSignal& finished, const ShutdownSignal& wake)
{
    for (;;) {
        pollfd watches[2] = {{finished.PollDescriptor(), POLLIN, 0}, {wake.PollDescriptor(), POLLIN, 0}};
        if (::poll(watches, 2, -1) < 0 && errno != EINTR)
            return WaitEnd::Failed;
        if (watches[0].revents != 0)
            return WaitEnd::Finished;
        if (watches[1].revents != 0)
            return WaitEnd::Woken;
    }
}

WaitEnd RunUntilFinishedOrWoken(const std::shared_ptr<LookupInFlight>& inFlight, std::function<LookupOutcome()> lookup,
                                const ShutdownSignal& wake)
{
    if (wake.IsRaised())
        return WaitEnd::Woken;
    if (!inFlight->finished.IsValid() || !StartLookupThread(inFlight, std::move(lookup)))
        return WaitEnd::Failed;
    return AwaitLookupOrWake(inFlight->finished, wake);
}

} // namespace

LookupOutcome LookUpUnlessWoken(std::function<LookupOutcome()> lookup, const ShutdownSignal& wake, bool* woken)
{
    const auto inFlight = std::make_shared<LookupInFlight>();
    const WaitEnd end = RunUntilFinishedOrWoken(inFlight, std::move(lookup), wake);
    if (woken != nullptr)
        *woken = end == WaitEnd::Woken;
    if (end != WaitEnd::Finished)
        return NoOutcome();
    const std::lock_guard lock(inFlight->mutex);
    return std::move(inFlight->outcome);
}

} // namespace netsonde
