// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/echo/EchoService.h"

#include <algorithm>
#include <climits>

namespace netsonde::echo {

// Answers to requests sent before this one are taken and dropped while it waits.
EchoReply EchoHandle::SendEcho(const IpAddress& destination, std::span<const std::uint8_t> data,
                               std::optional<std::uint8_t> ttl, std::uint32_t timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::optional<std::uint16_t> sequence = SendRequest(destination, data, ttl);
    if (!sequence)
        return {};
    while (const std::optional<EchoAnswer> answer = AwaitAnswer(deadline, -1)) {
        if (answer->sequence != *sequence)
            continue;
        const auto roundTripMs = std::chrono::floor<std::chrono::milliseconds>(answer->roundTrip).count();
        return {1, answer->address, static_cast<std::uint32_t>(std::clamp<long long>(roundTripMs, 0, UINT32_MAX)),
                answer->roundTrip};
    }
    return {};
}

} // namespace netsonde::echo
