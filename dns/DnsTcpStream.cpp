// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsTcpStream.h"

#include <cerrno>

namespace netsonde {

namespace {

constexpr qsizetype kLengthSize = 2;

QByteArray WithLength(const QByteArray& message)
{
    const auto size = static_cast<quint16>(message.size());
    return QByteArray(1, static_cast<char>(size >> 8)) + static_cast<char>(size & 0xFF) + message;
}

} // namespace

DnsTcpStream::DnsTcpStream()
{
    connect(&m_socket, &NonBlockingSocket::connected, this, &DnsTcpStream::OnConnected);
    connect(&m_socket, &NonBlockingSocket::readyToSend, this, &DnsTcpStream::OnReadyToSend);
    connect(&m_socket, &NonBlockingSocket::readyToReceive, this, &DnsTcpStream::OnReadyToReceive);
    connect(&m_socket, &NonBlockingSocket::closed, this, &DnsTcpStream::OnClosed);
}

void DnsTcpStream::Start(const IpAddress& address, std::uint16_t port, const QByteArray& query)
{
    m_outgoing = WithLength(query);
    m_sent = 0;
    m_incoming.clear();
    if (!m_socket.Create(address.Family()) || !m_socket.AsyncSelect() || !m_socket.Connect(address, port))
        Fail(Step::Connect, m_socket.LastError());
}

void DnsTcpStream::Close()
{
    m_socket.Close();
}

void DnsTcpStream::OnConnected(int error)
{
    if (error != 0)
        Fail(Step::Connect, error);
}

void DnsTcpStream::OnReadyToSend()
{
    while (m_sent < m_outgoing.size()) {
        const qsizetype sent = m_socket.Send(m_outgoing.constData() + m_sent, m_outgoing.size() - m_sent);
        if (sent < 0) {
            if (m_socket.LastError() != NonBlockingSocket::kWouldBlock)
                Fail(Step::Send, m_socket.LastError());
            return;
        }
        m_sent += sent;
    }
}

qsizetype DnsTcpStream::Missing() const
{
    if (m_incoming.size() < kLengthSize)
        return kLengthSize - m_incoming.size();
    const auto length =
        static_cast<quint16>(static_cast<quint8>(m_incoming[0]) << 8 | static_cast<quint8>(m_incoming[1]));
    return kLengthSize + length - m_incoming.size();
}

void DnsTcpStream::OnReadyToReceive()
{
    const qsizetype have = m_incoming.size();
    const qsizetype wanted = Missing();
    m_incoming.resize(have + wanted);
    const qsizetype received = m_socket.Receive(m_incoming.data() + have, wanted);
    m_incoming.resize(have + std::max<qsizetype>(received, 0));
    if (received < 0) {
        if (m_socket.LastError() != NonBlockingSocket::kWouldBlock)
            Fail(Step::Receive, m_socket.LastError());
        return;
    }
    if (received == 0) {
        Fail(Step::Receive, ECONNRESET);
        return;
    }
    if (m_incoming.size() == kLengthSize && Missing() == 0) {
        Fail(Step::Receive, EBADMSG);
        return;
    }
    if (m_incoming.size() > kLengthSize && Missing() == 0) {
        m_socket.Close();
        Q_EMIT answered(m_incoming.sliced(kLengthSize));
    }
}

// The answer's last bytes may still wait when the server closes; they are
// read before the close counts.
void DnsTcpStream::OnClosed()
{
    while (m_socket.IsOpen() && Missing() > 0) {
        const qsizetype before = m_incoming.size();
        OnReadyToReceive();
        if (m_incoming.size() == before)
            return;
    }
}

void DnsTcpStream::Fail(Step step, int error)
{
    m_socket.Close();
    Q_EMIT failed(step, error);
}

} // namespace netsonde
