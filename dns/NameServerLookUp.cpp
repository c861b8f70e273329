// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/NameServerLookUp.h"

#include "dns/DnsReport.h"
#include "dns/SearchTypeTable.h"
#include "platform/net/IpAddress.h"
#include "platform/resolver/Resolver.h"
#include "run/RunView.h"

#include <unistd.h>

#include <array>
#include <optional>

namespace netsonde {

namespace {

// gethostname's buffer, as the lookup has always used it.
constexpr std::size_t kHostNameBufferSize = 100;

std::span<const IpAddress> AddressesOf(const HostEntry& entry)
{
    return {entry.addresses.constData(), static_cast<std::size_t>(entry.addresses.size())};
}

// The host entry of a successful completion that has an address to show.
const HostEntry* ResolvedEntry(const LookupResult& result)
{
    const HostEntry* entry = std::get_if<HostEntry>(&result);
    if (entry == nullptr || entry->addresses.isEmpty())
        return nullptr;
    return entry;
}

QString FirstAlias(const HostEntry& entry)
{
    return entry.aliases.value(0);
}

// The first address, then every IPv6 address after it, a line each.
QString AddressLines(const QString& label, const HostEntry& entry)
{
    QString lines = label + FormatIpAddress(entry.addresses.first()) + QStringLiteral("\r\n");
    for (const IpAddress& address : entry.addresses.sliced(1)) {
        if (address.IsIPv6())
            lines += label + FormatIpAddress(address) + QStringLiteral("\r\n");
    }
    return lines;
}

QString HostBlock(const HostEntry& entry)
{
    return QStringLiteral("Hostname: ") + entry.officialName + QStringLiteral("\r\n")
           + AddressLines(QStringLiteral("IP Address: "), entry) + QStringLiteral("Alias List: ") + FirstAlias(entry)
           + QStringLiteral("\r\n");
}

QString LocalHostBlock(const HostEntry& entry)
{
    return QStringLiteral("Local Hostname: ") + entry.officialName + QStringLiteral("\r\n")
           + AddressLines(QStringLiteral("Local IP Address: "), entry) + QStringLiteral("Local Alias List: ")
           + FirstAlias(entry) + QStringLiteral("\r\n");
}

QString CannotResolve(const QString& name)
{
    return QStringLiteral("Cannot resolve ") + name + QStringLiteral("\r\n---\r\n");
}

} // namespace

NameServerLookUp::NameServerLookUp(RunController& runs) : m_runs(runs) {}

NameServerLookUp::~NameServerLookUp() = default;

void NameServerLookUp::StartNameServerLookUp(const RunInputs& inputs)
{
    if (!TakeInputs(inputs))
        return;
    if (inputs.clearOutput)
        m_runs.View().SetPaneText(FunctionId::NameServerLookUp, QString());
    m_runs.BeginRun();
    m_runs.RecordRecentHost();
    if (m_getHostByX)
        StartGetHostByXMode();
    else
        StartDnsMode();
}

bool NameServerLookUp::TakeInputs(const RunInputs& page)
{
    if (page.host.isEmpty()) {
        Fail(QStringLiteral("Please, enter a host name or address"), MessageIcon::Exclamation);
        return false;
    }
    m_getHostByX = page.searchType == GetHostByXSearchType();
    if (m_getHostByX) {
        m_inputs = page;
        return true;
    }
    if (page.nameServer.isEmpty()) {
        Fail(QStringLiteral("A name server is required for this action!"), MessageIcon::Exclamation);
        return false;
    }
    const std::optional<NameServerText> server = SplitNameServerText(page.nameServer);
    if (!server) {
        Fail(QString::fromLatin1(kBadPortMessage), MessageIcon::Exclamation);
        return false;
    }
    m_inputs = page;
    m_server = *server;
    return true;
}

void NameServerLookUp::CancelNameServerLookUp()
{
    m_exchange.reset();
    m_dnsSocket.reset();
}

// DNS mode.

void NameServerLookUp::StartDnsMode()
{
    const std::optional<IpAddress> literal = ParseAddressLiteral(m_server.host.toStdString());
    m_dnsSocket = DnsSocket::Create(literal ? literal->Family() : IpFamily::IPv4);
    if (!m_dnsSocket) {
        Fail(QStringLiteral("Unable to create UDP socket"));
        return;
    }
    if (literal) {
        ConnectToChosen({&*literal, 1});
        return;
    }
    SetStatus(QStringLiteral("Resolving Name Server"));
    if (m_runs.LookUpName(m_server.host, HandledBy(&NameServerLookUp::OnHostResolved)) == 0)
        Fail(QStringLiteral("Unable to resolve ") + m_inputs.nameServer, MessageIcon::Exclamation);
}

// A name server whose addresses the preference all excludes fails as an
// unresolved one. The socket made for IPv4 before the lookup is made again
// for an IPv6 server.
void NameServerLookUp::ConnectToChosen(std::span<const IpAddress> addresses)
{
    const std::optional<IpAddress> address = ChooseAddress(addresses, m_inputs.preference);
    if (!address) {
        AppendAndStop(CannotResolve(m_inputs.nameServer));
        return;
    }
    if (address->Family() != m_dnsSocket->Family()) {
        m_dnsSocket = DnsSocket::Create(address->Family());
        if (!m_dnsSocket) {
            Fail(QStringLiteral("Unable to create UDP socket"));
            return;
        }
    }
    SetStatus(QStringLiteral("Connecting to ") + m_inputs.nameServer);
    StartExchange(*address);
}

// The exchange's events count only while its request is pending.
void NameServerLookUp::StartExchange(const IpAddress& address)
{
    m_exchange = std::make_unique<NameServerExchange>(m_inputs, std::move(m_dnsSocket));
    NameServerExchange* exchange = m_exchange.get();
    const RunController::RequestId request = m_runs.OpenRequest();
    QObject::connect(exchange, &NameServerExchange::answered, exchange,
                     [this, request](const QByteArray& answer, const DnsExchange& done) {
                         if (m_runs.IsPending(request))
                             ReportAnswer(answer, done);
                     });
    QObject::connect(exchange, &NameServerExchange::failed, exchange, [this, request](const QString& text) {
        if (m_runs.IsPending(request))
            Fail(text);
    });
    QObject::connect(exchange, &NameServerExchange::statusChanged, exchange, [this, request](const QString& text) {
        if (m_runs.IsPending(request))
            SetStatus(text);
    });
    QObject::connect(exchange, &NameServerExchange::ignored, exchange, [this, request](const QString& note) {
        if (m_runs.IsPending(request) && m_inputs.verboseFormat)
            AppendOutput(note);
    });
    exchange->Start(address, m_server.port);
}

void NameServerLookUp::ReportAnswer(const QByteArray& answer, const DnsExchange& exchange)
{
    m_runs.View().NoteDnsExchange(exchange);
    m_runs.View().NoteReceivedBytes(FunctionId::NameServerLookUp, answer);
    AppendOutput(WriteDnsReport(answer, DnsReportOptions{m_inputs.verboseFormat, &exchange}));
    m_runs.EndRun();
}

// GetHostByX mode.

void NameServerLookUp::StartGetHostByXMode()
{
    m_localHost.clear();
    SetStatus(QStringLiteral("Resolving local hostname"));
    std::array<char, kHostNameBufferSize> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0) {
        Fail(QStringLiteral("Unable to resolve local hostname"), MessageIcon::Exclamation);
        return;
    }
    m_localHost = QString::fromUtf8(name.data());
    SetStatus(QStringLiteral("Resolving ") + m_localHost);
    if (m_runs.LookUpName(m_localHost, HandledBy(&NameServerLookUp::OnLocalHostResolved)) == 0)
        Fail(QStringLiteral("Unable to resolve local hostname"), MessageIcon::Exclamation);
}

void NameServerLookUp::OnLocalHostResolved(const LookupResult& result)
{
    const HostEntry* entry = ResolvedEntry(result);
    if (entry == nullptr) {
        if (m_runs.View().SelectedFunction() == FunctionId::NameServerLookUp)
            AppendAndStop(QStringLiteral("Local Hostname:Not available\r\n"));
        else
            Fail(QStringLiteral("Unable to resolve ") + m_localHost, MessageIcon::Exclamation);
        return;
    }
    AppendOutput(LocalHostBlock(*entry));
    ResolveTarget();
}

void NameServerLookUp::ResolveTarget()
{
    QString target = m_inputs.host.toLower();
    if (target == QLatin1String("me") || target == QLatin1String("myself"))
        target = QStringLiteral("127.0.0.1");
    m_targetHost = m_inputs.host;
    SetStatus(QStringLiteral("Resolving ") + m_targetHost);
    if (const auto address = ParseAddressLiteral(target.toStdString())) {
        if (m_runs.LookUpAddress(*address, HandledBy(&NameServerLookUp::OnAddressResolved)) == 0)
            Fail(QStringLiteral("Unable to resolve IP Address"), MessageIcon::Exclamation);
        return;
    }
    if (m_runs.LookUpName(m_targetHost, HandledBy(&NameServerLookUp::OnHostResolved)) == 0)
        Fail(QStringLiteral("Unable to resolve hostname"), MessageIcon::Exclamation);
}

// The completions of both modes.

LookupCompletion NameServerLookUp::HandledBy(void (NameServerLookUp::*handler)(const LookupResult&))
{
    return [this, handler](LookupHandle, const LookupResult& result) { (this->*handler)(result); };
}

void NameServerLookUp::OnHostResolved(const LookupResult& result)
{
    const HostEntry* entry = ResolvedEntry(result);
    if (m_getHostByX) {
        if (entry)
            m_runs.View().NoteResolvedHost(*entry);
        AppendAndStop(entry ? HostBlock(*entry) + QStringLiteral("---\r\n") : CannotResolve(m_targetHost));
        return;
    }
    if (entry == nullptr) {
        AppendAndStop(CannotResolve(m_inputs.nameServer));
        return;
    }
    ConnectToChosen(AddressesOf(*entry));
}

void NameServerLookUp::OnAddressResolved(const LookupResult& result)
{
    const HostEntry* entry = ResolvedEntry(result);
    if (entry)
        m_runs.View().NoteResolvedHost(*entry);
    AppendAndStop(entry ? HostBlock(*entry) : QStringLiteral("Not available\r\n"));
}

// Output and endings.

void NameServerLookUp::AppendOutput(const QString& text)
{
    m_runs.View().AppendPaneText(FunctionId::NameServerLookUp, text);
}

void NameServerLookUp::AppendAndStop(const QString& text)
{
    AppendOutput(text);
    m_runs.EndRun();
}

void NameServerLookUp::Fail(const QString& text, MessageIcon icon)
{
    if (m_exchange)
        m_exchange->Close();
    if (m_dnsSocket)
        m_dnsSocket->Close();
    m_runs.ShowMessage(text, icon);
    m_runs.EndRun();
}

void NameServerLookUp::SetStatus(const QString& text)
{
    m_runs.SetStatusText(text);
}

} // namespace netsonde
