// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The run layer's worker threads: owned and joined, never detached. A
// worker that returns is joined on the user-interface thread as soon as it
// has ended, so that thread never waits for a running worker; JoinAll is for
// the end of the program, after every worker has been woken.

#include <QObject>

#include <functional>
#include <list>
#include <memory>
#include <thread>

namespace netsonde {

class WorkerThreads {
public:
    WorkerThreads();
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    // False when the system cannot create a thread now.
    bool Start(std::function<void()> body);
    // Waits for every worker; call once they have all been woken.
    void JoinAll();
    // Workers started and not yet joined.
    std::size_t Count() const { return m_threads.size(); }

private:
    struct Worker;
    void Reap(Worker* worker);

    std::unique_ptr<QObject> m_context; // the user-interface thread's; a reap posted to it dies with it
    std::list<std::unique_ptr<Worker>> m_threads;
};

} // namespace netsonde
