// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A non-blocking TCP socket, IPv4 or IPv6, whose network events arrive as
// signals on the user-interface thread:
//   connected       once, when the connect has completed (0 or the error
//                   number);
//   readyToSend     right after a successful connect, and again whenever a
//                   send that would have blocked can go on;
//   readyToReceive  while received data waits (repeated until it is read);
//   closed          once, when the peer has closed its side, even with data
//                   still waiting, so that the receiver can drain it.
// A receiver may close the socket; no further signal comes then. Error
// numbers are the platform's errno values.

#include "platform/net/IpAddress.h"

#include <QObject>

#include <cerrno>
#include <cstdint>
#include <memory>

class QSocketNotifier;

namespace netsonde {

class NonBlockingSocket final : public QObject {
    Q_OBJECT
public:
    // The error of an operation that would have blocked.
    static constexpr int kWouldBlock = EWOULDBLOCK;

    NonBlockingSocket();
    ~NonBlockingSocket() override;

    // Makes a stream socket of the family, bound to any local address of it
    // and port 0.
    bool Create(IpFamily family);
    // Switches the socket to non-blocking mode and starts delivering its
    // events; false when there is no socket or the mode cannot be set.
    bool AsyncSelect();
    // Starts the connect. True when it has completed or is under way
    // (connected follows); false with LastError() set otherwise.
    bool Connect(const IpAddress& address, std::uint16_t port);
    // Bytes sent or received, or -1 with LastError() set (kWouldBlock when
    // the call would have blocked). Receive gives 0 when the peer closed.
    qsizetype Send(const char* data, qsizetype size);
    qsizetype Receive(char* buffer, qsizetype size);
    // Closes the connection; no event arrives after this.
    void Close();

    bool IsOpen() const { return m_fd >= 0; }
    int LastError() const { return m_lastError; }

Q_SIGNALS:
    void connected(int error);
    void readyToSend();
    void readyToReceive();
    void closed();

private:
    void OnReadable();
    void OnWritable();
    void CompleteConnect();
    bool PeerHasClosed() const;
    qsizetype Result(qsizetype result);

    int m_fd = -1;
    int m_lastError = 0;
    bool m_connecting = false;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
};

// The error a socket holds, taken off it (SO_ERROR); errno when it cannot
// be read.
int TakePendingSocketError(int fd);

} // namespace netsonde
