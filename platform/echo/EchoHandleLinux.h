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
#include <memory>
#include <optional>

namespace netsonde::echo {

class EchoHandleLinux final : public EchoHandle {
public:
    EchoHandleLinux(IpFamily family, EchoSocketKind kind, UniqueFd socket, std::uint16_t identifier,
                    std::uint16_t firstSequence, std::shared_ptr<const ShutdownSignal> shutdown,
                    std::shared_ptr<const ShutdownSignal> runWake);

    EchoReply SendEcho(const IpAddress& destination, std::span<const std::uint8_t> data,
                       std::optional<std::uint8_t> ttl, std::uint32_t timeoutMs) override;

private:
    using Clock = std::chrono::steady_clock;

    bool IsWoken() const;
    bool SetTimeToLive(std::optional<std::uint8_t> ttl);
    void DiscardStaleAnswers();
    bool SendRequest(const EchoProbe& probe, std::span<const std::uint8_t> data);
    std::optional<IpAddress> AwaitAnswer(const EchoProbe& probe, Clock::time_point deadline);
    std::optional<IpAddress> ReadWaitingAnswers(const EchoProbe& probe);
    std::optional<IpAddress> ReadRawPacket(const EchoProbe& probe, bool& drained);
    std::optional<IpAddress> ReadDatagramMessage(const EchoProbe& probe, bool& drained);
    std::optional<IpAddress> ReadErrorQueue(const EchoProbe& probe);

    IpFamily m_family;
    EchoSocketKind m_kind;
    UniqueFd m_socket;
    std::uint16_t m_identifier;
    std::uint16_t m_nextSequence;
    std::shared_ptr<const ShutdownSignal> m_shutdown;
    std::shared_ptr<const ShutdownSignal> m_runWake; // may be null
    // Room for the headers of any answer; the rest of a long echo is cut off unread.
    std::array<std::uint8_t, 2048> m_receiveBuffer{};
};

} // namespace netsonde::echo
