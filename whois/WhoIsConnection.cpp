// SPDX-License-Identifier: GPL-3.0-or-later
#include "whois/WhoIsConnection.h"

#include "query/QuerySocket.h"
#include "run/RunView.h"

#include <QPointer>

#include <cstring>

namespace netsonde {

namespace {

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

WhoIsConnection::WhoIsConnection(RunController& runs, AddressPreference preference)
    : m_runs(runs), m_preference(preference)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &WhoIsConnection::OnDeadline);
    connect(&m_socket, &NonBlockingSocket::connected, this, &WhoIsConnection::OnConnected);
    connect(&m_socket, &NonBlockingSocket::readyToSend, this, &WhoIsConnection::OnReadyToSend);
    connect(&m_socket, &NonBlockingSocket::readyToReceive, this, &WhoIsConnection::OnReadyToReceive);
    connect(&m_socket, &NonBlockingSocket::closed, this, &WhoIsConnection::OnClosed);
}

WhoIsConnection::~WhoIsConnection() = default;

void WhoIsConnection::Start(const WhoIsServer& server, const QByteArray& request)
{
    m_server = server;
    m_request = request;
    if (const auto address = ParseAddressLiteral(server.host.toStdString())) {
        ConnectTo(*address);
        return;
    }
    SetStatus(QStringLiteral("Resolving ") + server.host);
    const QPointer<WhoIsConnection> self(this);
    const auto done = [self](LookupHandle, const LookupResult& result) {
        if (self)
            self->OnResolved(result);
    };
    if (m_runs.LookUpName(server.host, done) == 0)
        Finish(QStringLiteral("Unable to resolve ") + server.host);
}

void WhoIsConnection::OnResolved(const LookupResult& result)
{
    const HostEntry* entry = std::get_if<HostEntry>(&result);
    const std::optional<IpAddress> address =
        entry ? ChooseAddress({entry->addresses.constData(), std::size_t(entry->addresses.size())}, m_preference)
              : std::nullopt;
    if (!address) {
        Finish(QStringLiteral("Unable to resolve ") + m_server.host);
        return;
    }
    ConnectTo(*address);
}

void WhoIsConnection::ConnectTo(const IpAddress& address)
{
    const QString shown = QString::fromStdString(IpAddressText(address));
    if (const QString refusal = RefusedWhoIsAddress(address); !refusal.isEmpty()) {
        Finish(QStringLiteral("Not connecting to %1 (%2): %3").arg(m_server.Text(), shown, refusal));
        return;
    }
    SetStatus(QStringLiteral("Connecting to ") + m_server.Text());
    m_deadlineError =
        QStringLiteral("Could not connect to %1 within %2 seconds").arg(m_server.Text()).arg(kConnectTimeoutMs / 1000);
    m_deadline.start(kConnectTimeoutMs);
    if (!m_socket.Create(address.Family()) || !m_socket.AsyncSelect() || !m_socket.Connect(address, m_server.port))
        Finish(QStringLiteral("Could not connect to %1: %2").arg(m_server.Text(), ErrorText(m_socket.LastError())));
}

void WhoIsConnection::OnConnected(int error)
{
    if (error != 0) {
        Finish(QStringLiteral("Could not connect to %1: %2").arg(m_server.Text(), ErrorText(error)));
        return;
    }
    SetStatus(QStringLiteral("Asking ") + m_server.Text());
    m_deadlineError =
        QStringLiteral("No answer from %1 for %2 seconds").arg(m_server.Text()).arg(kSilenceTimeoutMs / 1000);
    m_deadline.start(kSilenceTimeoutMs);
}

void WhoIsConnection::OnReadyToSend()
{
    while (m_sent < m_request.size()) {
        const qsizetype sent = m_socket.Send(m_request.constData() + m_sent,
                                             std::min(m_request.size() - m_sent, QuerySocket::kLargestSend));
        if (sent < 0 && m_socket.LastError() == NonBlockingSocket::kWouldBlock)
            return;
        if (sent < 0) {
            Finish(QStringLiteral("Error while sending data to server"));
            return;
        }
        m_sent += sent;
    }
}

void WhoIsConnection::OnReadyToReceive()
{
    char chunk[ReceivedText::kChunkSize];
    const qsizetype received = m_socket.Receive(chunk, sizeof chunk);
    if (received < 0 && m_socket.LastError() == NonBlockingSocket::kWouldBlock)
        return;
    if (received < 0) {
        Finish(QStringLiteral("Error while receiving data from host"));
        return;
    }
    if (received == 0)
        return; // the close event follows
    m_deadline.start(kSilenceTimeoutMs);
    m_runs.View().NoteReceivedBytes(FunctionId::WhoIs, QByteArrayView(chunk, received));
    m_receivedBytes += received;
    const auto result =
        m_received.Receive(QByteArrayView(chunk, received), m_runs.View().PaneLength(FunctionId::WhoIs));
    Append(result.text);
    if (result.endsQuery) {
        Finish({}, true);
        return;
    }
    SetStatus(QStringLiteral("Receiving data from %1 ... %2 bytes").arg(m_server.Text()).arg(m_receivedBytes));
}

// What still waits is read in chunks as while the connection was open,
// within the pane's limit.
void WhoIsConnection::OnClosed()
{
    while (!m_ended && m_socket.IsOpen()) {
        const qsizetype before = m_receivedBytes;
        OnReadyToReceive();
        if (m_receivedBytes == before)
            break;
    }
    if (!m_ended)
        Finish({});
}

void WhoIsConnection::OnDeadline()
{
    Finish(m_deadlineError);
}

void WhoIsConnection::Append(const QString& text)
{
    if (text.isEmpty())
        return;
    m_text += text;
    m_runs.View().AppendPaneText(FunctionId::WhoIs, text);
}

void WhoIsConnection::Finish(const QString& error, bool cutOff)
{
    if (m_ended)
        return;
    m_ended = true;
    m_deadline.stop();
    Append(m_received.Finish());
    m_socket.Close();
    Q_EMIT finished(error, cutOff);
}

void WhoIsConnection::SetStatus(const QString& text)
{
    m_runs.SetStatusText(text);
}

} // namespace netsonde
