// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A resolver that runs blocking lookups on a small pool of threads and
// delivers their completions on the application's thread.

#include "platform/resolver/HostLookup.h"
#include "platform/resolver/Resolver.h"

#include <functional>
#include <memory>

namespace netsonde {

class LookupPool;
class LookupRegistry;

class ThreadedResolver final : public IResolver {
public:
    ThreadedResolver(HostLookups lookups, int maxThreads);
    ~ThreadedResolver() override;

    ThreadedResolver(const ThreadedResolver&) = delete;
    ThreadedResolver& operator=(const ThreadedResolver&) = delete;

    LookupHandle AsyncGetHostByName(QObject* context, const QString& name, LookupCompletion done) override;
    LookupHandle AsyncGetHostByAddr(QObject* context, const IpAddress& address, LookupCompletion done) override;
    bool CancelAsyncRequest(LookupHandle handle) override;

private:
    LookupHandle Start(QObject* context, LookupCompletion done, std::function<LookupOutcome()> lookup);

    HostLookups m_lookups;
    std::shared_ptr<LookupRegistry> m_registry;
    std::shared_ptr<LookupPool> m_pool;
};

} // namespace netsonde
