// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/BackgroundLookups.h"

#include "platform/posix/UniqueFd.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>

namespace netsonde {

// What the owner shares with the job threads; the threads keep it alive after
// the owner has gone.
struct BackgroundLookups::Shared {
    explicit Shared(int maxRunning) : maxRunning(std::max(maxRunning, 1)) {}

    const int maxRunning;
    const UniqueFd finishedEvent{::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)};
    std::mutex mutex;
    std::deque<std::pair<int, Job>> queued;
    std::vector<Finished> finished;
    int running = 0;
    bool abandoned = false;
};

namespace {

using Shared = BackgroundLookups::Shared;
using Job = BackgroundLookups::Job;

void MarkFinishedWaiting(const Shared& shared)
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(shared.finishedEvent.Get(), &one, sizeof one);
}

void ClearFinishedWaiting(const Shared& shared)
{
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(shared.finishedEvent.Get(), &count, sizeof count);
}

// Notes the result, then takes the next queued job into `key` and `job`;
// false when this thread is to end. Called with the mutex held.
bool FinishAndTakeNext(Shared& shared, int& key, Job& job, std::optional<QString> text)
{
    if (!shared.abandoned) {
        shared.finished.push_back({key, std::move(text)});
        MarkFinishedWaiting(shared);
    }
    if (shared.abandoned || shared.queued.empty()) {
        --shared.running;
        return false;
    }
    std::tie(key, job) = std::move(shared.queued.front());
    shared.queued.pop_front();
    return true;
}

void RunJobs(const std::shared_ptr<Shared>& shared, int key, Job job)
{
    for (;;) {
        std::optional<QString> text = job();
        job = nullptr;
        const std::lock_guard lock(shared->mutex);
        if (!FinishAndTakeNext(*shared, key, job, std::move(text)))
            return;
    }
}

bool StartJobThread(const std::shared_ptr<Shared>& shared, int key, Job job)
{
    try {
        std::thread([shared, key, job = std::move(job)]() mutable { RunJobs(shared, key, std::move(job)); }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

} // namespace

BackgroundLookups::BackgroundLookups(int maxRunning) : m_shared(std::make_shared<Shared>(maxRunning)) {}

BackgroundLookups::~BackgroundLookups()
{
    std::deque<std::pair<int, Job>> dropped;
    const std::lock_guard lock(m_shared->mutex);
    m_shared->abandoned = true;
    dropped.swap(m_shared->queued);
}

bool BackgroundLookups::Submit(int key, Job job)
{
    const std::lock_guard lock(m_shared->mutex);
    if (!m_shared->finishedEvent.IsValid())
        return false;
    if (m_shared->running >= m_shared->maxRunning) {
        m_shared->queued.emplace_back(key, std::move(job));
        return true;
    }
    if (!StartJobThread(m_shared, key, std::move(job)))
        return false;
    ++m_shared->running;
    return true;
}

std::vector<BackgroundLookups::Finished> BackgroundLookups::TakeFinished()
{
    const std::lock_guard lock(m_shared->mutex);
    ClearFinishedWaiting(*m_shared);
    return std::exchange(m_shared->finished, {});
}

int BackgroundLookups::PollDescriptor() const
{
    return m_shared->finishedEvent.Get();
}

bool BackgroundLookups::IsIdle() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->queued.empty() && m_shared->running == 0 && m_shared->finished.empty();
}

} // namespace netsonde
