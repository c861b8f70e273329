// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/WorkerThreads.h"

#include <QMetaObject>

#include <system_error>

namespace netsonde {

struct WorkerThreads::Worker {
    std::thread thread;
};

WorkerThreads::WorkerThreads() : m_context(std::make_unique<QObject>()) {}

WorkerThreads::~WorkerThreads()
{
    JoinAll();
}

bool WorkerThreads::Start(std::function<void()> body)
{
    auto worker = std::make_unique<Worker>();
    Worker* raw = worker.get();
    QObject* context = m_context.get();
    try {
        worker->thread = std::thread([this, raw, context, body = std::move(body)] {
            body();
            // The reap runs on the user-interface thread once this one is done;
            // it is dropped with the context when the workers are joined first.
            QMetaObject::invokeMethod(
                context, [this, raw] { Reap(raw); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_threads.push_back(std::move(worker));
    return true;
}

void WorkerThreads::Reap(Worker* worker)
{
    for (auto it = m_threads.begin(); it != m_threads.end(); ++it) {
        if (it->get() != worker)
            continue;
        if ((*it)->thread.joinable())
            (*it)->thread.join();
        m_threads.erase(it);
        return;
    }
}

void WorkerThreads::JoinAll()
{
    for (auto& worker : m_threads) {
        if (worker->thread.joinable())
            worker->thread.join();
    }
    m_threads.clear();
    // Reaps already posted would name workers that are gone.
    m_context = std::make_unique<QObject>();
}

} // namespace netsonde
