// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/ShutdownSignal.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>

namespace netsonde {

ShutdownSignal::ShutdownSignal() : m_event(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

// The counter is never read back, so the descriptor stays readable for good.
void ShutdownSignal::Raise()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(m_event.Get(), &one, sizeof one);
}

bool ShutdownSignal::IsRaised() const
{
    return WaitFor(std::chrono::milliseconds(0));
}

// The wait is recomputed from a fixed deadline after a signal interrupts it.
bool ShutdownSignal::WaitFor(std::chrono::milliseconds duration) const
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + duration;
    for (;;) {
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd watch{m_event.Get(), POLLIN, 0};
        const int ready = ::poll(&watch, 1, static_cast<int>(std::clamp<long long>(remaining, 0, INT_MAX)));
        if (ready >= 0 || errno != EINTR)
            return ready == 1 && (watch.revents & POLLIN) != 0;
    }
}

} // namespace netsonde
