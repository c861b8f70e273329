// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finger, WhoIs and Quote Of The Day as functions of the run layer. One
// object per function keeps its query's state: the server address, the
// target host, the request and the query socket. A query writes only to its
// own function's pane. Whatever ends it closes the socket at once and asks
// the run layer to end the run; the socket is destroyed by Cancel, which the
// run layer never calls from inside one of the socket's own events.

#include "platform/MessageBox.h"
#include "query/QueryRequest.h"
#include "run/Function.h"
#include "run/RunController.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <span>

namespace netsonde {

class QuerySocket;

class TextQueryFunction : public Function {
public:
    TextQueryFunction(RunController& runs, FunctionId id, QueryFunction kind);
    ~TextQueryFunction() override;

    void Start(const RunInputs& inputs) override;
    void Cancel() override;

    // Makes the query socket and starts the connect to the server's address.
    void CreateQuerySocket();

    // What the query socket uses.
    bool IsCurrent() const;
    qsizetype PaneLength() const;
    void AppendText(const QString& text);
    // One read of the query socket, as it arrived.
    void NoteReceived(QByteArrayView bytes);
    const QString& TargetHost() const { return m_targetHost; }
    void SetStatusText(const QString& text);
    // Closes the connection, shows the message and ends the run.
    void FailQuery(const QString& text, MessageIcon icon);
    // Closes the connection and ends the run.
    void EndQuery();

    // The socket of the running query, or null.
    const QuerySocket* Socket() const { return m_querySocket.get(); }

private:
    QueryFields FieldsOf(const RunInputs& inputs) const;
    void OnHostResolved(const LookupResult& result);
    void ConnectToChosen(std::span<const IpAddress> addresses);
    void FailLookup();
    void CloseSocket();

    RunController& m_runs;
    FunctionId m_id;
    QueryFunction m_kind;
    RunController::RequestId m_request = 0;
    IpAddress m_serverAddress;
    AddressPreference m_preference = AddressPreference::PreferIPv4;
    QString m_targetHost;
    QString m_pageHost;
    QByteArray m_requestBytes;
    std::uint16_t m_port = 0;
    std::unique_ptr<QuerySocket> m_querySocket;
};

// Finger, WhoIs and Quote Of The Day in the run layer's function table.
void InstallTextQueryFunctions(RunController& runs);

} // namespace netsonde
