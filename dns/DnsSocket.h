// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The UDP socket of a Name Server LookUp: non-blocking, watched by a pair of
// socket notifiers. Its events arrive as signals, each with the error the
// socket holds (0 when none):
//   readyToReceive  repeated while a datagram or an error waits;
//   readyToSend     once after Select and again only after a send that
//                   would have blocked, so each one stands for one chance to
//                   send.
// A receiver may close the socket; no further signal comes then.

#include "platform/net/IpAddress.h"

#include <QByteArrayView>
#include <QObject>

#include <cstdint>
#include <memory>
#include <span>

class QSocketNotifier;

namespace netsonde {

class DnsSocket final : public QObject {
    Q_OBJECT
public:
    struct Received {
        qsizetype length = 0;       // bytes of the datagram, when error is 0
        int error = 0;              // errno of the failed receive
        IpAddress from;             // the sender, when error is 0 or EMSGSIZE
        std::uint16_t fromPort = 0; // the sender's port, host byte order
    };

    // A new socket of the family, or nullptr (errno tells why) when none
    // can be made.
    static std::unique_ptr<DnsSocket> Create(IpFamily family);
    ~DnsSocket() override;
    DnsSocket(const DnsSocket&) = delete;
    DnsSocket& operator=(const DnsSocket&) = delete;

    // Starts watching for read and write events.
    void Select();
    // No signal comes after this; the descriptor goes with the object.
    void Close();
    IpFamily Family() const { return m_family; }
    // Sends one datagram to an address of the socket's family; 0 or errno.
    // A send that would block asks for the next write event.
    int SendTo(QByteArrayView datagram, const IpAddress& address, std::uint16_t port);
    // Receives one datagram into the buffer and tells who sent it; one
    // longer than the buffer is refused with EMSGSIZE and dropped.
    Received Receive(std::span<char> buffer);

Q_SIGNALS:
    void readyToSend(int error);
    void readyToReceive(int error);

private:
    DnsSocket(int fd, IpFamily family);
    void OnReadable();
    void OnWritable();

    int m_fd;
    IpFamily m_family;
    bool m_closed = false;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
};

} // namespace netsonde
