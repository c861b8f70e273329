#pragma once
// A one-way signal that wakes every poll watching it and stays raised: the service's
// shutdown, shared by all of its handles.

#include "platform/echo/UniqueFd.h"

namespace netsonde::echo {

class ShutdownSignal {
public:
    // Check IsValid(): the eventfd may not be available.
    ShutdownSignal();

    bool IsValid() const { return m_event.IsValid(); }
    int PollDescriptor() const { return m_event.Get(); }

    void Raise();
    bool IsRaised() const;

private:
    UniqueFd m_event;
};

} // namespace netsonde::echo
