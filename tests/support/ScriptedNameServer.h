// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A name server double: every query that reaches its first socket is recorded
// and answered with the scripted datagrams, in order, each sent from the socket
// the script names (an index into its sockets).

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QThread>
#include <QUdpSocket>

#include <memory>
#include <utility>
#include <vector>

namespace netsonde::test {

class ScriptedNameServer {
public:
    using Script = QList<std::pair<int, QByteArray>>;

    // One socket on the loopback address, on a port of the system's choice.
    explicit ScriptedNameServer(const QList<QByteArray>& answers,
                                QHostAddress::SpecialAddress loopback = QHostAddress::LocalHost)
    {
        for (const QByteArray& answer : answers)
            m_script.append({0, answer});
        m_serving = AddSocket().bind(loopback, 0);
        Listen();
    }
    // Sockets already bound, given by their descriptors (-1 for one that failed).
    ScriptedNameServer(Script script, const QList<int>& boundDescriptors) : m_script(std::move(script))
    {
        for (const int fd : boundDescriptors)
            m_serving = AddSocket().setSocketDescriptor(fd, QAbstractSocket::BoundState) && m_serving;
        Listen();
    }

    bool IsServing() const { return m_serving; }
    quint16 Port() const { return m_sockets.front()->localPort(); }
    const QList<QByteArray>& Queries() const { return m_queries; }

private:
    QUdpSocket& AddSocket() { return *m_sockets.emplace_back(std::make_unique<QUdpSocket>()); }
    void Listen()
    {
        QObject::connect(m_sockets.front().get(), &QUdpSocket::readyRead, [this] { Answer(); });
    }
    void Answer()
    {
        while (m_sockets.front()->hasPendingDatagrams()) {
            const QNetworkDatagram query = m_sockets.front()->receiveDatagram();
            m_queries.append(query.data());
            for (const auto& [sender, datagram] : m_script) {
                m_sockets.at(sender)->writeDatagram(datagram, query.senderAddress(),
                                                    static_cast<quint16>(query.senderPort()));
                // In order, each read by the client on its own.
                QThread::msleep(20);
            }
        }
    }

    Script m_script;
    std::vector<std::unique_ptr<QUdpSocket>> m_sockets;
    QList<QByteArray> m_queries;
    bool m_serving = true;
};

} // namespace netsonde::test
