// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/RunController.h"

#include "platform/AppMessages.h"
#include "run/RunView.h"

#include <QMetaObject>

namespace netsonde {

CRunController::CRunController(IRunView& view, QObject* parent)
    : QObject(parent), m_view(view), m_resolver(CreateSystemResolver())
{
}

CRunController::~CRunController() { Shutdown(); }

void CRunController::SetFunction(FunctionId id, std::unique_ptr<CFunction> function)
{
    m_functions[Index(id)] = std::move(function);
}

void CRunController::SetResolver(std::unique_ptr<IResolver> resolver) { m_resolver = std::move(resolver); }

void CRunController::Go(const CRunInputs& inputs)
{
    m_bBusy = true;
    m_bEnding = false;
    ++m_nRun;
    m_inputs = inputs;
    m_running = inputs.function;
    m_functions[Index(inputs.function)]->Start(inputs);
}

void CRunController::StartSideRun(FunctionId id)
{
    m_bEnding = false;
    ++m_nRun;
    m_inputs = CRunInputs{};
    m_inputs.function = id;
    m_running = id;
}

void CRunController::BeginRun()
{
    if (m_running && !m_bEnding)
        m_view.BeginRun(m_inputs);
}

void CRunController::RecordRecentHost()
{
    if (m_running && !m_bEnding)
        m_view.RecordRecentHost(m_inputs);
}

void CRunController::SetStatusText(const QString& text)
{
    m_view.ShowStatusText(text);
    Q_EMIT statusTextChanged(text);
}

void CRunController::ShowMessage(const QString& text, MessageIcon icon)
{
    // A message that follows the end of the run waits for that end.
    if (m_bEnding) {
        m_afterEnd.push_back([text, icon] { ShowMessageBox(text, icon); });
        return;
    }
    ShowMessageBox(text, icon);
}

void CRunController::EndRun()
{
    if (!m_running || m_bEnding)
        return;
    m_bEnding = true;
    DropRequests();
    const std::uint64_t run = m_nRun;
    QMetaObject::invokeMethod(
        this,
        [this, run] {
            if (m_bEnding && m_nRun == run)
                Finish(std::nullopt);
        },
        Qt::QueuedConnection);
}

void CRunController::Stop(std::optional<FunctionId> current) { Finish(current); }

void CRunController::Finish(std::optional<FunctionId> current)
{
    const std::optional<FunctionId> running = m_running;
    m_lastEnd.reset();
    if (running && m_bBusy)
        m_lastEnd = CRunEnd{*running, m_bEnding};
    m_bBusy = false;
    m_bEnding = false;
    m_running.reset();
    ++m_nRun;
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

void CRunController::CancelFunction(FunctionId id)
{
    if (CFunction* function = m_functions[Index(id)].get())
        function->Cancel();
}

void CRunController::Shutdown()
{
    m_bBusy = false;
    m_bEnding = false;
    m_running.reset();
    ++m_nRun;
    DropRequests();
    for (auto& function : m_functions) {
        if (function)
            function->Cancel();
    }
    m_workers.JoinAll();
}

LookupHandle CRunController::LookUpName(const QString& name, int message)
{
    const LookupHandle handle = m_resolver->AsyncGetHostByName(this, message, name);
    if (handle != 0) {
        const std::lock_guard lock(m_mutex);
        m_pending.insert({RequestKind::Lookup, handle});
    }
    return handle;
}

LookupHandle CRunController::LookUpAddress(const CIpAddress& address, int message)
{
    const LookupHandle handle = m_resolver->AsyncGetHostByAddr(this, message, address);
    if (handle != 0) {
        const std::lock_guard lock(m_mutex);
        m_pending.insert({RequestKind::Lookup, handle});
    }
    return handle;
}

CRunController::RequestId CRunController::OpenRequest()
{
    const std::lock_guard lock(m_mutex);
    const RequestId id = ++m_nLastRequest;
    m_pending.insert({RequestKind::Other, id});
    return id;
}

bool CRunController::IsPending(RequestId id) const
{
    const std::lock_guard lock(m_mutex);
    return m_pending.contains({RequestKind::Other, id});
}

bool CRunController::HasPendingRequests() const
{
    const std::lock_guard lock(m_mutex);
    return !m_pending.empty();
}

void CRunController::PostEffect(RequestId id, std::function<void()> effect)
{
    QMetaObject::invokeMethod(
        this,
        [this, id, effect = std::move(effect)] {
            if (IsPending(id))
                effect();
        },
        Qt::QueuedConnection);
}

bool CRunController::StartWorker(std::function<void()> body) { return m_workers.Start(std::move(body)); }

void CRunController::DropRequests()
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

bool CRunController::TakeLookup(LookupHandle handle)
{
    const std::lock_guard lock(m_mutex);
    return m_pending.erase({RequestKind::Lookup, handle}) == 1;
}

// A completion reaches the running function only while its request is pending.
bool CRunController::event(QEvent* event)
{
    const auto type = event->type();
    if (type != WM_APP_HOST_RESOLVED && type != WM_APP_LOCAL_HOST_RESOLVED && type != WM_APP_ADDRESS_RESOLVED)
        return QObject::event(event);
    const auto& message = *static_cast<CAppMessageEvent*>(event);
    if (TakeLookup(message.WParam()) && m_running && !m_bEnding)
        m_functions[Index(*m_running)]->OnLookupCompleted(message);
    return true;
}

} // namespace netsonde
