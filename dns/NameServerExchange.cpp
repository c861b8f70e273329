// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/NameServerExchange.h"

#include "dns/DnsAnswerCheck.h"
#include "dns/DnsQuery.h"
#include "platform/resolver/Resolver.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace netsonde {

namespace {

// Any UDP datagram fits.
constexpr std::size_t kMaxDatagramSize = 65535;
constexpr int kMillisecondsPerSecond = 1000;

bool WouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}

const char* ErrorFormat(DnsTcpStream::Step step)
{
    switch (step) {
    case DnsTcpStream::Step::Connect:
        return "Error %1 while connecting to %2";
    case DnsTcpStream::Step::Send:
        return "Error %1 while sending data to %2";
    case DnsTcpStream::Step::Receive:
        break;
    }
    return "Error %1 while receiving data from %2";
}

} // namespace

NameServerExchange::NameServerExchange(const RunInputs& inputs, std::unique_ptr<DnsSocket> udp)
    : m_inputs(inputs), m_udp(std::move(udp)), m_edns(inputs.udpPayloadSize != 0),
      m_receiveBuffer(std::make_unique_for_overwrite<char[]>(kMaxDatagramSize))
{
    m_inputs.tries = std::max(m_inputs.tries, 1U);
    m_timer.setSingleShot(true);
    m_timer.setInterval(static_cast<int>(std::max(m_inputs.timeout, 1U)) * kMillisecondsPerSecond);
    connect(&m_timer, &QTimer::timeout, this, &NameServerExchange::OnTimeout);
    connect(&m_tcp, &DnsTcpStream::answered, this, &NameServerExchange::OnTcpAnswered);
    connect(&m_tcp, &DnsTcpStream::failed, this, &NameServerExchange::OnTcpFailed);
}

NameServerExchange::~NameServerExchange() = default;

void NameServerExchange::Start(const IpAddress& address, std::uint16_t port)
{
    m_address = address;
    m_port = port;
    m_exchange.serverAddress = FormatIpAddress(address);
    m_exchange.serverPort = port;
    if (m_inputs.useTcp) {
        m_overTcp = true;
        SendQuery();
        return;
    }
    connect(m_udp.get(), &DnsSocket::readyToSend, this, [this](int error) { OnUdpEvent(error, false); });
    connect(m_udp.get(), &DnsSocket::readyToReceive, this, [this](int error) { OnUdpEvent(error, true); });
    m_udp->Select();
}

void NameServerExchange::Close()
{
    m_timer.stop();
    m_udp->Close();
    m_tcp.Close();
}

// An error the socket holds (an ICMP error about the query) ends the exchange.
void NameServerExchange::OnUdpEvent(int error, bool readable)
{
    if (error != 0)
        FailWithError("Error %1 while connecting to %2", error);
    else if (readable)
        ReceiveOverUdp();
    else
        SendOverUdp();
}

// Each query is built anew, with an ID of its own, and starts the try's time.
void NameServerExchange::SendQuery()
{
    Q_EMIT statusChanged(QStringLiteral("Requesting information from name server"));
    const DnsQuery query = BuildDnsQuery(m_inputs.host, m_inputs.searchType, NewDnsQueryId(),
                                         {m_edns ? m_inputs.udpPayloadSize : 0, m_inputs.requestDnssec});
    if (!query.Succeeded()) {
        Fail(query.failure);
        return;
    }
    m_query = query.bytes;
    if (!m_clock.isValid())
        m_clock.start();
    m_timer.start();
    if (m_overTcp)
        m_tcp.Start(m_address, m_port, m_query);
    else
        SendOverUdp();
}

// The first write event sends the first query; a send that would block
// waits for the next one, which sends the query again.
void NameServerExchange::SendOverUdp()
{
    if (m_query.isEmpty()) {
        SendQuery();
        return;
    }
    const int error = m_udp->SendTo(m_query, m_address, m_port);
    if (error != 0 && !WouldBlock(error))
        FailWithError("Error %1 while sending data to %2", error);
}

// Anyone may send a datagram to the socket's port; only the name server's
// own answer to the query counts, and the exchange goes on waiting for it.
void NameServerExchange::ReceiveOverUdp()
{
    Q_EMIT statusChanged(QStringLiteral("Receiving data ..."));
    const DnsSocket::Received received = m_udp->Receive(std::span<char>(m_receiveBuffer.get(), kMaxDatagramSize));
    if (WouldBlock(received.error))
        return;
    const bool fromServer = received.from == m_address && received.fromPort == m_port;
    if (received.error == 0 && !fromServer)
        Ignore(received.from, received.fromPort, "wrong sender");
    else if (received.error != 0)
        FailWithError("Error %1 while receiving data from %2", received.error);
    else
        TakeOverUdp(QByteArray(m_receiveBuffer.get(), received.length), received.from, received.fromPort);
}

void NameServerExchange::TakeOverUdp(const QByteArray& answer, const IpAddress& from, std::uint16_t fromPort)
{
    if (const char* why = AnswerMismatch(m_query, answer)) {
        Ignore(from, fromPort, why);
        return;
    }
    if (AskedAgainWithoutEdns(answer))
        return;
    if (!IsTruncated(answer)) {
        Finish(answer, DnsTransport::Udp);
        return;
    }
    m_cutAnswer = answer;
    m_exchange.retriedOverTcp = true;
    m_overTcp = true;
    m_udp->Close();
    SendQuery();
}

// Only one message comes over the connection: one that is not the answer to
// the query fails the exchange over TCP as a bad message.
void NameServerExchange::OnTcpAnswered(const QByteArray& answer)
{
    if (AnswerMismatch(m_query, answer) != nullptr)
        OnTcpFailed(DnsTcpStream::Step::Receive, EBADMSG);
    else if (!AskedAgainWithoutEdns(answer))
        Finish(answer, DnsTransport::Tcp);
}

// A failed retry over TCP leaves the cut answer to report.
void NameServerExchange::OnTcpFailed(DnsTcpStream::Step step, int error)
{
    if (m_cutAnswer.isEmpty()) {
        FailWithError(ErrorFormat(step), error);
        return;
    }
    m_exchange.tcpError = QString::fromLocal8Bit(std::strerror(error));
    Finish(m_cutAnswer, DnsTransport::Udp);
}

void NameServerExchange::OnTimeout()
{
    if (!m_cutAnswer.isEmpty()) {
        OnTcpFailed(DnsTcpStream::Step::Receive, ETIMEDOUT);
        return;
    }
    if (m_try < m_inputs.tries) {
        ++m_try;
        m_tcp.Close();
        SendQuery();
        return;
    }
    Fail(m_inputs.tries == 1 ? QStringLiteral("The name server %1 gave no answer after 1 try").arg(m_inputs.nameServer)
                             : QStringLiteral("The name server %1 gave no answer after %2 tries")
                                   .arg(m_inputs.nameServer, QString::number(m_inputs.tries)));
}

// FORMERR or NOTIMP to the OPT record: the same question once more without it.
bool NameServerExchange::AskedAgainWithoutEdns(const QByteArray& answer)
{
    if (!m_edns || !RefusesEdns(answer))
        return false;
    m_edns = false;
    m_exchange.retriedWithoutEdns = true;
    m_tcp.Close();
    SendQuery();
    return true;
}

void NameServerExchange::Ignore(const IpAddress& from, std::uint16_t fromPort, const char* why)
{
    Q_EMIT ignored(QStringLiteral("Ignored a datagram from %1 port %2: %3\r\n")
                       .arg(FormatIpAddress(from), QString::number(fromPort), QString::fromLatin1(why)));
}

void NameServerExchange::Finish(const QByteArray& answer, DnsTransport transport)
{
    Close();
    m_exchange.transport = transport;
    m_exchange.queryTimeMs = m_clock.elapsed();
    m_exchange.answerSize = answer.size();
    Q_EMIT answered(answer, m_exchange);
}

void NameServerExchange::Fail(const QString& text)
{
    Close();
    Q_EMIT failed(text);
}

void NameServerExchange::FailWithError(const char* format, int error)
{
    Fail(QString::fromLatin1(format).arg(QString::number(error), m_inputs.nameServer));
}

} // namespace netsonde
