// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/InterruptNotifier.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace netsonde {

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void WriteInterruptByte(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

InterruptNotifier::InterruptNotifier(QObject* parent) : QObject(parent)
{
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InterruptNotifier::OnPipeReadable);
    struct sigaction action {};
    action.sa_handler = WriteInterruptByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    m_installed = ::sigaction(SIGINT, &action, &m_previous) == 0;
}

InterruptNotifier::~InterruptNotifier()
{
    if (m_installed)
        ::sigaction(SIGINT, &m_previous, nullptr);
}

void InterruptNotifier::OnPipeReadable()
{
    char bytes[16];
    bool anyByte = false;
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0)
        anyByte = true;
    if (anyByte)
        Q_EMIT interrupted();
}

} // namespace netsonde
