// SPDX-License-Identifier: GPL-3.0-or-later
#include "resolver/ScriptedResolver.h"

#include "platform/resolver/LookupRegistry.h"

#include <utility>

namespace netsonde::test {

CScriptedResolver::CScriptedResolver() : m_registry(std::make_shared<CLookupRegistry>()) {}

CScriptedResolver::~CScriptedResolver()
{
    m_registry->Close();
}

LookupHandle CScriptedResolver::AsyncGetHostByName(QObject* receiver, int message, const QString& name)
{
    return Record(receiver, {0, message, false, name, {}});
}

LookupHandle CScriptedResolver::AsyncGetHostByAddr(QObject* receiver, int message, const CIpAddress& address)
{
    return Record(receiver, {0, message, true, {}, address});
}

bool CScriptedResolver::CancelAsyncRequest(LookupHandle handle)
{
    m_cancelled.append(handle);
    return m_registry->Cancel(handle);
}

void CScriptedResolver::Complete(LookupHandle handle, int error, const CHostEntry& entry)
{
    m_registry->Complete(handle, error, entry);
}

bool CScriptedResolver::IsPending(LookupHandle handle) const
{
    return m_registry->IsPending(handle);
}

LookupHandle CScriptedResolver::Record(QObject* receiver, CScriptedRequest request)
{
    if (std::exchange(m_bRefuseNext, false))
        return 0;
    request.handle = m_registry->Register(receiver, request.nMessage);
    if (request.handle != 0)
        m_requests.append(request);
    return request.handle;
}

} // namespace netsonde::test
