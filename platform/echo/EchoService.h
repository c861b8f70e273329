// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The ICMP echo service: one echo request at a time, answered by an echo reply, a
// time-exceeded report or a destination-unreachable report, each counted as a reply
// from the host that sent it.

#include "platform/net/IpAddress.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace netsonde::echo {

class ShutdownSignal;

// The kind of ICMP socket behind the service.
enum class EchoSocketKind {
    Datagram, // unprivileged: socket(AF_INET, SOCK_DGRAM, IPPROTO_ICMP)
    Raw,      // needs CAP_NET_RAW
};

// Which kinds loading may choose from; the datagram kind is tried first.
enum class EchoSocketChoice {
    Any,
    DatagramOnly,
    RawOnly,
};

struct EchoReply {
    std::uint32_t replyCount = 0;  // 0 (time-out or any failure) or 1
    CIpAddress address;            // the replying host; valid when replyCount is 1
    std::uint32_t roundTripMs = 0; // whole milliseconds, floored; valid when replyCount is 1
};

// One echo handle: used by one thread at a time, closed by destroying it.
// A handle takes only the answers to its own requests, never another handle's.
class EchoHandle {
public:
    virtual ~EchoHandle() = default;

    // Sends one echo request carrying `data` to `destination`
    // and blocks until an answer, the time-out, the service's shutdown or the handle's
    // run wake. `ttl` is set for this request only (none: the system's default).
    virtual EchoReply SendEcho(const CIpAddress& destination, std::span<const std::uint8_t> data,
                               std::optional<std::uint8_t> ttl, std::uint32_t timeoutMs) = 0;
};

// The loaded service. Shared: workers may keep it while the window that loaded it closes.
class EchoService {
public:
    virtual ~EchoService() = default;

    virtual bool IsLoaded() const = 0;
    // The kind in use; none when not loaded.
    virtual std::optional<EchoSocketKind> SocketKind() const = 0;
    // When loaded: which socket kind is in use, in words. Otherwise: why no kind works.
    virtual std::string Description() const = 0;

    // A new handle; null when not loaded or the socket cannot be opened. Once `runWake`
    // is raised, every SendEcho of the handle, blocked or still to come, returns at once
    // with no reply.
    virtual std::unique_ptr<EchoHandle> CreateHandle(std::shared_ptr<const ShutdownSignal> runWake = nullptr) = 0;

    // Safe from any thread: every SendEcho of every handle of this service, blocked or
    // still to come, returns at once with no reply.
    virtual void ShutdownAll() = 0;
};

// Finds a usable ICMP socket kind: the datagram socket first, then the raw socket.
std::shared_ptr<EchoService> LoadEchoService(EchoSocketChoice choice = EchoSocketChoice::Any);

} // namespace netsonde::echo
