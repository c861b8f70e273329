// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The TCP client of Finger, WhoIs and Quote Of The Day: it sends the query's
// request once connected and appends everything the server sends to the
// query's own text pane, until the server closes, the pane is full, an
// error occurs or the query is stopped. Every end goes through the query's
// end-run step; the query then destroys the socket.

#include "query/NonBlockingSocket.h"
#include "query/ReceivedText.h"

#include <QByteArray>

namespace netsonde {

class TextQueryFunction;

class QuerySocket final : public NonBlockingSocket {
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

protected:
    void OnConnect(int error) override;
    void OnSend(int error) override;
    void OnReceive(int error) override;
    void OnClose(int error) override;

private:
    void AppendToPane(const QString& text);
    void ShowReceivedCount();

    TextQueryFunction* m_query;
    QByteArray m_request;
    qsizetype m_sendPos = 0;
    qsizetype m_sendLeft = 0;
    ReceivedText m_received;
};

} // namespace netsonde
