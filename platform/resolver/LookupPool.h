#pragma once
// Up to a fixed number of detached threads that run queued lookups one after
// another. A job whose request was cancelled before it began is skipped.
// Stop() empties the queue and lets idle threads end; a thread inside a
// blocking lookup ends when the lookup returns, and its result is dropped by
// the closed registry.

#include "platform/resolver/HostLookup.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace netsonde {

class CLookupRegistry;

class CLookupPool : public std::enable_shared_from_this<CLookupPool> {
public:
    CLookupPool(std::shared_ptr<CLookupRegistry> registry, int nMaxThreads);

    // Returns false when no thread can run the job.
    bool Submit(LookupHandle handle, std::function<CLookupOutcome()> lookup);
    void Stop();

private:
    struct CJob {
        LookupHandle handle = 0;
        std::function<CLookupOutcome()> lookup;
    };

    bool StartThreadLocked();
    void RunJobs();

    const std::shared_ptr<CLookupRegistry> m_registry;
    const int m_nMaxThreads;
    std::mutex m_mutex;
    std::condition_variable m_jobQueued;
    std::deque<CJob> m_jobs;
    int m_nThreads = 0;
    int m_nIdleThreads = 0;
    bool m_bStopping = false;
};

} // namespace netsonde
