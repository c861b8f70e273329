// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A resolver for tests: it records every request and completes one only when
// the test says so, with the result the test gives. Completions travel the
// same way as the system resolver's: delivered on the application's thread
// at the next pass of the event loop, dropped after a cancel or when the
// context is gone. A request keeps its completion, for a test to call late,
// as a resolver that lost the race with a cancel would.

#include "platform/resolver/LookupRegistry.h"
#include "platform/resolver/Resolver.h"

#include <QList>

#include <memory>
#include <utility>

namespace netsonde::test {

struct ScriptedRequest {
    LookupHandle handle = 0;
    LookupCompletion done;
    bool byAddress = false;
    QString name;      // name-to-address requests
    IpAddress address; // address-to-name requests
};

class ScriptedResolver final : public IResolver {
public:
    ~ScriptedResolver() override { m_registry->Close(); }

    LookupHandle AsyncGetHostByName(QObject* context, const QString& name, LookupCompletion done) override
    {
        return Record(context, {0, std::move(done), false, name, {}});
    }

    LookupHandle AsyncGetHostByAddr(QObject* context, const IpAddress& address, LookupCompletion done) override
    {
        return Record(context, {0, std::move(done), true, {}, address});
    }

    bool CancelAsyncRequest(LookupHandle handle) override { return m_registry->Cancel(handle); }

    // The next request returns 0, as one that cannot be started.
    void RefuseNextRequest() { m_refuseNext = true; }

    // Queues the completion of a request.
    void Complete(LookupHandle handle, int error, const HostEntry& entry = {})
    {
        m_registry->Complete(handle, error, entry);
    }

    const QList<ScriptedRequest>& Requests() const { return m_requests; }
    bool IsPending(LookupHandle handle) const { return m_registry->IsPending(handle); }

private:
    LookupHandle Record(QObject* context, ScriptedRequest request)
    {
        if (std::exchange(m_refuseNext, false))
            return 0;
        request.handle = m_registry->Register(context, request.done);
        if (request.handle != 0)
            m_requests.append(request);
        return request.handle;
    }

    std::shared_ptr<LookupRegistry> m_registry = std::make_shared<LookupRegistry>();
    QList<ScriptedRequest> m_requests;
    bool m_refuseNext = false;
};

} // namespace netsonde::test
