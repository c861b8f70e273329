// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Blocking lookups for a worker that waits with poll(): each job runs on a
// thread of its own, at most maxRunning at once, and a descriptor becomes
// readable while finished results wait to be taken.

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace netsonde {

class BackgroundLookups {
public:
    // A job may outlive its owner: it holds what it uses by value or through a
    // shared_ptr, and it does not throw.
    using Job = std::function<std::optional<QString>()>;
    struct Finished {
        int key;
        std::optional<QString> text;
    };

    explicit BackgroundLookups(int maxRunning);
    // Never waits: queued jobs are dropped, running ones end on their own
    // threads and their results are dropped.
    ~BackgroundLookups();
    BackgroundLookups(const BackgroundLookups&) = delete;
    BackgroundLookups& operator=(const BackgroundLookups&) = delete;

    // Starts the job, or queues it while maxRunning jobs run; false when no
    // thread can be started for it.
    bool Submit(int key, Job job);
    // The results not taken yet, in the order their jobs finished; the
    // descriptor is no longer readable until the next one finishes.
    std::vector<Finished> TakeFinished();
    // Readable while finished results wait to be taken; -1 when no eventfd
    // could be made (Submit then fails).
    int PollDescriptor() const;
    // Nothing queued, running, or waiting to be taken.
    bool IsIdle() const;

    // What the owner shares with the job threads.
    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
};

} // namespace netsonde
