// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Port-43 servers of the test's own on the lab's server addresses
// (NETSONDE_LAB_SERVERS and the seven after it), on ports 43 and 4343, each
// named in the hosts file. A server records the line it received and sends
// the script's answer for its name ("name" or "name:4343"), then closes; a
// name the script leaves out refuses the connection.

#include "support/LabFiles.h"
#include "support/LabNamespace.h"
#include "support/LabServer.h"

#include <QHostAddress>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>
#include <vector>

namespace netsonde::test {

inline const QStringList kWhoIsServerNames{
    "whois.iana.org",      "whois.verisign-grs.com", "whois.registrar.test", "whois.arin.net",
    "whois.customer.test", "whois.lacnic.net",       "whois.a.test",         "whois.b.test"};

class ScriptedWhoIsServers {
public:
    // The received lines as "name:port request", in the order they came.
    QStringList asked;

    explicit ScriptedWhoIsServers(const QMap<QString, QByteArray>& script)
    {
        const std::uint32_t first = ntohl(LabAddress("NETSONDE_LAB_SERVERS"));
        for (int i = 0; i < kWhoIsServerNames.size(); ++i) {
            for (const std::uint16_t port : {std::uint16_t(43), std::uint16_t(4343)}) {
                const QString name = kWhoIsServerNames[i] + (port == 43 ? QString() : QStringLiteral(":4343"));
                if (script.contains(name))
                    Listen(htonl(first + i), port, name, script.value(name));
            }
        }
    }

    // The lab's hosts file with the servers' names, once for the process.
    static QString InstallHosts()
    {
        QFile system(QStringLiteral("/etc/hosts"));
        QByteArray lines = system.open(QIODevice::ReadOnly) ? system.read(1 << 20) : QByteArray();
        const std::uint32_t first = ntohl(LabAddress("NETSONDE_LAB_SERVERS"));
        for (int i = 0; i < kWhoIsServerNames.size(); ++i)
            lines += QHostAddress(first + i).toString().toLatin1() + ' ' + kWhoIsServerNames[i].toLatin1() + '\n';
        lines += "127.0.0.1 whois.loopback.test\n";
        static const QString error = InstallLabHosts(lines);
        return error;
    }

private:
    void Listen(std::uint32_t address, std::uint16_t port, const QString& name, const QByteArray& answer)
    {
        auto server = std::make_unique<QTcpServer>();
        const int fd = BindInsideNamespace(LabText("NETSONDE_LAB_NS_DESTINATION"), SOCK_STREAM, address, port);
        if (fd < 0 || !server->setSocketDescriptor(fd))
            qWarning("cannot listen as %s", qPrintable(name));
        QObject::connect(server.get(), &QTcpServer::newConnection, server.get(),
                         [this, raw = server.get(), name, answer] {
                             while (QTcpSocket* client = raw->nextPendingConnection()) {
                                 QObject::connect(client, &QTcpSocket::readyRead, client, [this, client, name, answer] {
                                     if (!client->canReadLine())
                                         return;
                                     asked << name + ' ' + QString::fromLatin1(client->readLine(4096));
                                     client->write(answer);
                                     client->disconnectFromHost();
                                 });
                             }
                         });
        m_servers.push_back(std::move(server));
    }

    std::vector<std::unique_ptr<QTcpServer>> m_servers;
};

} // namespace netsonde::test
