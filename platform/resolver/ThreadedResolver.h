// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A resolver that runs blocking lookups on a small pool of threads and
// delivers their completions on the application's thread.

#include "platform/resolver/HostLookup.h"
#include "platform/resolver/Resolver.h"

#include <functional>
#include <memory>

namespace netsonde {

class CLookupPool;
class CLookupRegistry;

class CThreadedResolver final : public IResolver {
public:
    CThreadedResolver(CHostLookups lookups, int nMaxThreads);
    ~CThreadedResolver() override;

    CThreadedResolver(const CThreadedResolver&) = delete;
    CThreadedResolver& operator=(const CThreadedResolver&) = delete;

    LookupHandle AsyncGetHostByName(QObject* receiver, int message, const QString& name) override;
    LookupHandle AsyncGetHostByAddr(QObject* receiver, int message,
                                    const CIpAddress& address) override;
    bool CancelAsyncRequest(LookupHandle handle) override;

private:
    LookupHandle Start(QObject* receiver, int message, std::function<CLookupOutcome()> lookup);

    CHostLookups m_lookups;
    std::shared_ptr<CLookupRegistry> m_registry;
    std::shared_ptr<CLookupPool> m_pool;
};

} // namespace netsonde
