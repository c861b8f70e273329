// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The requests of one resolver, from their start to the delivery of their
// completion. Any thread may complete a request; the delivery itself runs on
// the application's thread, and only for a request that is still pending
// and whose context still exists. After Close() nothing more is delivered.

#include "platform/resolver/Resolver.h"

#include <QPointer>

#include <memory>
#include <mutex>
#include <unordered_map>

namespace netsonde {

class LookupRegistry : public std::enable_shared_from_this<LookupRegistry> {
public:
    // A registry refuses new requests beyond this many pending ones.
    static constexpr std::size_t kMaxPendingRequests = 64;

    // Call on the application's thread. Returns 0 when the request cannot
    // be taken (no context, a context of another thread, too many pending
    // requests, or a closed registry).
    LookupHandle Register(QObject* context, LookupCompletion done);
    bool Cancel(LookupHandle handle);
    bool IsPending(LookupHandle handle) const;

    // Safe from any thread: queues the delivery of the request's result, the
    // entry when error is kLookupSucceeded.
    void Complete(LookupHandle handle, int error, HostEntry entry);

    void Close();

private:
    struct Request {
        QPointer<QObject> context;
        LookupCompletion done;
    };

    void Deliver(LookupHandle handle, const LookupResult& result);

    mutable std::mutex m_mutex;
    std::unordered_map<LookupHandle, Request> m_pending;
    bool m_closed = false;
};

} // namespace netsonde
