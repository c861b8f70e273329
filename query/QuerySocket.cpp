// SPDX-License-Identifier: GPL-3.0-or-later
#include "query/QuerySocket.h"

#include "platform/MessageBox.h"
#include "query/TextQueryFunction.h"

#include <algorithm>

namespace netsonde {

QuerySocket::QuerySocket(TextQueryFunction& query, QueryFunction function) : m_query(&query), m_received(function)
{
    connect(&m_socket, &NonBlockingSocket::connected, this, &QuerySocket::OnConnected);
    connect(&m_socket, &NonBlockingSocket::readyToSend, this, &QuerySocket::OnReadyToSend);
    connect(&m_socket, &NonBlockingSocket::readyToReceive, this, &QuerySocket::OnReadyToReceive);
    connect(&m_socket, &NonBlockingSocket::closed, this, &QuerySocket::OnClosed);
}

void QuerySocket::Prepare(const QByteArray& request, IpFamily family)
{
    m_request = request;
    m_sendPos = 0;
    m_sendLeft = m_request.size();
    m_socket.Create(family);
}

void QuerySocket::AppendHeldText()
{
    AppendToPane(m_received.Finish());
}

void QuerySocket::OnConnected(int error)
{
    if (!m_query->IsCurrent())
        return;
    if (error != 0) {
        m_query->FailQuery(QStringLiteral("Could not connect to ") + m_query->TargetHost(), MessageIcon::Exclamation);
        return;
    }
    m_query->SetStatusText(QStringLiteral("Connected to ") + m_query->TargetHost());
}

void QuerySocket::OnReadyToSend()
{
    if (!m_query->IsCurrent())
        return;
    m_query->SetStatusText(QStringLiteral("Requesting information from server"));
    while (m_sendLeft > 0) {
        const qsizetype sent = m_socket.Send(m_request.constData() + m_sendPos, std::min(m_sendLeft, kLargestSend));
        if (sent < 0 && m_socket.LastError() == NonBlockingSocket::kWouldBlock)
            return;
        if (sent < 0) {
            m_query->FailQuery(QStringLiteral("Error while sending data to server"), MessageIcon::None);
            return;
        }
        m_sendPos += sent;
        m_sendLeft -= sent;
    }
    m_query->SetStatusText(QStringLiteral("Waiting for response"));
}

void QuerySocket::OnReadyToReceive()
{
    if (!m_query->IsCurrent())
        return;
    if (m_query->PaneLength() == 0)
        m_query->SetStatusText(QStringLiteral("Receiving data ..."));
    char chunk[ReceivedText::kChunkSize];
    const qsizetype received = m_socket.Receive(chunk, sizeof chunk);
    if (received < 0 && m_socket.LastError() == NonBlockingSocket::kWouldBlock)
        return;
    if (received < 0) {
        m_query->FailQuery(QStringLiteral("Error while receiving data from host"), MessageIcon::None);
        return;
    }
    if (received == 0)
        return; // the close event follows
    m_query->NoteReceived(QByteArrayView(chunk, received));
    const auto result = m_received.Receive(QByteArrayView(chunk, received), m_query->PaneLength());
    AppendToPane(result.text);
    if (result.endsQuery) {
        m_query->EndQuery();
        return;
    }
    // Every read is counted, also one whose text is held or cut off at a
    // NUL; only a dropped chunk (a lone CR) leaves the status as it is.
    if (!result.dropped)
        ShowReceivedCount();
}

// Everything still waiting is shown, beyond the pane limit too.
void QuerySocket::OnClosed()
{
    if (!m_query->IsCurrent())
        return;
    char chunk[ReceivedText::kChunkSize];
    qsizetype received = 0;
    while ((received = m_socket.Receive(chunk, sizeof chunk)) > 0) {
        m_query->NoteReceived(QByteArrayView(chunk, received));
        AppendToPane(m_received.Drain(QByteArrayView(chunk, received)));
        ShowReceivedCount();
    }
    AppendHeldText();
    m_query->EndQuery();
}

void QuerySocket::AppendToPane(const QString& text)
{
    m_query->AppendText(text);
}

void QuerySocket::ShowReceivedCount()
{
    m_query->SetStatusText(QStringLiteral("Receiving data ... %1 bytes").arg(m_query->PaneLength()));
}

} // namespace netsonde
