// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An echo handle over one ICMP or ICMPv6 socket of its own, for one address family.

#include "platform/echo/EchoPacket.h"
#include "platform/echo/EchoService.h"
#include "platform/posix/ShutdownSignal.h"
#include "platform/posix/UniqueFd.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace netsonde::echo {

class EchoHandleLinux final : public EchoHandle {
public:
    EchoHandleLinux(IpFamily family, EchoSocketKind kind, UniqueFd socket, std::uint16_t identifier,
                    std::uint16_t firstSequence, std::shared_ptr<const ShutdownSignal> shutdown,
                    std::shared_ptr<const ShutdownSignal> runWake);

    std::optional<std::uint16_t> SendRequest(const IpAddress& destination, std::span<const std::uint8_t> data,
                                             std::optional<std::uint8_t> ttl) override;
    std::optional<EchoAnswer> AwaitAnswer(Clock::time_point deadline, int alsoWatch) override;

private:
    struct Outstanding {
        EchoProbe probe;
        Clock::time_point sentAt;
    };

    bool IsWoken() const;
    bool SetTimeToLive(std::optional<std::uint8_t> ttl);
    bool SendMessage(const EchoProbe& probe, std::span<const std::uint8_t> data);
    void Remember(const EchoProbe& probe, Clock::time_point sentAt);
    std::optional<EchoAnswer> Take(std::size_t index, const IpAddress& sender);
    std::optional<EchoAnswer> ReadWaitingAnswers();
    void TakeWaitingAnswers();
    std::optional<EchoAnswer> ReadOne(bool& drained);
    std::optional<EchoAnswer> ReadRawPacket(bool& drained);
    std::optional<EchoAnswer> ReadDatagramMessage(bool& drained);
    std::optional<EchoAnswer> ReadErrorQueue();

    IpFamily m_family;
    EchoSocketKind m_kind;
    UniqueFd m_socket;
    std::uint16_t m_identifier;
    std::uint16_t m_nextSequence;
    std::shared_ptr<const ShutdownSignal> m_shutdown;
    std::shared_ptr<const ShutdownSignal> m_runWake; // may be null
    std::vector<Outstanding> m_outstanding;          // oldest first, at most kMaxOutstanding
    std::deque<EchoAnswer> m_taken;                  // answers read before a send, not yet awaited
    // Room for the headers of any answer; the rest of a long echo is cut off unread.
    std::array<std::uint8_t, 2048> m_receiveBuffer{};
};

} // namespace netsonde::echo
