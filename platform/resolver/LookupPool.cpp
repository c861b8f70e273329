#include "platform/resolver/LookupPool.h"

#include "platform/resolver/LookupRegistry.h"

#include <algorithm>
#include <system_error>
#include <thread>

namespace netsonde {

CLookupPool::CLookupPool(std::shared_ptr<CLookupRegistry> registry, int nMaxThreads)
    : m_registry(std::move(registry)), m_nMaxThreads(std::max(1, nMaxThreads))
{
}

bool CLookupPool::Submit(LookupHandle handle, std::function<CLookupOutcome()> lookup)
{
    std::lock_guard lock(m_mutex);
    if (m_bStopping)
        return false;
    m_jobs.push_back({handle, std::move(lookup)});
    const bool bNeedsThread = std::ssize(m_jobs) > m_nIdleThreads && m_nThreads < m_nMaxThreads;
    if (bNeedsThread && !StartThreadLocked() && m_nThreads == 0) {
        m_jobs.pop_back();
        return false;
    }
    m_jobQueued.notify_one();
    return true;
}

void CLookupPool::Stop()
{
    std::lock_guard lock(m_mutex);
    m_bStopping = true;
    m_jobs.clear();
    m_jobQueued.notify_all();
}

bool CLookupPool::StartThreadLocked()
{
    try {
        std::thread([self = shared_from_this()] { self->RunJobs(); }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    ++m_nThreads;
    return true;
}

void CLookupPool::RunJobs()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_nIdleThreads;
        m_jobQueued.wait(lock, [this] { return m_bStopping || !m_jobs.empty(); });
        --m_nIdleThreads;
        if (m_bStopping) {
            --m_nThreads;
            return;
        }
        CJob job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        if (m_registry->IsPending(job.handle)) {
            CLookupOutcome outcome = job.lookup();
            m_registry->Complete(job.handle, outcome.nError, std::move(outcome.entry));
        }
        job = {};
        lock.lock();
    }
}

} // namespace netsonde
