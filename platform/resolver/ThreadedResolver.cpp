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

LookupHandle ThreadedResolver::AsyncGetHostByName(QObject* receiver, int message,
                                                   const QString& name)
{
    return Start(receiver, message, [byName = m_lookups.byName, bytes = name.toUtf8()] {
        return byName(bytes);
    });
}

LookupHandle ThreadedResolver::AsyncGetHostByAddr(QObject* receiver, int message,
                                                   const IpAddress& address)
{
    return Start(receiver, message,
                 [byAddress = m_lookups.byAddress, address] { return byAddress(address); });
}

bool ThreadedResolver::CancelAsyncRequest(LookupHandle handle)
{
    const bool cancelled = m_registry->Cancel(handle);
    if (cancelled)
        m_pool->OnRequestCancelled();
    return cancelled;
}

LookupHandle ThreadedResolver::Start(QObject* receiver, int message,
                                      std::function<LookupOutcome()> lookup)
{
    const LookupHandle handle = m_registry->Register(receiver, message);
    if (handle == 0)
        return 0;
    if (!m_pool->Submit(handle, std::move(lookup))) {
        m_registry->Cancel(handle);
        return 0;
    }
    return handle;
}

} // namespace netsonde
