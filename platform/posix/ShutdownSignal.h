// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A one-way signal that wakes every poll watching it and stays raised: the service's
// shutdown, shared by all of its handles, and the wake-up of one run of a worker.

#include "platform/posix/UniqueFd.h"

#include <chrono>

namespace netsonde {

class ShutdownSignal {
public:
    // Check IsValid(): the eventfd may not be available.
    ShutdownSignal();

    bool IsValid() const { return m_event.IsValid(); }
    int PollDescriptor() const { return m_event.Get(); }

    void Raise();
    bool IsRaised() const;
    // Sleeps until raised or until `duration` has passed; true when raised.
    bool WaitFor(std::chrono::milliseconds duration) const;

private:
    UniqueFd m_event;
};

} // namespace netsonde
