// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Asynchronous name-to-address and address-to-name lookups. A request names
// a receiver and one of the private window messages; when the lookup is done
// the receiver gets a AppMessageEvent with that message number, the request
// handle as wParam, the error code as lParam and the request's own HostEntry
// as its result. A cancelled request never completes.

#include "platform/net/IpAddress.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class QObject;

namespace netsonde {

class AppMessageEvent;

// Identifies one request; 0 means "no request". Handles are never reused
// while the program runs.
using LookupHandle = std::uintptr_t;

// Error codes carried in lParam: 0 on success, otherwise the C library's
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

class IResolver {
public:
    virtual ~IResolver() = default;

    // Starts a name-to-address lookup. Returns 0 when it cannot be started.
    virtual LookupHandle AsyncGetHostByName(QObject* receiver, int message, const QString& name) = 0;

    // Starts an address-to-name lookup. Returns 0 when it cannot be started.
    virtual LookupHandle AsyncGetHostByAddr(QObject* receiver, int message,
                                            const IpAddress& address) = 0;

    // Drops the request's completion. Returns false for an unknown handle or
    // one whose completion has already been delivered.
    virtual bool CancelAsyncRequest(LookupHandle handle) = 0;
};

// The resolver of the C library (getaddrinfo, getnameinfo), run on
// at most maxThreads threads for the requests still wanted; a cancelled
// lookup that is still running holds none of them (a bounded number of such
// lookups may run besides). Receivers live on the application's thread;
// the resolver is destroyed before the application object. Destroying it
// never waits for a lookup in progress: that lookup finishes on its own and
// its result is dropped.
std::unique_ptr<IResolver> CreateSystemResolver(int maxThreads = 4);

// The host entry of a lookup completion, or nullptr for another event.
const HostEntry* HostEntryOf(const AppMessageEvent& event);

// The dotted quad of an IPv4 address, the RFC 5952 text of an IPv6 one.
QString FormatIpAddress(const IpAddress& address);

} // namespace netsonde
