// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/resolver/ThreadedResolver.h"

#include "platform/resolver/LookupPool.h"
#include "platform/resolver/LookupRegistry.h"

namespace netsonde {

CThreadedResolver::CThreadedResolver(CHostLookups lookups, int nMaxThreads)
    : m_lookups(std::move(lookups)), m_registry(std::make_shared<CLookupRegistry>()),
      m_pool(std::make_shared<CLookupPool>(m_registry, nMaxThreads))
{
}

CThreadedResolver::~CThreadedResolver()
{
    m_registry->Close();
    m_pool->Stop();
}

LookupHandle CThreadedResolver::AsyncGetHostByName(QObject* receiver, int message,
                                                   const QString& name)
{
    return Start(receiver, message, [byName = m_lookups.byName, bytes = name.toUtf8()] {
        return byName(bytes);
    });
}

LookupHandle CThreadedResolver::AsyncGetHostByAddr(QObject* receiver, int message,
                                                   const CIpAddress& address)
{
    return Start(receiver, message,
                 [byAddress = m_lookups.byAddress, address] { return byAddress(address); });
}

bool CThreadedResolver::CancelAsyncRequest(LookupHandle handle)
{
    const bool bCancelled = m_registry->Cancel(handle);
    if (bCancelled)
        m_pool->OnRequestCancelled();
    return bCancelled;
}

LookupHandle CThreadedResolver::Start(QObject* receiver, int message,
                                      std::function<CLookupOutcome()> lookup)
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
