// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Asynchronous name-to-address and address-to-name lookups. A request names
// a context object and a completion; when the lookup is done the completion
// is called once on the context's thread with the request's handle and its
// own result. A cancelled request never completes, nor one whose context is
// gone.

#include "platform/net/IpAddress.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <variant>

class QObject;

namespace netsonde {

// Identifies one request; 0 means "no request". Handles are never reused
// while the program runs.
using LookupHandle = std::uintptr_t;

// Error codes of a lookup: 0 on success, otherwise the C library's
// h_errno values (<netdb.h>), to which getaddrinfo's EAI_* errors are mapped.
constexpr int kLookupSucceeded = 0;
constexpr int kLookupHostNotFound = 1; // HOST_NOT_FOUND: no such host is known
constexpr int kLookupTryAgain = 2;     // TRY_AGAIN: temporary failure, no answer from a server
constexpr int kLookupNoRecovery = 3;   // NO_RECOVERY: failure that cannot be retried
constexpr int kLookupNoData = 4;       // NO_DATA: the name exists but has no address

// A host as the resolver reports it.
struct HostEntry {
    QString officialName;
    QStringList aliases;
    QList<IpAddress> addresses; // the IPv4 addresses first, then the IPv6 ones
};

// Why a lookup failed: one of the error codes above, never kLookupSucceeded.
struct LookupError {
    int code = kLookupHostNotFound;
};

// What a lookup gives its requester: the host entry, or the error.
using LookupResult = std::variant<HostEntry, LookupError>;

// Called once with the request's handle and result.
using LookupCompletion = std::function<void(LookupHandle handle, const LookupResult& result)>;

class IResolver {
public:
    virtual ~IResolver() = default;

    // Starts a name-to-address lookup. Returns 0 when it cannot be started.
    virtual LookupHandle AsyncGetHostByName(QObject* context, const QString& name, LookupCompletion done) = 0;

    // Starts an address-to-name lookup. Returns 0 when it cannot be started.
    virtual LookupHandle AsyncGetHostByAddr(QObject* context, const IpAddress& address, LookupCompletion done) = 0;

    // Drops the request's completion. Returns false for an unknown handle or
    // one whose completion has already been delivered.
    virtual bool CancelAsyncRequest(LookupHandle handle) = 0;
};

// The resolver of the C library (getaddrinfo, getnameinfo), run on
// at most maxThreads threads for the requests still wanted; a cancelled
// lookup that is still running holds none of them (a bounded number of such
// lookups may run besides). Contexts live on the application's thread;
// the resolver is destroyed before the application object. Destroying it
// never waits for a lookup in progress: that lookup finishes on its own and
// its result is dropped.
std::unique_ptr<IResolver> CreateSystemResolver(int maxThreads = 4);

// The dotted quad of an IPv4 address, the RFC 5952 text of an IPv6 one.
QString FormatIpAddress(const IpAddress& address);

} // namespace netsonde
