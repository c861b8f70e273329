// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The TCP client of Finger, WhoIs and Quote Of The Day: it sends the query's
// request once connected and appends everything the server sends to the
// query's own text pane, until the server closes, the pane is full, an
// error occurs or the query is stopped. Every end goes through the query's
// end-run step; the query then destroys the socket.

#include "platform/NonBlockingSocket.h"
#include "query/ReceivedText.h"

#include <QByteArray>

namespace netsonde {

class TextQueryFunction;

class QuerySocket final : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kLargestSend = 2048;

    QuerySocket(TextQueryFunction& query, QueryFunction function);

    // Takes the request to send and creates the socket for the server's
    // address family. A failed creation shows at the next step, AsyncSelect.
    void Prepare(const QByteArray& request, IpFamily family);

    // Appends the bytes of a character the server left unfinished; called
    // once when the query ends.
    void AppendHeldText();

    // The connection's steps, as the query runs them.
    bool AsyncSelect() { return m_socket.AsyncSelect(); }
    bool Connect(const IpAddress& address, std::uint16_t port) { return m_socket.Connect(address, port); }
    void Close() { m_socket.Close(); }
    bool IsOpen() const { return m_socket.IsOpen(); }
    int LastError() const { return m_socket.LastError(); }

private:
    void OnConnected(int error);
    void OnReadyToSend();
    void OnReadyToReceive();
    void OnClosed();
    void AppendToPane(const QString& text);
    void ShowReceivedCount();

    NonBlockingSocket m_socket;
    TextQueryFunction* m_query;
    QByteArray m_request;
    qsizetype m_sendPos = 0;
    qsizetype m_sendLeft = 0;
    ReceivedText m_received;
};

} // namespace netsonde
