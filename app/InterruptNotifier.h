// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turns an interrupt (SIGINT, Ctrl-C) into a signal of the event loop: the
// signal handler only writes a byte into a pipe, whose read end a socket
// notifier watches. While the notifier lives, the first interrupt is
// delivered as interrupted; a second one ends the process as usual.

#include <QObject>

#include <csignal>

class QSocketNotifier;

namespace netsonde {

class InterruptNotifier : public QObject {
    Q_OBJECT
public:
    explicit InterruptNotifier(QObject* parent = nullptr);
    ~InterruptNotifier() override;

Q_SIGNALS:
    void interrupted();

private:
    void OnPipeReadable();

    QSocketNotifier* m_notifier = nullptr;
    struct sigaction m_previous {};
    bool m_installed = false;
};

} // namespace netsonde
