// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The ICMP echo service: echo requests answered by an echo reply, a time-exceeded
// report or a destination-unreachable report, each counted as a reply from the host
// that sent it. A handle waits for one request at a time (SendEcho) or keeps several
// outstanding and takes their answers as they come (SendRequest, AwaitAnswer).

#include "platform/net/IpAddress.h"
#include "platform/posix/ShutdownSignal.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace netsonde::echo {

// The kind of ICMP socket behind the service for one address family.
enum class EchoSocketKind {
    Datagram, // unprivileged: socket(AF_INET, SOCK_DGRAM, IPPROTO_ICMP) or (AF_INET6, ..., IPPROTO_ICMPV6)
    Raw,      // needs CAP_NET_RAW
};

// Which kinds loading may choose from, for each family; the datagram kind is tried first.
enum class EchoSocketChoice {
    Any,
    DatagramOnly,
    RawOnly,
};

struct EchoReply {
    std::uint32_t replyCount = 0;           // 0 (time-out or any failure) or 1
    IpAddress address;                      // the replying host; valid when replyCount is 1
    std::uint32_t roundTripMs = 0;          // whole milliseconds, floored; valid when replyCount is 1
    std::chrono::microseconds roundTrip{0}; // the same to the microsecond
};

// The answer to one outstanding request.
struct EchoAnswer {
    std::uint16_t sequence = 0; // the request's, as SendRequest returned it
    IpAddress address;          // the host that answered
    std::chrono::microseconds roundTrip{0};
};

// One echo handle: used by one thread at a time, closed by destroying it.
// A handle takes only the answers to its own requests, never another handle's.
class EchoHandle {
public:
    using Clock = std::chrono::steady_clock;

    // A handle remembers at most this many outstanding requests; the oldest is
    // forgotten first.
    static constexpr std::size_t kMaxOutstanding = 64;

    virtual ~EchoHandle() = default;

    // Sends one echo request carrying `data` to `destination`, an address of the
    // handle's family, and returns at once with the request's sequence number; none
    // when it cannot be sent (another family, data too long, a wake already raised).
    // `ttl` (the hop limit over IPv6) is set for this request only (none: the
    // system's default). The request stays outstanding until its answer is taken.
    virtual std::optional<std::uint16_t> SendRequest(const IpAddress& destination, std::span<const std::uint8_t> data,
                                                     std::optional<std::uint8_t> ttl) = 0;

    // Blocks until the first answer to an outstanding request, which is then no
    // longer outstanding, or until `deadline`. Returns none sooner when `alsoWatch`
    // (a descriptor; -1 for none) becomes readable, the handle's run wake is raised
    // or the service shuts down.
    virtual std::optional<EchoAnswer> AwaitAnswer(Clock::time_point deadline, int alsoWatch) = 0;

    // One request and its own answer: SendRequest, then AwaitAnswer until that
    // request is answered, the time-out, the service's shutdown or the run wake.
    virtual EchoReply SendEcho(const IpAddress& destination, std::span<const std::uint8_t> data,
                               std::optional<std::uint8_t> ttl, std::uint32_t timeoutMs);
};

// The loaded service. Shared: workers may keep it while the window that loaded it closes.
// Each address family has its own socket kind: the service is usable for a family
// when a socket of that family opens.
class EchoService {
public:
    virtual ~EchoService() = default;

    virtual bool IsLoaded(IpFamily family) const = 0;
    // The kind in use for the family; none when not loaded for it.
    virtual std::optional<EchoSocketKind> SocketKind(IpFamily family) const = 0;
    // When loaded for the family: which socket kind is in use, in words. Otherwise: why
    // no kind works, naming the family.
    virtual std::string Description(IpFamily family) const = 0;

    // A new handle for requests to addresses of the family; null when not loaded for it
    // or the socket cannot be opened. Once `runWake` is raised, every SendEcho of the
    // handle, blocked or still to come, returns at once with no reply.
    virtual std::unique_ptr<EchoHandle> CreateHandle(IpFamily family,
                                                     std::shared_ptr<const ShutdownSignal> runWake = nullptr) = 0;

    // Safe from any thread: every SendEcho of every handle of this service, blocked or
    // still to come, returns at once with no reply.
    virtual void ShutdownAll() = 0;
};

// Whether the service works for at least one family.
bool IsLoadedForAnyFamily(const EchoService& service);

// Finds a usable socket kind for each family: the datagram socket first, then the raw
// socket.
std::shared_ptr<EchoService> LoadEchoService(EchoSocketChoice choice = EchoSocketChoice::Any);

} // namespace netsonde::echo
