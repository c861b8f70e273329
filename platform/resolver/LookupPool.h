// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Detached threads that run queued lookups one after another. At most
// maxThreads of them serve requests that are still wanted; a thread whose
// lookup was cancelled while it runs no longer counts against that limit,
// so a new request never waits behind lookups nobody waits for. Such
// abandoned threads are bounded too: beyond kMaxAbandonedThreads of them a
// request that needs a thread is refused. Threads above the limit end when
// their lookup returns and nothing is queued. A job whose request was
// cancelled before it began is skipped. Stop() empties the queue and lets
// idle threads end; a thread inside a blocking lookup ends when the lookup
// returns, and its result is dropped by the closed registry.

#include "platform/resolver/HostLookup.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace netsonde {

class LookupRegistry;

class LookupPool : public std::enable_shared_from_this<LookupPool> {
public:
    static constexpr int kMaxAbandonedThreads = 12;

    LookupPool(std::shared_ptr<LookupRegistry> registry, int maxThreads);

    // Returns false when no thread can run the job.
    bool Submit(LookupHandle handle, std::function<LookupOutcome()> lookup);
    // A request was cancelled: if its lookup is running, its thread's place
    // goes to the jobs still queued.
    void OnRequestCancelled();
    void Stop();

private:
    struct Job {
        LookupHandle handle = 0;
        std::function<LookupOutcome()> lookup;
    };

    bool ProvideThreadLocked();
    int AbandonedThreadsLocked() const;
    bool StartThreadLocked();
    bool ShouldEndAfterJobLocked() const;
    void RunJobs();

    const std::shared_ptr<LookupRegistry> m_registry;
    const int m_maxThreads;
    std::mutex m_mutex;
    std::condition_variable m_jobQueued;
    std::deque<Job> m_jobs;
    std::vector<LookupHandle> m_running; // the request of each busy thread
    int m_threads = 0;
    int m_idleThreads = 0;
    bool m_stopping = false;
};

} // namespace netsonde
