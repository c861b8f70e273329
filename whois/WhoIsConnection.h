// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One port-43 exchange of WhoIs in automatic mode: the server's name is
// looked up through the run layer, the request is sent once connected, and
// what the server sends goes to the WhoIs pane until it closes. The connect
// has 10 seconds, and the server 30 seconds of silence at most. Every end
// comes as finished, once; the owner destroys the object afterwards, never
// from inside that signal.

#include "platform/NonBlockingSocket.h"
#include "query/ReceivedText.h"
#include "run/RunController.h"
#include "whois/WhoIsReferrals.h"

#include <QTimer>

namespace netsonde {

class WhoIsConnection final : public QObject {
    Q_OBJECT
public:
    static constexpr int kConnectTimeoutMs = 10000;
    static constexpr int kSilenceTimeoutMs = 30000;

    WhoIsConnection(RunController& runs, AddressPreference preference);
    ~WhoIsConnection() override;

    void Start(const WhoIsServer& server, const QByteArray& request);
    // The text the pane received from this server.
    const QString& Text() const { return m_text; }

Q_SIGNALS:
    // error is empty when the server closed after its answer; cutOff says
    // that the pane's limit ended the answer.
    void finished(const QString& error, bool cutOff);

private:
    void OnResolved(const LookupResult& result);
    void ConnectTo(const IpAddress& address);
    void OnConnected(int error);
    void OnReadyToSend();
    void OnReadyToReceive();
    void OnClosed();
    void OnDeadline();
    void Append(const QString& text);
    void Finish(const QString& error, bool cutOff = false);
    void SetStatus(const QString& text);

    RunController& m_runs;
    AddressPreference m_preference;
    WhoIsServer m_server;
    QByteArray m_request;
    qsizetype m_sent = 0;
    qint64 m_receivedBytes = 0;
    bool m_ended = false;
    QString m_deadlineError;
    QString m_text;
    NonBlockingSocket m_socket;
    ReceivedText m_received{QueryFunction::WhoIs};
    QTimer m_deadline;
};

} // namespace netsonde
