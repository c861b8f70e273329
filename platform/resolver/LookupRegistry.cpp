// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/resolver/LookupRegistry.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>

namespace netsonde {

namespace {

// The next request handle of the program: non-zero, never repeated.
LookupHandle NextLookupHandle()
{
    static std::atomic<LookupHandle> s_lastHandle{0};
    return ++s_lastHandle;
}

bool LivesOnApplicationThread(const QObject* context)
{
    const QCoreApplication* application = QCoreApplication::instance();
    return application != nullptr && context->thread() == application->thread();
}

LookupResult ResultOf(int error, HostEntry entry)
{
    if (error == kLookupSucceeded)
        return entry;
    return LookupError{error};
}

} // namespace

LookupHandle LookupRegistry::Register(QObject* context, LookupCompletion done)
{
    if (context == nullptr || !done || !LivesOnApplicationThread(context))
        return 0;
    std::lock_guard lock(m_mutex);
    if (m_closed || m_pending.size() >= kMaxPendingRequests)
        return 0;
    const LookupHandle handle = NextLookupHandle();
    m_pending.emplace(handle, Request{context, std::move(done)});
    return handle;
}

bool LookupRegistry::Cancel(LookupHandle handle)
{
    std::lock_guard lock(m_mutex);
    return m_pending.erase(handle) != 0;
}

bool LookupRegistry::IsPending(LookupHandle handle) const
{
    std::lock_guard lock(m_mutex);
    return m_pending.contains(handle);
}

void LookupRegistry::Complete(LookupHandle handle, int error, HostEntry entry)
{
    std::lock_guard lock(m_mutex);
    QCoreApplication* application = QCoreApplication::instance();
    if (m_closed || application == nullptr || !m_pending.contains(handle))
        return;
    QMetaObject::invokeMethod(
        application,
        [self = shared_from_this(), handle, result = ResultOf(error, std::move(entry))] {
            self->Deliver(handle, result);
        },
        Qt::QueuedConnection);
}

void LookupRegistry::Close()
{
    std::lock_guard lock(m_mutex);
    m_closed = true;
    m_pending.clear();
}

// Runs on the application's thread. The completion is called here, not
// queued again, so that a Cancel can never come between this check and it.
void LookupRegistry::Deliver(LookupHandle handle, const LookupResult& result)
{
    Request request;
    {
        std::lock_guard lock(m_mutex);
        const auto pending = m_pending.find(handle);
        if (m_closed || pending == m_pending.end())
            return;
        request = std::move(pending->second);
        m_pending.erase(pending);
    }
    if (!request.context.isNull())
        request.done(handle, result);
}

} // namespace netsonde
