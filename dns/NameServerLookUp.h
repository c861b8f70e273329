// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Name Server LookUp: one question to a name server over UDP with the first
// answer reported, or, with the resolver search type, the local host and the
// target looked up through the platform's resolver.

#include "dns/DnsQuery.h"
#include "dns/DnsSocket.h"
#include "platform/MessageBox.h"
#include "run/Function.h"
#include "run/RunController.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace netsonde {

// The largest answer taken; a longer datagram is a receive error.
inline constexpr qsizetype kDnsMaxAnswerSize = 1000;
inline constexpr std::uint16_t kDnsServerPort = 53;

class NameServerLookUp : public Function {
public:
    explicit NameServerLookUp(RunController& runs);
    ~NameServerLookUp() override;

    void Start(const RunInputs& inputs) override { StartNameServerLookUp(inputs); }
    void Cancel() override { CancelNameServerLookUp(); }

    void StartNameServerLookUp(const RunInputs& inputs);
    void CancelNameServerLookUp();

    // The port queries go to; tests point it at a server of their own.
    void SetServerPort(std::uint16_t port) { m_serverPort = port; }

private:
    bool TakeInputs(const RunInputs& inputs);
    void StartDnsMode();
    void StartGetHostByXMode();
    void ConnectToChosen(std::span<const IpAddress> addresses);
    void SelectSocket(const IpAddress& address);
    void ResolveTarget();

    // Each lookup's completion hands its result to its own handler.
    LookupCompletion HandledBy(void (NameServerLookUp::*handler)(const LookupResult&));
    void OnHostResolved(const LookupResult& result);
    void OnLocalHostResolved(const LookupResult& result);
    void OnAddressResolved(const LookupResult& result);
    bool IsCurrentEvent(RunController::RequestId request, int error);
    void SendQuery();
    void ReceiveAnswer();
    bool IsFromServer(const DnsSocket::Received& received) const;

    void AppendOutput(const QString& text);
    void AppendAndStop(const QString& text);
    // Shows the box and ends the lookup; the socket is closed first, so no
    // event of it is handled while the box is open.
    void Fail(const QString& text, MessageIcon icon = MessageIcon::None);
    void SetStatus(const QString& text);

    RunController& m_runs;
    bool m_getHostByX = false;
    QString m_localHost;
    QString m_targetHost;
    // The page's fields as they were at Go.
    QString m_host;
    QString m_searchType;
    QString m_nameServer;
    bool m_verboseFormat = false;
    AddressPreference m_preference = AddressPreference::PreferIPv4;

    std::unique_ptr<DnsSocket> m_dnsSocket;
    IpAddress m_serverAddress;
    std::uint16_t m_serverPort = kDnsServerPort;
    std::array<char, kDnsMessageBufferSize> m_receiveBuffer{};
};

} // namespace netsonde
