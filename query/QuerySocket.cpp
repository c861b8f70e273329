// SPDX-License-Identifier: GPL-3.0-or-later
#include "query/QuerySocket.h"

#include "platform/MessageBox.h"
#include "query/TextQueryFunction.h"

#include <algorithm>

namespace netsonde {

CQuerySocket::CQuerySocket(CTextQueryFunction& query, QueryFunction function)
    : m_pQuery(&query), m_received(function)
{
}

void CQuerySocket::Prepare(const QByteArray& request, IpFamily family)
{
    m_strRequest = request;
    m_nSendPos = 0;
    m_nSendLeft = m_strRequest.size();
    Create(family);
}

void CQuerySocket::AppendHeldText() { AppendToPane(m_received.Finish()); }

void CQuerySocket::OnConnect(int error)
{
    if (!m_pQuery->IsCurrent())
        return;
    if (error != 0) {
        m_pQuery->FailQuery(QStringLiteral("Could not connect to ") + m_pQuery->TargetHost(),
                            MessageIcon::Exclamation);
        return;
    }
    m_pQuery->SetStatusText(QStringLiteral("Connected to ") + m_pQuery->TargetHost());
}

void CQuerySocket::OnSend(int)
{
    if (!m_pQuery->IsCurrent())
        return;
    m_pQuery->SetStatusText(QStringLiteral("Requesting information from server"));
    while (m_nSendLeft > 0) {
        const qsizetype sent = Send(m_strRequest.constData() + m_nSendPos, std::min(m_nSendLeft, kLargestSend));
        if (sent < 0 && LastError() == kWouldBlock)
            return;
        if (sent < 0) {
            m_pQuery->FailQuery(QStringLiteral("Error while sending data to server"), MessageIcon::None);
            return;
        }
        m_nSendPos += sent;
        m_nSendLeft -= sent;
    }
    m_pQuery->SetStatusText(QStringLiteral("Waiting for response"));
}

void CQuerySocket::OnReceive(int)
{
    if (!m_pQuery->IsCurrent())
        return;
    if (m_pQuery->PaneLength() == 0)
        m_pQuery->SetStatusText(QStringLiteral("Receiving data ..."));
    char chunk[CReceivedText::ChunkSize];
    const qsizetype received = Receive(chunk, sizeof chunk);
    if (received < 0 && LastError() == kWouldBlock)
        return;
    if (received < 0) {
        m_pQuery->FailQuery(QStringLiteral("Error while receiving data from host"), MessageIcon::None);
        return;
    }
    if (received == 0)
        return; // the close event follows
    m_pQuery->NoteReceived(QByteArrayView(chunk, received));
    const auto result = m_received.Receive(QByteArrayView(chunk, received), m_pQuery->PaneLength());
    AppendToPane(result.text);
    if (result.endsQuery) {
        m_pQuery->EndQuery();
        return;
    }
    // Every read is counted, also one whose text is held or cut off at a
    // NUL; only a dropped chunk (a lone CR) leaves the status as it is.
    if (!result.dropped)
        ShowReceivedCount();
}

// Everything still waiting is shown, beyond the pane limit too.
void CQuerySocket::OnClose(int)
{
    if (!m_pQuery->IsCurrent())
        return;
    char chunk[CReceivedText::ChunkSize];
    qsizetype received = 0;
    while ((received = Receive(chunk, sizeof chunk)) > 0) {
        m_pQuery->NoteReceived(QByteArrayView(chunk, received));
        AppendToPane(m_received.Drain(QByteArrayView(chunk, received)));
        ShowReceivedCount();
    }
    AppendHeldText();
    m_pQuery->EndQuery();
}

void CQuerySocket::AppendToPane(const QString& text) { m_pQuery->AppendText(text); }

void CQuerySocket::ShowReceivedCount()
{
    m_pQuery->SetStatusText(QStringLiteral("Receiving data ... %1 bytes").arg(m_pQuery->PaneLength()));
}

} // namespace netsonde
