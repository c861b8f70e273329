// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_probe.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace netsonde::bench {

namespace {

long long MonotonicNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void PrintMoment(const char* name)
{
    std::printf("%s %lld\n", name, MonotonicNs());
    std::fflush(stdout);
}

// A window paints itself and its children in one pass, inside the delivery of
// its first paint event; a zero timer started there fires only once that pass
// and the events queued before it are done: the loop's first idle moment.
class FirstIdleWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_window && watched->isWidgetType()) {
            m_window = static_cast<QWidget*>(watched)->window();
            QTimer::singleShot(0, this, [this] { CloseAtFirstIdle(); });
        }
        return false;
    }

private:
    void CloseAtFirstIdle()
    {
        PrintMoment("idle");
        QCoreApplication::instance()->removeEventFilter(this);
        PrintMoment("close");
        if (m_window)
            m_window->close();
    }

    QPointer<QWidget> m_window;
};

} // namespace

void ArmWindowProbe()
{
    QCoreApplication* application = QCoreApplication::instance();
    application->installEventFilter(new FirstIdleWatch(application));
}

} // namespace netsonde::bench
