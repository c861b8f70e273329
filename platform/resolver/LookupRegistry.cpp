// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/resolver/LookupRegistry.h"

#include "platform/AppMessages.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>

namespace netsonde {

namespace {

// The next request handle of the program: non-zero, never repeated.
LookupHandle NextLookupHandle()
{
    static std::atomic<LookupHandle> s_nLastHandle{0};
    return ++s_nLastHandle;
}

bool LivesOnApplicationThread(const QObject* receiver)
{
    const QCoreApplication* application = QCoreApplication::instance();
    return application != nullptr && receiver->thread() == application->thread();
}

} // namespace

LookupHandle LookupRegistry::Register(QObject* receiver, int message)
{
    if (receiver == nullptr || !LivesOnApplicationThread(receiver))
        return 0;
    std::lock_guard lock(m_mutex);
    if (m_closed || m_pending.size() >= kMaxPendingRequests)
        return 0;
    const LookupHandle handle = NextLookupHandle();
    m_pending.emplace(handle, Request{receiver, message});
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
        [self = shared_from_this(), handle, error, entry = std::move(entry)] {
            self->Deliver(handle, error, entry);
        },
        Qt::QueuedConnection);
}

void LookupRegistry::Close()
{
    std::lock_guard lock(m_mutex);
    m_closed = true;
    m_pending.clear();
}

// Runs on the application's thread. The event is sent, not posted, so that
// a Cancel can never come between this check and the receiver's handler.
void LookupRegistry::Deliver(LookupHandle handle, int error, const HostEntry& entry)
{
    QPointer<QObject> receiver;
    int message = 0;
    {
        std::lock_guard lock(m_mutex);
        const auto request = m_pending.find(handle);
        if (m_closed || request == m_pending.end())
            return;
        receiver = request->second.receiver;
        message = request->second.message;
        m_pending.erase(request);
    }
    if (receiver.isNull())
        return;
    AppMessageEvent event(message, handle, error, entry);
    QCoreApplication::sendEvent(receiver.data(), &event);
}

} // namespace netsonde
