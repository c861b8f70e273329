// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/resolver/ThreadedResolver.h"

#include "platform/resolver/LookupPool.h"
#include "platform/resolver/LookupRegistry.h"

namespace netsonde {

ThreadedResolver::ThreadedResolver(HostLookups lookups, int maxThreads)
    : m_lookups(std::move(lookups)), m_registry(std::make_shared<LookupRegistry>()),
      m_pool(std::make_shared<LookupPool>(m_registry, maxThreads))
{
}

ThreadedResolver::~ThreadedResolver()
{
    m_registry->Close();
    m_pool->Stop();
}

LookupHandle ThreadedResolver::AsyncGetHostByName(QObject* context, const QString& name, LookupCompletion done)
{
    return Start(context, std::move(done),
                 [byName = m_lookups.byName, bytes = name.toUtf8()] { return byName(bytes); });
}

LookupHandle ThreadedResolver::AsyncGetHostByAddr(QObject* context, const IpAddress& address, LookupCompletion done)
{
    return Start(context, std::move(done), [byAddress = m_lookups.byAddress, address] { return byAddress(address); });
}

bool ThreadedResolver::CancelAsyncRequest(LookupHandle handle)
{
    const bool cancelled = m_registry->Cancel(handle);
    if (cancelled)
        m_pool->OnRequestCancelled();
    return cancelled;
}

LookupHandle ThreadedResolver::Start(QObject* context, LookupCompletion done, std::function<LookupOutcome()> lookup)
{
    const LookupHandle handle = m_registry->Register(context, std::move(done));
    if (handle == 0)
        return 0;
    if (!m_pool->Submit(handle, std::move(lookup))) {
        m_registry->Cancel(handle);
        return 0;
    }
    return handle;
}

} // namespace netsonde
