// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The UDP socket of a Name Server LookUp: non-blocking, watched by a pair of
// socket notifiers. A read event repeats while a datagram or an error waits;
// a write event comes once after Select and again only after a send that
// would have blocked, so each write event stands for one chance to send.

#include "platform/net/IpAddress.h"

#include <QByteArrayView>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

class QSocketNotifier;

namespace netsonde {

class DnsSocket {
public:
    enum class Event { Read, Write };
    // The event and the error the socket holds (0 when none). The handler
    // may close the socket.
    using EventHandler = std::function<void(Event event, int error)>;

    struct Received {
        qsizetype length = 0;        // bytes of the datagram, when error is 0
        int error = 0;               // errno of the failed receive
        IpAddress from;             // the sender, when error is 0 or EMSGSIZE
        std::uint16_t fromPort = 0;  // the sender's port, host byte order
    };

    // A new socket of the family, or nullptr (errno tells why) when none
    // can be made.
    static std::unique_ptr<DnsSocket> Create(IpFamily family);
    ~DnsSocket();
    DnsSocket(const DnsSocket&) = delete;
    DnsSocket& operator=(const DnsSocket&) = delete;

    // Starts watching for read and write events.
    void Select(EventHandler handler);
    // No event is delivered after this; the descriptor goes with the object.
    void Close();
    IpFamily Family() const { return m_family; }
    // Sends one datagram to an address of the socket's family; 0 or errno.
    // A send that would block asks for the next write event.
    int SendTo(QByteArrayView datagram, const IpAddress& address, std::uint16_t port);
    // Receives one datagram into the buffer and tells who sent it; one
    // longer than the buffer is refused with EMSGSIZE and dropped.
    Received Receive(std::span<char> buffer);

private:
    DnsSocket(int fd, IpFamily family);
    int TakePendingError() const;
    void OnActivated(Event event);

    int m_fd;
    IpFamily m_family;
    EventHandler m_handler;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
};

} // namespace netsonde
