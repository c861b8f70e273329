// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One DNS message over TCP (RFC 7766): the query sent after its two-byte
// length, the answer read by its own, each read bounded by what is still
// missing. Its end arrives as a signal, once:
//   answered  the whole answer, without its length;
//   failed    the step and its error number: ECONNRESET when the server
//             closed before the whole answer, EBADMSG for a length of 0.
// A receiver may close the stream; no further signal comes then.

#include "platform/NonBlockingSocket.h"

#include <QByteArray>
#include <QObject>

namespace netsonde {

class DnsTcpStream final : public QObject {
    Q_OBJECT
public:
    enum class Step { Connect, Send, Receive };

    DnsTcpStream();

    // Starts the connect; one of the signals follows.
    void Start(const IpAddress& address, std::uint16_t port, const QByteArray& query);
    void Close();

Q_SIGNALS:
    void answered(const QByteArray& message);
    void failed(netsonde::DnsTcpStream::Step step, int error);

private:
    void OnConnected(int error);
    void OnReadyToSend();
    void OnReadyToReceive();
    void OnClosed();
    // How many more bytes the answer needs: its length first, then the rest.
    qsizetype Missing() const;
    void Fail(Step step, int error);

    NonBlockingSocket m_socket;
    QByteArray m_outgoing;
    qsizetype m_sent = 0;
    QByteArray m_incoming;
};

} // namespace netsonde
