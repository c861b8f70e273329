// SPDX-License-Identifier: GPL-3.0-or-later
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
    if (!ProvideThreadLocked()) {
        m_jobs.pop_back();
        return false;
    }
    m_jobQueued.notify_one();
    return true;
}

void CLookupPool::OnRequestCancelled()
{
    std::lock_guard lock(m_mutex);
    if (!m_bStopping && !m_jobs.empty())
        ProvideThreadLocked();
}

void CLookupPool::Stop()
{
    std::lock_guard lock(m_mutex);
    m_bStopping = true;
    m_jobs.clear();
    m_jobQueued.notify_all();
}

// True when every queued job has a thread that will take it: an idle one,
// a new one, or one busy with a request that is still wanted.
bool CLookupPool::ProvideThreadLocked()
{
    if (std::ssize(m_jobs) <= m_nIdleThreads)
        return true;
    const int nLiveThreads = m_nThreads - AbandonedThreadsLocked();
    if (nLiveThreads >= m_nMaxThreads)
        return true;
    if (m_nThreads >= m_nMaxThreads + kMaxAbandonedThreads)
        return false;
    return StartThreadLocked() || nLiveThreads > 0;
}

int CLookupPool::AbandonedThreadsLocked() const
{
    return static_cast<int>(std::ranges::count_if(
        m_running, [this](LookupHandle handle) { return !m_registry->IsPending(handle); }));
}

bool CLookupPool::StartThreadLocked()
{
    try {
        std::thread([self = shared_from_this()] { self->RunJobs(); }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    // Idle from now on: until it reaches its wait, a second request or cancel
    // must not start another thread for the same queued job.
    ++m_nThreads;
    ++m_nIdleThreads;
    return true;
}

bool CLookupPool::ShouldEndAfterJobLocked() const
{
    return m_nThreads > m_nMaxThreads && m_jobs.empty();
}

void CLookupPool::RunJobs()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_jobQueued.wait(lock, [this] { return m_bStopping || !m_jobs.empty(); });
        --m_nIdleThreads;
        if (m_bStopping) {
            --m_nThreads;
            return;
        }
        CJob job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_running.push_back(job.handle);
        lock.unlock();
        if (m_registry->IsPending(job.handle)) {
            CLookupOutcome outcome = job.lookup();
            m_registry->Complete(job.handle, outcome.nError, std::move(outcome.entry));
        }
        const LookupHandle finished = job.handle;
        job = {};
        lock.lock();
        std::erase(m_running, finished);
        if (ShouldEndAfterJobLocked()) {
            --m_nThreads;
            return;
        }
        ++m_nIdleThreads;
    }
}

} // namespace netsonde
