// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A name server double: every query that reaches its first socket is recorded
// and answered with the scripted datagrams, in order, each sent from the socket
// the script names (an index into its sockets), the first query with its own
// datagrams when given. Each datagram's ID is the query's XOR the scripted
// one: 0 answers with the query's own.

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QThread>
#include <QUdpSocket>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace netsonde::test {

class ScriptedNameServer {
public:
    using Script = QList<std::pair<int, QByteArray>>;

    // One socket on the loopback address, on a port of the system's choice.
    explicit ScriptedNameServer(const QList<QByteArray>& answers,
                                QHostAddress::SpecialAddress loopback = QHostAddress::LocalHost)
        : m_script(ScriptOf(answers))
    {
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

    void AnswerFirstQueryWith(const QList<QByteArray>& answers) { m_firstAnswers = answers; }
    bool IsServing() const { return m_serving; }
    quint16 Port() const { return m_sockets.front()->localPort(); }
    const QList<QByteArray>& Queries() const { return m_queries; }

private:
    static Script ScriptOf(const QList<QByteArray>& answers)
    {
        Script script;
        for (const QByteArray& answer : answers)
            script.append({0, answer});
        return script;
    }
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
            Script script = m_script;
            if (m_queries.size() == 1 && m_firstAnswers)
                script = ScriptOf(*m_firstAnswers);
            for (auto [sender, datagram] : script) {
                for (int i = 0; i < 2 && i < datagram.size() && i < query.data().size(); ++i)
                    datagram[i] = char(datagram[i] ^ query.data()[i]);
                m_sockets.at(sender)->writeDatagram(datagram, query.senderAddress(),
                                                    static_cast<quint16>(query.senderPort()));
                // In order, each read by the client on its own.
                QThread::msleep(20);
            }
        }
    }

    Script m_script;
    std::optional<QList<QByteArray>> m_firstAnswers;
    std::vector<std::unique_ptr<QUdpSocket>> m_sockets;
    QList<QByteArray> m_queries;
    bool m_serving = true;
};

} // namespace netsonde::test
