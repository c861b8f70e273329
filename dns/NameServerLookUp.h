// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Name Server LookUp: one question to a name server over UDP with the first
// answer reported, or, with the resolver search type, the local host and the
// target looked up through the platform's resolver.

#include "dns/DnsQuery.h"
#include "dns/DnsSocket.h"
#include "platform/MessageBox.h"
#include "run/RunController.h"
#include "run/RunFunction.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace netsonde {

struct CHostEntry;

// The largest answer taken; a longer datagram is a receive error.
inline constexpr qsizetype kDnsMaxAnswerSize = 1000;
inline constexpr std::uint16_t kDnsServerPort = 53;

class CNameServerLookUp : public CFunction {
public:
    explicit CNameServerLookUp(CRunController& runs);
    ~CNameServerLookUp() override;

    void Start(const CRunInputs& inputs) override { StartNameServerLookUp(inputs); }
    void Cancel() override { CancelNameServerLookUp(); }
    void OnLookupCompleted(const CAppMessageEvent& message) override;

    void StartNameServerLookUp(const CRunInputs& inputs);
    void CancelNameServerLookUp();

    // The port queries go to; tests point it at a server of their own.
    void SetServerPort(std::uint16_t port) { m_nServerPort = port; }

private:
    bool TakeInputs(const CRunInputs& inputs);
    void StartDnsMode();
    void StartGetHostByXMode();
    void ConnectToChosen(std::span<const CIpAddress> addresses);
    void SelectSocket(const CIpAddress& address);
    void ResolveTarget();

    void OnHostResolved(const CAppMessageEvent& message);
    void OnLocalHostResolved(const CAppMessageEvent& message);
    void OnAddressResolved(const CAppMessageEvent& message);
    void OnDnsSocketEvent(CDnsSocket::Event event, int error);
    void SendQuery();
    void ReceiveAnswer();
    bool IsFromServer(const CDnsSocket::Received& received) const;

    void AppendOutput(const QString& text);
    void AppendAndStop(const QString& text);
    // Shows the box and ends the lookup; the socket is closed first, so no
    // event of it is handled while the box is open.
    void Fail(const QString& text, MessageIcon icon = MessageIcon::None);
    void SetStatus(const QString& text);

    CRunController& m_runs;
    bool m_bGetHostByX = false;
    QString m_strLocalHost;
    QString m_strTargetHost;
    // The page's fields as they were at Go.
    QString m_strHost;
    QString m_strSearchType;
    QString m_strNameServer;
    bool m_bVerboseFormat = false;
    AddressPreference m_preference = AddressPreference::PreferIPv4;

    std::unique_ptr<CDnsSocket> m_dnsSocket;
    CIpAddress m_serverAddress;
    std::uint16_t m_nServerPort = kDnsServerPort;
    std::array<char, kDnsMessageBufferSize> m_receiveBuffer{};
};

} // namespace netsonde
