// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WhoIs as a function of the run layer. A host field naming a server keeps
// the text query of Finger and WhoIs; an empty one, or "auto", asks about
// the User text on its own: RDAP first, at the service IANA's bootstrap
// registries name; when RDAP cannot answer (no service, a network or TLS
// error, a server failure), a chain of port-43 servers from IANA on,
// following each answer's referral, at most five servers, none twice. The
// pane shows every server's answer under a heading line; each hop that ends
// is noted to the view.

#include "query/TextQueryFunction.h"
#include "run/WhoIsHop.h"
#include "whois/RdapService.h"
#include "whois/WhoIsConnection.h"

#include <QElapsedTimer>
#include <QStringList>

#include <memory>

namespace netsonde {

class AutoWhoIs final : public TextQueryFunction {
public:
    explicit AutoWhoIs(RunController& runs);
    ~AutoWhoIs() override;

    void Start(const RunInputs& inputs) override;
    void Cancel() override;

private:
    void StartChain();
    void StartRdap();
    void OnRdapHopStarted(const QString& url, const QString& referredBy);
    void OnRdapHopFinished(const WhoIsHop& hop);
    void OnRdapFinished(bool answered);
    void StartPort43Chain();
    void Ask(const WhoIsServer& server, const QString& referredBy);
    void OnHopFinished(const QString& error, bool cutOff);
    void FollowReferral(const WhoIsReferral& referral);
    void ShowLine(const QString& line, bool blankBefore);
    bool IsRunning() const;

    RunController& m_runs;
    WhoIsQuery m_query;
    AddressPreference m_preference = AddressPreference::PreferIPv4;
    RunController::RequestId m_chain = 0;
    QStringList m_asked; // every server's text, in lower case
    WhoIsServer m_server;
    WhoIsHop m_hop;
    QElapsedTimer m_hopTime;
    // Cancelled at once and deleted later: a new run may start from inside
    // one of its signals.
    RdapServicePointer m_rdap;
    std::unique_ptr<WhoIsConnection> m_connection;
    std::unique_ptr<WhoIsConnection> m_ended;
};

} // namespace netsonde
