#pragma once
// What the Ping and TraceRoute workers share with the main window: the run
// token (the identity of the one worker whose results are wanted), the
// blocking host lookups, and the way every effect of a worker reaches the
// window: synchronously on the user-interface thread, and only while the
// window exists and the worker is still the current one. The session
// outlives the window as long as a worker holds it.

#include "platform/resolver/HostLookup.h"

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace netsonde {

class CMainDialog;

// The blocking lookups a worker makes (gethostbyname, gethostbyaddr); they are
// called on worker threads.
struct CIcmpLookups {
    std::function<CLookupOutcome(const QByteArray& name)> byName;
    std::function<CLookupOutcome(std::uint32_t address)> byAddress;

    static CIcmpLookups System();
};

class CIcmpSession {
public:
    // 0 means "no run is wanted".
    using RunToken = std::uint64_t;

    // Created on the user-interface thread.
    CIcmpSession(CMainDialog& dialog, CIcmpLookups lookups);
    ~CIcmpSession();
    CIcmpSession(const CIcmpSession&) = delete;
    CIcmpSession& operator=(const CIcmpSession&) = delete;

    // User-interface thread: a new run becomes the current one.
    RunToken BeginRun();
    // User-interface thread: no run is wanted any more; a pausing worker wakes.
    void AbandonRun();
    // User-interface thread, when the window goes: no effect reaches it again.
    void DetachWindow();

    // Any thread.
    bool StillCurrent(RunToken token) const;
    // Sleeps unless the run is abandoned first; true when still current after it.
    bool Pause(RunToken token, std::chrono::milliseconds duration);
    // Worker thread: runs `effect` on the user-interface thread and waits for it.
    // The effect runs only while the window exists and the run is current,
    // checked there, so that nothing reaches a window that has moved on.
    // Returns whether it ran.
    bool OnWindow(RunToken token, const std::function<void(CMainDialog&)>& effect);

    const CIcmpLookups& Lookups() const { return m_lookups; }

private:
    std::unique_ptr<QObject> m_context; // lives on the user-interface thread
    CMainDialog* m_dialog;              // read and written on the user-interface thread only
    const CIcmpLookups m_lookups;
    std::atomic<RunToken> m_current{0};
    RunToken m_lastToken = 0;
    std::mutex m_pauseMutex;
    std::condition_variable m_pauseWake;
};

} // namespace netsonde
