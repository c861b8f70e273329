// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/RunController.h"

#include "run/RunView.h"

#include <QMetaObject>

namespace netsonde {

RunController::RunController(RunView& view, QObject* parent)
    : QObject(parent), m_view(view), m_resolver(CreateSystemResolver())
{
}

RunController::~RunController()
{
    Shutdown();
}

void RunController::SetFunction(FunctionId id, std::unique_ptr<Function> function)
{
    m_functions[Index(id)] = std::move(function);
}

void RunController::SetResolver(std::unique_ptr<IResolver> resolver)
{
    m_resolver = std::move(resolver);
}

void RunController::Go(const RunInputs& inputs)
{
    m_busy = true;
    m_ending = false;
    ++m_run;
    m_inputs = inputs;
    m_running = inputs.function;
    m_functions[Index(inputs.function)]->Start(inputs);
}

void RunController::StartSideRun(FunctionId id)
{
    m_ending = false;
    ++m_run;
    m_inputs = RunInputs{};
    m_inputs.function = id;
    m_running = id;
}

void RunController::BeginRun()
{
    if (m_running && !m_ending)
        m_view.BeginRun(m_inputs);
}

void RunController::RecordRecentHost()
{
    if (m_running && !m_ending)
        m_view.RecordRecentHost(m_inputs);
}

void RunController::SetStatusText(const QString& text)
{
    m_view.ShowStatusText(text);
    Q_EMIT statusTextChanged(text);
}

void RunController::ShowMessage(const QString& text, MessageIcon icon)
{
    // A message that follows the end of the run waits for that end.
    if (m_ending) {
        m_afterEnd.push_back([text, icon] { ShowMessageBox(text, icon); });
        return;
    }
    ShowMessageBox(text, icon);
}

void RunController::EndRun()
{
    if (!m_running || m_ending)
        return;
    m_ending = true;
    DropRequests();
    const std::uint64_t run = m_run;
    QMetaObject::invokeMethod(
        this,
        [this, run] {
            if (m_ending && m_run == run)
                Finish(std::nullopt);
        },
        Qt::QueuedConnection);
}

void RunController::Stop(std::optional<FunctionId> current)
{
    Finish(current);
}

void RunController::Finish(std::optional<FunctionId> current)
{
    const std::optional<FunctionId> running = m_running;
    m_lastEnd.reset();
    if (running && m_busy)
        m_lastEnd = RunEnd{*running, m_ending};
    m_busy = false;
    m_ending = false;
    m_running.reset();
    ++m_run;
    DropRequests();
    if (running)
        CancelFunction(*running);
    if (current && current != running)
        CancelFunction(*current);
    const FunctionId shown = current.value_or(running.value_or(m_inputs.function));
    m_view.EndRun(shown);
    SetStatusText(QStringLiteral("Ready"));
    Q_EMIT runFinished(running.value_or(shown));
    std::vector<std::function<void()>> afterEnd;
    afterEnd.swap(m_afterEnd);
    for (const auto& message : afterEnd)
        message();
}

void RunController::CancelFunction(FunctionId id)
{
    if (Function* function = m_functions[Index(id)].get())
        function->Cancel();
}

void RunController::Shutdown()
{
    m_busy = false;
    m_ending = false;
    m_running.reset();
    ++m_run;
    DropRequests();
    for (auto& function : m_functions) {
        if (function)
            function->Cancel();
    }
    m_workers.JoinAll();
}

LookupHandle RunController::LookUpName(const QString& name, LookupCompletion done)
{
    const LookupHandle handle = m_resolver->AsyncGetHostByName(this, name, WhilePending(std::move(done)));
    NotePendingLookup(handle);
    return handle;
}

LookupHandle RunController::LookUpAddress(const IpAddress& address, LookupCompletion done)
{
    const LookupHandle handle = m_resolver->AsyncGetHostByAddr(this, address, WhilePending(std::move(done)));
    NotePendingLookup(handle);
    return handle;
}

// A completion is called only while its request is pending, during the run.
LookupCompletion RunController::WhilePending(LookupCompletion done)
{
    return [this, done = std::move(done)](LookupHandle handle, const LookupResult& result) {
        if (TakeLookup(handle) && m_running && !m_ending)
            done(handle, result);
    };
}

void RunController::NotePendingLookup(LookupHandle handle)
{
    if (handle == 0)
        return;
    const std::lock_guard lock(m_mutex);
    m_pending.insert({RequestKind::Lookup, handle});
}

RunController::RequestId RunController::OpenRequest()
{
    const std::lock_guard lock(m_mutex);
    const RequestId id = ++m_lastRequest;
    m_pending.insert({RequestKind::Other, id});
    return id;
}

bool RunController::IsPending(RequestId id) const
{
    const std::lock_guard lock(m_mutex);
    return m_pending.contains({RequestKind::Other, id});
}

bool RunController::HasPendingRequests() const
{
    const std::lock_guard lock(m_mutex);
    return !m_pending.empty();
}

void RunController::PostEffect(RequestId id, std::function<void()> effect)
{
    QMetaObject::invokeMethod(
        this,
        [this, id, effect = std::move(effect)] {
            if (IsPending(id))
                effect();
        },
        Qt::QueuedConnection);
}

bool RunController::StartWorker(std::function<void()> body)
{
    return m_workers.Start(std::move(body));
}

void RunController::DropRequests()
{
    std::set<RequestKey> dropped;
    {
        const std::lock_guard lock(m_mutex);
        dropped.swap(m_pending);
    }
    for (const RequestKey& request : dropped) {
        if (request.first == RequestKind::Lookup)
            m_resolver->CancelAsyncRequest(request.second);
    }
}

bool RunController::TakeLookup(LookupHandle handle)
{
    const std::lock_guard lock(m_mutex);
    return m_pending.erase({RequestKind::Lookup, handle}) == 1;
}

} // namespace netsonde
