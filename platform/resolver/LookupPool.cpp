// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/resolver/LookupPool.h"

#include "platform/resolver/LookupRegistry.h"

#include <algorithm>
#include <system_error>
#include <thread>

namespace netsonde {

LookupPool::LookupPool(std::shared_ptr<LookupRegistry> registry, int maxThreads)
    : m_registry(std::move(registry)), m_maxThreads(std::max(1, maxThreads))
{
}

bool LookupPool::Submit(LookupHandle handle, std::function<LookupOutcome()> lookup)
{
    std::lock_guard lock(m_mutex);
    if (m_stopping)
        return false;
    m_jobs.push_back({handle, std::move(lookup)});
    if (!ProvideThreadLocked()) {
        m_jobs.pop_back();
        return false;
    }
    m_jobQueued.notify_one();
    return true;
}

void LookupPool::OnRequestCancelled()
{
    std::lock_guard lock(m_mutex);
    if (!m_stopping && !m_jobs.empty())
        ProvideThreadLocked();
}

void LookupPool::Stop()
{
    std::lock_guard lock(m_mutex);
    m_stopping = true;
    m_jobs.clear();
    m_jobQueued.notify_all();
}

// True when every queued job has a thread that will take it: an idle one,
// a new one, or one busy with a request that is still wanted.
bool LookupPool::ProvideThreadLocked()
{
    if (std::ssize(m_jobs) <= m_idleThreads)
        return true;
    const int liveThreads = m_threads - AbandonedThreadsLocked();
    if (liveThreads >= m_maxThreads)
        return true;
    if (m_threads >= m_maxThreads + kMaxAbandonedThreads)
        return false;
    return StartThreadLocked() || liveThreads > 0;
}

int LookupPool::AbandonedThreadsLocked() const
{
    return static_cast<int>(
        std::ranges::count_if(m_running, [this](LookupHandle handle) { return !m_registry->IsPending(handle); }));
}

bool LookupPool::StartThreadLocked()
{
    try {
        std::thread([self = shared_from_this()] { self->RunJobs(); }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    // Idle from now on: until it reaches its wait, a second request or cancel
    // must not start another thread for the same queued job.
    ++m_threads;
    ++m_idleThreads;
    return true;
}

bool LookupPool::ShouldEndAfterJobLocked() const
{
    return m_threads > m_maxThreads && m_jobs.empty();
}

void LookupPool::RunJobs()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_jobQueued.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        --m_idleThreads;
        if (m_stopping) {
            --m_threads;
            return;
        }
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_running.push_back(job.handle);
        lock.unlock();
        if (m_registry->IsPending(job.handle)) {
            LookupOutcome outcome = job.lookup();
            m_registry->Complete(job.handle, outcome.errorCode, std::move(outcome.entry));
        }
        const LookupHandle finished = job.handle;
        job = {};
        lock.lock();
        std::erase(m_running, finished);
        if (ShouldEndAfterJobLocked()) {
            --m_threads;
            return;
        }
        ++m_idleThreads;
    }
}

} // namespace netsonde
