#pragma once
// Finger, WhoIs and Quote Of The Day as functions of the main window. One
// object per function keeps its query's state: the pending lookup, the
// server address, the target host, the request and the query socket. A
// query writes only to its own function's pane and is ended, whatever ends
// it, through the controller's end-run step, which cancels the running
// function even after a tab change; cancelling releases the socket.

#include "mainwindow/Function.h"
#include "mainwindow/FunctionId.h"
#include "platform/MessageBox.h"
#include "platform/resolver/Resolver.h"
#include "query/QueryRequest.h"

#include <QByteArray>
#include <QString>

#include <netinet/in.h>

#include <memory>

namespace netsonde {

class CMainDialog;
class COutputPane;
class CPropertyPage;
class CQuerySocket;

class CTextQueryFunction : public CFunction {
public:
    CTextQueryFunction(CMainDialog& dialog, FunctionId id, QueryFunction kind);
    ~CTextQueryFunction() override;

    void OnAppMessage(const CAppMessageEvent& message) override;

    // Makes the query socket and starts the connect to m_serverAddress.
    void CreateQuerySocket();

    // What the query socket uses.
    COutputPane& Pane() const;
    const QString& TargetHost() const { return m_strTargetHost; }
    void SetStatusText(const QString& text);
    // Closes the connection, shows the message and ends the run.
    void FailQuery(const QString& text, MessageIcon icon);
    // The end-run step of the main window.
    void EndQuery();
    // Set by a successful connect; while clear, socket events are ignored.
    bool m_bConnected = false;

    // The socket of the running query, or null.
    const CQuerySocket* QuerySocket() const { return m_pQuerySocket.get(); }

protected:
    // The start of a query once the page's fields are read: the host check,
    // Clear Output, the begin-run step, the Recent List entry and then the
    // connect or the lookup of the target host.
    void StartQuery(CPropertyPage& page, const QueryFields& fields, bool bClearOutput,
                    const QString& strRecentEntry);
    // Releases the pending lookup and the socket, and puts the focus on the
    // page's host field.
    void CancelQuery();

    CMainDialog& m_dialog;

private:
    void OnHostResolved(const CAppMessageEvent& message);
    void ConnectTo(std::uint32_t address);
    void ReleaseLookup();
    void ReleaseSocket();

    FunctionId m_id;
    QueryFunction m_kind;
    LookupHandle m_hLookup = 0;
    sockaddr_in m_serverAddress{};
    QString m_strTargetHost;
    QString m_strPageHost;
    QByteArray m_request;
    std::uint16_t m_nPort = 0;
    std::unique_ptr<CQuerySocket> m_pQuerySocket;
};

class CFingerFunction final : public CTextQueryFunction {
public:
    explicit CFingerFunction(CMainDialog& dialog);
    void Start() override { StartFinger(); }
    void Cancel() override { CancelFinger(); }
    void StartFinger();
    void CancelFinger() { CancelQuery(); }
};

class CWhoIsFunction final : public CTextQueryFunction {
public:
    explicit CWhoIsFunction(CMainDialog& dialog);
    void Start() override { StartWhoIs(); }
    void Cancel() override { CancelWhoIs(); }
    void StartWhoIs();
    void CancelWhoIs() { CancelQuery(); }
};

class CQuoteOfDayFunction final : public CTextQueryFunction {
public:
    explicit CQuoteOfDayFunction(CMainDialog& dialog);
    void Start() override { StartQuoteOfTheDay(); }
    void Cancel() override { CancelQuoteOfTheDay(); }
    void StartQuoteOfTheDay();
    void CancelQuoteOfTheDay() { CancelQuery(); }
};

} // namespace netsonde
