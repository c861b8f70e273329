#include "icmp/IcmpSession.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace netsonde {

CIcmpLookups CIcmpLookups::System()
{
    return {&LookUpHostByName, &LookUpHostByAddress};
}

CIcmpSession::CIcmpSession(CMainDialog& dialog, CIcmpLookups lookups)
    : m_context(std::make_unique<QObject>()), m_dialog(&dialog), m_lookups(std::move(lookups))
{
}

CIcmpSession::~CIcmpSession()
{
    // The last worker may let go of the session on its own thread: the
    // context is then deleted on the thread it belongs to.
    if (m_context->thread() != QThread::currentThread())
        m_context.release()->deleteLater();
}

CIcmpSession::RunToken CIcmpSession::BeginRun()
{
    m_current = ++m_lastToken;
    return m_current;
}

void CIcmpSession::AbandonRun()
{
    {
        const std::lock_guard lock(m_pauseMutex);
        m_current = 0;
    }
    m_pauseWake.notify_all();
}

void CIcmpSession::DetachWindow()
{
    m_dialog = nullptr;
    AbandonRun();
}

bool CIcmpSession::StillCurrent(RunToken token) const { return token != 0 && m_current == token; }

bool CIcmpSession::Pause(RunToken token, std::chrono::milliseconds duration)
{
    std::unique_lock lock(m_pauseMutex);
    return !m_pauseWake.wait_for(lock, duration, [&] { return !StillCurrent(token); });
}

bool CIcmpSession::OnWindow(RunToken token, const std::function<void(CMainDialog&)>& effect)
{
    bool ran = false;
    QMetaObject::invokeMethod(
        m_context.get(),
        [&] {
            if (m_dialog == nullptr || !StillCurrent(token))
                return;
            effect(*m_dialog);
            ran = true;
        },
        Qt::BlockingQueuedConnection);
    return ran;
}

} // namespace netsonde
