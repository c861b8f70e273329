// SPDX-License-Identifier: GPL-3.0-or-later
// Name Server LookUp against a name server of the test's own in the
// namespace lab that answers with malformed datagrams, datagrams of 1000
// bytes and more, and datagrams from an address or port other than the
// name server's. Whatever arrives, the report stays inside the datagram and
// the lookup ends; a datagram from anyone but the name server is ignored and
// the lookup waits for the real answer.

#include "NamespaceServer.h"
#include "dns/DnsMessageBuilder.h"
#include "dns/LookupFixture.h"
#include "netns/LabEnvironment.h"

#include "platform/MessageBox.h"

#include <QApplication>
#include <QNetworkDatagram>
#include <QThread>
#include <QUdpSocket>
#include <QtTest>

#include <cerrno>

using namespace netsonde;
using namespace netsonde::test;

namespace {

constexpr int kATypeIndex = 1;
constexpr int kWaitMs = 30000;
constexpr std::uint16_t kStrangerPort = 5353;

QString LabText(const char* variable) { return QString::fromLocal8Bit(qgetenv(variable)); }

enum class Sender { NameServer, OtherAddress, OtherPort };

using Script = QList<std::pair<Sender, QByteArray>>;

// Answers every query with the scripted datagrams, in order, each from the
// socket the script names. The other address is the destination's silent
// one, which sends well enough: only what is sent to it is dropped.
class CScriptedNameServer {
public:
    explicit CScriptedNameServer(Script script) : m_script(std::move(script))
    {
        const QString nameSpace = LabText("NETSONDE_LAB_NS_DESTINATION");
        const std::uint32_t destination = LabAddress("NETSONDE_LAB_DESTINATION");
        const std::pair<std::uint32_t, std::uint16_t> ends[] = {
            {destination, kDnsServerPort}, {LabAddress("NETSONDE_LAB_SILENT"), kDnsServerPort},
            {destination, kStrangerPort}};
        for (int i = 0; i < 3; ++i) {
            const int fd = BindInsideNamespace(nameSpace, SOCK_DGRAM, ends[i].first, ends[i].second);
            m_bServing = m_sockets[i].setSocketDescriptor(fd, QAbstractSocket::BoundState) && m_bServing;
        }
        QObject::connect(&m_sockets[0], &QUdpSocket::readyRead, [this] { Answer(); });
    }

    bool IsServing() const { return m_bServing; }

private:
    void Answer()
    {
        while (m_sockets[0].hasPendingDatagrams()) {
            const QNetworkDatagram query = m_sockets[0].receiveDatagram();
            for (const auto& [sender, datagram] : m_script) {
                m_sockets[int(sender)].writeDatagram(datagram, query.senderAddress(), static_cast<quint16>(query.senderPort()));
                // In order, each read by the client on its own.
                QThread::msleep(20);
            }
        }
    }

    Script m_script;
    QUdpSocket m_sockets[3];
    bool m_bServing = true;
};

DnsMessageBuilder ResponseHeader(int qd, int an) { return DnsMessageBuilder().Header(0x4242, 0x81, 0x80, qd, an, 0, 0); }

// A good answer about www.example with one address.
QByteArray AddressAnswer(const char* address)
{
    return ResponseHeader(1, 1).Name({"www", "example"}).Question(1, 1).Pointer(12).Fields(1, 1, 300, QByteArray(address, 4));
}

// Every count at its largest over a message of under 1000 bytes: one
// question and then as many whole records as fit, each an A record of
// fifteen bytes named by the root.
QByteArray LargestCounts(int records)
{
    DnsMessageBuilder builder = DnsMessageBuilder().Header(1, 0x81, 0x80, 1, 65535, 65535, 65535);
    builder.Name({"www", "example"}).Question(1, 1);
    for (int i = 0; i < records; ++i)
        builder.Root().Fields(1, 1, 300, QByteArray("\x0a\x00\x00", 3) + char(i));
    return builder;
}

// A TXT record's strings filling a datagram of exactly `size` bytes.
QByteArray TxtDatagramOf(qsizetype size)
{
    const qsizetype rdLength = size - 12 - 1 - 10;
    QByteArray rdata;
    while (rdata.size() < rdLength) {
        const qsizetype length = std::min<qsizetype>(255, rdLength - rdata.size() - 1);
        rdata.append(char(length)).append(QByteArray(length, 't'));
    }
    return ResponseHeader(0, 1).Root().Fields(16, 1, 60, rdata);
}

QString ErrorLine(const QString& text) { return "   Error: " + text + "\r\n---\r\n"; }

// The report's lines of a record named by the root, after "Answer Section:".
QString RootRecordLines(const QString& type, int rdLength, const QString& data = {})
{
    return QStringLiteral("   Name=\r\n   Type=%1, Class=1, TTL=300, RDLENGTH=%2\r\n").arg(type).arg(rdLength) + data;
}

QString AddressLines(int records)
{
    QString lines = "Answer Section:\r\n";
    for (int i = 0; i < records; ++i)
        lines += RootRecordLines("A", 4, QStringLiteral("   IP Address=10.0.0.%1\r\n").arg(i));
    return lines;
}

} // namespace

class TestHostileNameServer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    // How each shape is reported is the report's own test; here the
    // datagram travels the lab: the report stays inside it, one byte past
    // its end included, and the lookup ends. A datagram from anyone but the
    // name server must be ignored (otherwise any host could inject a forged
    // answer), and the name server's good answer follows it.
    void answers_data()
    {
        QTest::addColumn<int>("sender");
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("box");
        const auto row = [](const char* name, const QByteArray& datagram, const QString& output) {
            QTest::newRow(name) << int(Sender::NameServer) << datagram << output << QString();
        };
        row("one byte", QByteArray("\x42", 1), ErrorLine("message cut short in the header"));
        row("65535 in every count", LargestCounts(64),
            AddressLines(64) + ErrorLine("message cut short in the answer section, record 65 (NAME)"));
        row("RDLENGTH one past the end", ResponseHeader(0, 1).Root().Fields(1, 1, 300, 5).Raw("\x0a\x01\x02\x03"),
            AddressLines(0) + RootRecordLines("A", 5)
                + ErrorLine("message cut short in the answer section, record 1 (RDATA)"));
        row("pointer past the end", ResponseHeader(1, 0).Pointer(0x3FFF).Question(1, 1),
            ErrorLine("bad compression pointer in the question section, entry 1 (QNAME)"));
        row("exactly the largest datagram", TxtDatagramOf(kDnsMaxAnswerSize),
            "Answer Section:\r\n   Name=\r\n   Type=TXT, Class=1, TTL=60, RDLENGTH=977\r\n"
                + ("   TXT=" + QString(255, 't') + "\r\n").repeated(3) + "   TXT=" + QString(208, 't') + "\r\n---\r\n");

        const QString tooLarge =
            QStringLiteral("Error %1 while receiving data from %2").arg(EMSGSIZE).arg(LabText("NETSONDE_LAB_DESTINATION"));
        for (const qsizetype size : {kDnsMaxAnswerSize + 1, qsizetype(4096), qsizetype(65507)})
            QTest::addRow("%lld bytes", qlonglong(size)) << int(Sender::NameServer) << TxtDatagramOf(size) << QString()
                                                         << tooLarge;

        const QString real = "Answer Section:\r\n   Name=www.example\r\n"
                             "   Type=A, Class=1, TTL=300, RDLENGTH=4\r\n   IP Address=10.1.2.3\r\n---\r\n";
        const QByteArray forged = AddressAnswer("\x0a\x06\x06\x06");
        QTest::newRow("other address") << int(Sender::OtherAddress) << forged << real << QString();
        QTest::newRow("other port") << int(Sender::OtherPort) << forged << real << QString();
        QTest::newRow("other address, oversized") << int(Sender::OtherAddress) << TxtDatagramOf(4096) << real << QString();
        QTest::newRow("other address, empty") << int(Sender::OtherAddress) << QByteArray() << real << QString();
    }
    void answers()
    {
        QFETCH(int, sender);
        QFETCH(QByteArray, datagram);
        QFETCH(QString, output);
        QFETCH(QString, box);
        Script script{{Sender(sender), datagram}};
        if (Sender(sender) != Sender::NameServer)
            script.append({Sender::NameServer, AddressAnswer("\x0a\x01\x02\x03")});
        CMessageBoxRecorder boxes;
        CScriptedNameServer server(script);
        QVERIFY2(server.IsServing(), "the name server cannot bind its sockets in the lab");
        auto window = OpenLookupWindow(false);
        window.Fill(QStringLiteral("www.example"), kATypeIndex, LabText("NETSONDE_LAB_DESTINATION"));
        window.dialog->OnGo();
        QTRY_VERIFY_WITH_TIMEOUT(!window.dialog->Runs().IsBusy(), kWaitMs);
        QCOMPARE(boxes.Texts(), box.isEmpty() ? QStringList() : QStringList{box});
        QCOMPARE(window.Output(), output);
    }
};

int main(int argc, char** argv)
{
    RunInsideLab(argc, argv);
    QApplication application(argc, argv);
    TestHostileNameServer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostilenameserver.moc"
