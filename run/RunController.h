// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The run layer: the busy state, the run in progress, the one table of its
// pending requests and the one rule that drops stale completions. Functions
// talk to the user only through it (status text, pane text, result rows and
// cells, message boxes, the end of the run); the window and report mode
// adapt it through RunView and its signals.
//
// One concurrency idiom: everything runs on the user-interface thread except
// the ICMP workers, whose effects are posted back with their request and
// carried out only while that request is pending. One way to drop a stale
// completion: a request leaves the table when it completes or when the run
// ends, and nothing is delivered for a request outside it. One way to end a
// run: EndRun schedules the end, so no callback re-enters its own function.

#include "platform/MessageBox.h"
#include "platform/resolver/Resolver.h"
#include "run/Function.h"
#include "run/FunctionId.h"
#include "run/RunInputs.h"
#include "run/WorkerThreads.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

namespace netsonde {

class RunView;

class RunController : public QObject {
    Q_OBJECT
public:
    using RequestId = std::uint64_t;

    explicit RunController(RunView& view, QObject* parent = nullptr);
    ~RunController() override;

    void SetFunction(FunctionId id, std::unique_ptr<Function> function);
    Function* FunctionFor(FunctionId id) const { return m_functions[Index(id)].get(); }
    void SetResolver(std::unique_ptr<IResolver> resolver);

    // The controller's side of Go, Stop and the window's end.
    void Go(const RunInputs& inputs);
    // Ends the run at once (Stop, Escape, Clear); `current` is the function
    // whose tab is selected, cancelled too.
    void Stop(std::optional<FunctionId> current = std::nullopt);
    // Wakes and joins every worker and drops every request: the window goes.
    void Shutdown();

    bool IsBusy() const { return m_busy; }
    std::optional<FunctionId> RunningFunction() const { return m_running; }
    const RunInputs& Inputs() const { return m_inputs; }

    // How the last run that Go started ended: its function, and whether it
    // ended by itself (EndRun) rather than by Stop. Known before the view
    // hears of the end; none when that end was of no such run (an idle Stop,
    // the end of a side run).
    struct RunEnd {
        FunctionId function;
        bool completed;
    };
    std::optional<RunEnd> LastRunEnd() const { return m_lastEnd; }

    // A run that Go did not start (a result row's lookup): its completions
    // reach the function, and EndRun or Stop end it, without the busy state.
    void StartSideRun(FunctionId id);

    // For the functions of the run in progress.
    void BeginRun();
    void RecordRecentHost();
    void SetStatusText(const QString& text);
    void ShowMessage(const QString& text, MessageIcon icon = MessageIcon::None);
    // Schedules the end of the run; nothing of it is delivered afterwards.
    void EndRun();
    RunView& View() const { return m_view; }

    // Lookups of the run: their completions come back here and are called
    // only while pending, during the run. 0 when refused.
    LookupHandle LookUpName(const QString& name, LookupCompletion done);
    LookupHandle LookUpAddress(const IpAddress& address, LookupCompletion done);

    // Sockets and workers of the run hold a request until it ends. Safe from
    // any thread: IsPending.
    RequestId OpenRequest();
    bool IsPending(RequestId id) const;
    bool HasPendingRequests() const;
    // Posts an effect from a worker: it runs on the user-interface thread
    // only while the request is pending then.
    void PostEffect(RequestId id, std::function<void()> effect);
    // Starts a worker thread; false when the system cannot create one.
    bool StartWorker(std::function<void()> body);
    std::size_t WorkerCount() const { return m_workers.Count(); }

Q_SIGNALS:
    void statusTextChanged(const QString& text);
    void runFinished(netsonde::FunctionId id);

private:
    enum class RequestKind { Lookup, Other };
    using RequestKey = std::pair<RequestKind, std::uint64_t>;

    void Finish(std::optional<FunctionId> current);
    void CancelFunction(FunctionId id);
    void DropRequests();
    LookupCompletion WhilePending(LookupCompletion done);
    void NotePendingLookup(LookupHandle handle);
    bool TakeLookup(LookupHandle handle);

    RunView& m_view;
    std::array<std::unique_ptr<Function>, kFunctionCount> m_functions;
    std::unique_ptr<IResolver> m_resolver;
    RunInputs m_inputs;
    std::optional<FunctionId> m_running;
    std::optional<RunEnd> m_lastEnd;
    bool m_busy = false;
    bool m_ending = false;
    std::uint64_t m_run = 0;
    std::vector<std::function<void()>> m_afterEnd;

    mutable std::mutex m_mutex;
    std::set<RequestKey> m_pending;
    std::uint64_t m_lastRequest = 0;

    WorkerThreads m_workers;
};

} // namespace netsonde
