#include "platform/echo/ShutdownSignal.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <cstdint>

namespace netsonde::echo {

ShutdownSignal::ShutdownSignal() : m_event(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

// The counter is never read back, so the descriptor stays readable for good.
void ShutdownSignal::Raise()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(m_event.Get(), &one, sizeof one);
}

bool ShutdownSignal::IsRaised() const
{
    pollfd watch{m_event.Get(), POLLIN, 0};
    return ::poll(&watch, 1, 0) == 1 && (watch.revents & POLLIN) != 0;
}

} // namespace netsonde::echo
