// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Name Server LookUp: one question to a name server (NameServerExchange)
// with its answer reported, or, with the resolver search type, the local host
// and the target looked up through the platform's resolver.

#include "dns/DnsSocket.h"
#include "dns/NameServerExchange.h"
#include "dns/NameServerText.h"
#include "platform/MessageBox.h"
#include "run/Function.h"
#include "run/RunController.h"

#include <QString>

#include <memory>
#include <span>

namespace netsonde {

class NameServerLookUp : public Function {
public:
    explicit NameServerLookUp(RunController& runs);
    ~NameServerLookUp() override;

    void Start(const RunInputs& inputs) override { StartNameServerLookUp(inputs); }
    void Cancel() override { CancelNameServerLookUp(); }

    void StartNameServerLookUp(const RunInputs& inputs);
    void CancelNameServerLookUp();

private:
    bool TakeInputs(const RunInputs& inputs);
    void StartDnsMode();
    void StartGetHostByXMode();
    void ConnectToChosen(std::span<const IpAddress> addresses);
    void StartExchange(const IpAddress& address);
    void ResolveTarget();

    // Each lookup's completion hands its result to its own handler.
    LookupCompletion HandledBy(void (NameServerLookUp::*handler)(const LookupResult&));
    void OnHostResolved(const LookupResult& result);
    void OnLocalHostResolved(const LookupResult& result);
    void OnAddressResolved(const LookupResult& result);
    void ReportAnswer(const QByteArray& answer, const DnsExchange& exchange);

    void AppendOutput(const QString& text);
    void AppendAndStop(const QString& text);
    // Shows the box and ends the lookup; the exchange is closed first, so no
    // event of it is handled while the box is open.
    void Fail(const QString& text, MessageIcon icon = MessageIcon::None);
    void SetStatus(const QString& text);

    RunController& m_runs;
    bool m_getHostByX = false;
    QString m_localHost;
    QString m_targetHost;
    // The page's fields as they were at Go, and the stored exchange options.
    RunInputs m_inputs;
    NameServerText m_server;

    // Made before the name server is looked up, handed to the exchange after.
    std::unique_ptr<DnsSocket> m_dnsSocket;
    std::unique_ptr<NameServerExchange> m_exchange;
};

} // namespace netsonde
