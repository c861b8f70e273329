// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Private window messages of the main window and its pages. They travel as
// QEvents whose type is the message number (0x8001 to 0x8006 lie inside
// Qt's user event range), carrying the two message parameters and, for
// asynchronous completions, the request's own result.

#include <QCoreApplication>
#include <QEvent>

#include <any>
#include <cstdint>

namespace netsonde {

constexpr int WM_APP = 0x8000;
constexpr int WM_APP_REFRESH = WM_APP + 1;
constexpr int WM_APP_HOST_RESOLVED = WM_APP + 2;
constexpr int WM_APP_LOCAL_HOST_RESOLVED = WM_APP + 3;
constexpr int WM_APP_ADDRESS_RESOLVED = WM_APP + 4;
constexpr int WM_APP_FOCUS_HOST = WM_APP + 6;

class AppMessageEvent : public QEvent {
public:
    AppMessageEvent(int message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0,
                     std::any result = {})
        : QEvent(static_cast<QEvent::Type>(message)), m_wParam(wParam), m_lParam(lParam),
          m_result(std::move(result))
    {
    }

    int Message() const { return static_cast<int>(type()); }
    std::uintptr_t WParam() const { return m_wParam; }
    std::intptr_t LParam() const { return m_lParam; }
    const std::any& Result() const { return m_result; }

private:
    std::uintptr_t m_wParam;
    std::intptr_t m_lParam;
    std::any m_result;
};

// Delivers the message at once, as a sent window message is.
inline bool SendAppMessage(QObject* receiver, int message, std::uintptr_t wParam = 0,
                           std::intptr_t lParam = 0)
{
    AppMessageEvent event(message, wParam, lParam);
    return QCoreApplication::sendEvent(receiver, &event);
}

// Queues the message for the receiver's thread; safe from any thread.
inline void PostAppMessage(QObject* receiver, int message, std::uintptr_t wParam = 0,
                           std::intptr_t lParam = 0, std::any result = {})
{
    QCoreApplication::postEvent(receiver,
                                new AppMessageEvent(message, wParam, lParam, std::move(result)));
}

} // namespace netsonde
