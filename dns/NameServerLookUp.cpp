// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/NameServerLookUp.h"

#include "dns/DnsReport.h"
#include "dns/SearchTypeTable.h"
#include "platform/AppMessages.h"
#include "platform/net/IpAddress.h"
#include "platform/resolver/Resolver.h"
#include "run/RunView.h"

#include <unistd.h>

#include <cerrno>
#include <optional>

namespace netsonde {

namespace {

// gethostname's buffer, as the lookup has always used it.
constexpr std::size_t kHostNameBufferSize = 100;

std::span<const CIpAddress> AddressesOf(const CHostEntry& entry)
{
    return {entry.addresses.constData(), static_cast<std::size_t>(entry.addresses.size())};
}

// The host entry of a successful completion that has an address to show.
const CHostEntry* ResolvedEntry(const CAppMessageEvent& message)
{
    const CHostEntry* entry = HostEntryOf(message);
    if (message.LParam() != kLookupSucceeded || entry == nullptr || entry->addresses.isEmpty())
        return nullptr;
    return entry;
}

QString FirstAlias(const CHostEntry& entry) { return entry.aliases.value(0); }

// The first address, then every IPv6 address after it, a line each.
QString AddressLines(const QString& label, const CHostEntry& entry)
{
    QString lines = label + FormatIpAddress(entry.addresses.first()) + QStringLiteral("\r\n");
    for (const CIpAddress& address : entry.addresses.sliced(1)) {
        if (address.IsIPv6())
            lines += label + FormatIpAddress(address) + QStringLiteral("\r\n");
    }
    return lines;
}

QString HostBlock(const CHostEntry& entry)
{
    return QStringLiteral("Hostname: ") + entry.strOfficialName + QStringLiteral("\r\n")
         + AddressLines(QStringLiteral("IP Address: "), entry) + QStringLiteral("Alias List: ") + FirstAlias(entry)
         + QStringLiteral("\r\n");
}

QString LocalHostBlock(const CHostEntry& entry)
{
    return QStringLiteral("Local Hostname: ") + entry.strOfficialName + QStringLiteral("\r\n")
         + AddressLines(QStringLiteral("Local IP Address: "), entry) + QStringLiteral("Local Alias List: ")
         + FirstAlias(entry) + QStringLiteral("\r\n");
}

QString CannotResolve(const QString& name) { return QStringLiteral("Cannot resolve ") + name + QStringLiteral("\r\n---\r\n"); }

QString ErrorText(const char* format, int error, const QString& name)
{
    return QString::fromLatin1(format).arg(QString::number(error), name);
}

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

} // namespace

CNameServerLookUp::CNameServerLookUp(CRunController& runs) : m_runs(runs) {}

CNameServerLookUp::~CNameServerLookUp() = default;

void CNameServerLookUp::OnLookupCompleted(const CAppMessageEvent& message)
{
    switch (message.Message()) {
    case WM_APP_HOST_RESOLVED:
        OnHostResolved(message);
        break;
    case WM_APP_LOCAL_HOST_RESOLVED:
        OnLocalHostResolved(message);
        break;
    case WM_APP_ADDRESS_RESOLVED:
        OnAddressResolved(message);
        break;
    default:
        break;
    }
}

void CNameServerLookUp::StartNameServerLookUp(const CRunInputs& inputs)
{
    if (!TakeInputs(inputs))
        return;
    if (inputs.bClearOutput)
        m_runs.View().SetPaneText(FunctionId::NameServerLookUp, QString());
    m_runs.BeginRun();
    m_runs.RecordRecentHost();
    if (m_bGetHostByX)
        StartGetHostByXMode();
    else
        StartDnsMode();
}

bool CNameServerLookUp::TakeInputs(const CRunInputs& page)
{
    if (page.strHost.isEmpty()) {
        Fail(QStringLiteral("Please, enter a host name or address"), MessageIcon::Exclamation);
        return false;
    }
    m_bGetHostByX = page.strSearchType == GetHostByXSearchType();
    if (page.strNameServer.isEmpty() && !m_bGetHostByX) {
        Fail(QStringLiteral("A name server is required for this action!"), MessageIcon::Exclamation);
        return false;
    }
    m_strHost = page.strHost;
    m_strSearchType = page.strSearchType;
    m_strNameServer = page.strNameServer;
    m_bVerboseFormat = page.bVerboseFormat;
    m_preference = page.preference;
    return true;
}

void CNameServerLookUp::CancelNameServerLookUp() { m_dnsSocket.reset(); }

// DNS mode.

void CNameServerLookUp::StartDnsMode()
{
    const std::optional<CIpAddress> literal = ParseAddressLiteral(m_strNameServer.toStdString());
    m_dnsSocket = CDnsSocket::Create(literal ? literal->Family() : IpFamily::IPv4);
    if (!m_dnsSocket) {
        Fail(QStringLiteral("Unable to create UDP socket"));
        return;
    }
    if (literal) {
        ConnectToChosen({&*literal, 1});
        return;
    }
    SetStatus(QStringLiteral("Resolving Name Server"));
    if (m_runs.LookUpName(m_strNameServer, WM_APP_HOST_RESOLVED) == 0)
        Fail(QStringLiteral("Unable to resolve ") + m_strNameServer, MessageIcon::Exclamation);
}

// A name server whose addresses the preference all excludes fails as an
// unresolved one. The socket made for IPv4 before the lookup is made again
// for an IPv6 server.
void CNameServerLookUp::ConnectToChosen(std::span<const CIpAddress> addresses)
{
    const std::optional<CIpAddress> address = ChooseAddress(addresses, m_preference);
    if (!address) {
        AppendAndStop(CannotResolve(m_strNameServer));
        return;
    }
    if (address->Family() != m_dnsSocket->Family()) {
        m_dnsSocket = CDnsSocket::Create(address->Family());
        if (!m_dnsSocket) {
            Fail(QStringLiteral("Unable to create UDP socket"));
            return;
        }
    }
    SetStatus(QStringLiteral("Connecting to ") + m_strNameServer);
    SelectSocket(*address);
}

void CNameServerLookUp::SelectSocket(const CIpAddress& address)
{
    m_serverAddress = address;
    const CRunController::RequestId request = m_runs.OpenRequest();
    m_dnsSocket->Select([this, request](CDnsSocket::Event event, int error) {
        if (m_runs.IsPending(request))
            OnDnsSocketEvent(event, error);
    });
}

void CNameServerLookUp::OnDnsSocketEvent(CDnsSocket::Event event, int error)
{
    if (error != 0) {
        Fail(ErrorText("Error %1 while connecting to %2", error, m_strNameServer));
        return;
    }
    if (event == CDnsSocket::Event::Write)
        SendQuery();
    else
        ReceiveAnswer();
}

void CNameServerLookUp::SendQuery()
{
    SetStatus(QStringLiteral("Requesting information from name server"));
    const DnsQuery query = BuildDnsQuery(m_strHost, m_strSearchType, CurrentDnsQueryId());
    if (!query.Succeeded()) {
        Fail(query.failure);
        return;
    }
    const int error = m_dnsSocket->SendTo(query.bytes, m_serverAddress, m_nServerPort);
    // A send that would block waits for the next write event, which sends
    // a fresh query.
    if (error != 0 && !WouldBlock(error))
        Fail(ErrorText("Error %1 while sending data to %2", error, m_strNameServer));
}

// Anyone may send a datagram to the socket's port; only the name server's
// own answer counts, and the lookup goes on waiting for it.
bool CNameServerLookUp::IsFromServer(const CDnsSocket::Received& received) const
{
    if (received.error != 0 && received.error != EMSGSIZE)
        return true;
    return received.from == m_serverAddress && received.fromPort == m_nServerPort;
}

void CNameServerLookUp::ReceiveAnswer()
{
    SetStatus(QStringLiteral("Receiving data ..."));
    const CDnsSocket::Received received =
        m_dnsSocket->Receive(std::span<char>(m_receiveBuffer.data(), kDnsMaxAnswerSize));
    if (WouldBlock(received.error) || !IsFromServer(received))
        return;
    if (received.error != 0) {
        Fail(ErrorText("Error %1 while receiving data from %2", received.error, m_strNameServer));
        return;
    }
    if (received.length > 0) {
        const QByteArrayView answer(m_receiveBuffer.data(), received.length);
        m_runs.View().NoteReceivedBytes(FunctionId::NameServerLookUp, answer);
        AppendOutput(WriteDnsReport(answer, DnsReportOptions{m_bVerboseFormat}));
    }
    m_dnsSocket->Close();
    m_runs.EndRun();
}

// GetHostByX mode.

void CNameServerLookUp::StartGetHostByXMode()
{
    m_strLocalHost.clear();
    SetStatus(QStringLiteral("Resolving local hostname"));
    std::array<char, kHostNameBufferSize> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0) {
        Fail(QStringLiteral("Unable to resolve local hostname"), MessageIcon::Exclamation);
        return;
    }
    m_strLocalHost = QString::fromUtf8(name.data());
    SetStatus(QStringLiteral("Resolving ") + m_strLocalHost);
    if (m_runs.LookUpName(m_strLocalHost, WM_APP_LOCAL_HOST_RESOLVED) == 0)
        Fail(QStringLiteral("Unable to resolve local hostname"), MessageIcon::Exclamation);
}

void CNameServerLookUp::OnLocalHostResolved(const CAppMessageEvent& message)
{
    const CHostEntry* entry = ResolvedEntry(message);
    if (entry == nullptr) {
        if (m_runs.View().SelectedFunction() == FunctionId::NameServerLookUp)
            AppendAndStop(QStringLiteral("Local Hostname:Not available\r\n"));
        else
            Fail(QStringLiteral("Unable to resolve ") + m_strLocalHost, MessageIcon::Exclamation);
        return;
    }
    AppendOutput(LocalHostBlock(*entry));
    ResolveTarget();
}

void CNameServerLookUp::ResolveTarget()
{
    QString target = m_strHost.toLower();
    if (target == QLatin1String("me") || target == QLatin1String("myself"))
        target = QStringLiteral("127.0.0.1");
    m_strTargetHost = m_strHost;
    SetStatus(QStringLiteral("Resolving ") + m_strTargetHost);
    if (const auto address = ParseAddressLiteral(target.toStdString())) {
        if (m_runs.LookUpAddress(*address, WM_APP_ADDRESS_RESOLVED) == 0)
            Fail(QStringLiteral("Unable to resolve IP Address"), MessageIcon::Exclamation);
        return;
    }
    if (m_runs.LookUpName(m_strTargetHost, WM_APP_HOST_RESOLVED) == 0)
        Fail(QStringLiteral("Unable to resolve hostname"), MessageIcon::Exclamation);
}

// The completions of both modes.

void CNameServerLookUp::OnHostResolved(const CAppMessageEvent& message)
{
    const CHostEntry* entry = ResolvedEntry(message);
    if (m_bGetHostByX) {
        if (entry)
            m_runs.View().NoteResolvedHost(*entry);
        AppendAndStop(entry ? HostBlock(*entry) + QStringLiteral("---\r\n") : CannotResolve(m_strTargetHost));
        return;
    }
    if (entry == nullptr) {
        AppendAndStop(CannotResolve(m_strNameServer));
        return;
    }
    ConnectToChosen(AddressesOf(*entry));
}

void CNameServerLookUp::OnAddressResolved(const CAppMessageEvent& message)
{
    const CHostEntry* entry = ResolvedEntry(message);
    if (entry)
        m_runs.View().NoteResolvedHost(*entry);
    AppendAndStop(entry ? HostBlock(*entry) : QStringLiteral("Not available\r\n"));
}

// Output and endings.

void CNameServerLookUp::AppendOutput(const QString& text)
{
    m_runs.View().AppendPaneText(FunctionId::NameServerLookUp, text);
}

void CNameServerLookUp::AppendAndStop(const QString& text)
{
    AppendOutput(text);
    m_runs.EndRun();
}

void CNameServerLookUp::Fail(const QString& text, MessageIcon icon)
{
    if (m_dnsSocket)
        m_dnsSocket->Close();
    m_runs.ShowMessage(text, icon);
    m_runs.EndRun();
}

void CNameServerLookUp::SetStatus(const QString& text) { m_runs.SetStatusText(text); }

} // namespace netsonde
