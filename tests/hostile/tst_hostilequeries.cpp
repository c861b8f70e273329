// SPDX-License-Identifier: GPL-3.0-or-later
// Servers in the namespace lab that do what no polite server does: a WhoIs
// server that pours out 10 MB as fast as it can and a name server that
// answers with malformed datagrams, datagrams of 1000 bytes and more, and
// datagrams from an address or port other than its own. The window stays
// usable and shows what it should: a name server's report stays inside the
// datagram and the lookup ends; a datagram from anyone but the name server
// is ignored and the lookup waits for the real answer.

#include "dns/DnsMessageBuilder.h"
#include "dns/LookupFixture.h"
#include "netns/LabEnvironment.h"
#include "query/QueryTestSupport.h"
#include "support/LabServer.h"
#include "support/ScriptedNameServer.h"

#include "platform/MessageBox.h"
#include "query/ReceivedText.h"
#include "query/TextQueryFunction.h"

#include <QApplication>
#include <QtTest>

#include <cerrno>
#include <future>

using namespace netsonde;
using namespace netsonde::test;

namespace {

constexpr std::uint16_t kWhoIsPort = 43;
constexpr std::uint16_t kStrangerPort = 5353; // the destination's other port
constexpr qsizetype kFloodBytes = 10 * 1024 * 1024;
constexpr int kWaitMs = 30000;
constexpr int kATypeIndex = 1;


enum class Sender { NameServer, OtherAddress, OtherPort };

// The name server's sockets, in the order of Sender. The other address is
// the destination's silent one, which sends well enough: only what is sent
// to it is dropped.
QList<int> NameServerSockets()
{
    const QString nameSpace = LabText("NETSONDE_LAB_NS_DESTINATION");
    const std::uint32_t destination = LabAddress("NETSONDE_LAB_DESTINATION");
    return {BindInsideNamespace(nameSpace, SOCK_DGRAM, destination, kDnsServerPort),
            BindInsideNamespace(nameSpace, SOCK_DGRAM, LabAddress("NETSONDE_LAB_SILENT"), kDnsServerPort),
            BindInsideNamespace(nameSpace, SOCK_DGRAM, destination, kStrangerPort)};
}

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

// The answer section of A records 10.0.0.0 and up, each named by the root.
QString AddressLines(int records)
{
    QString lines = "Answer Section:\r\n";
    for (int i = 0; i < records; ++i)
        lines += QStringLiteral("   Name=\r\n   Type=A, Class=1, TTL=300, RDLENGTH=4\r\n   IP Address=10.0.0.%1\r\n").arg(i);
    return lines;
}

} // namespace

class TestHostileQueries : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    // The query ends at the pane limit, long before the server is done, and
    // the next query of the same window works.
    void whoIsFloodOfTenMegabytes()
    {
        CMessageBoxRecorder boxes;
        const QByteArray line("Domain Name: FLOOD.EXAMPLE  Registrar: nobody in particular\r\n");
        const QByteArray flood = line.repeated(kFloodBytes / line.size() + 1).left(kFloodBytes);
        const auto server = ServeAtDestination(kWhoIsPort);
        auto dialog = OpenMainDialog();
        FillPage(*dialog, FunctionId::WhoIs, {Destination(), "flood.example"});
        dialog->OnGo();
        QTRY_VERIFY(server->Accept());
        // The server pours from a thread of its own while the window reads.
        auto floodSent = std::async(std::launch::async, [&] {
            return SendAll(server->Descriptor(), flood, QDeadlineTimer(kWaitMs));
        });
        QTRY_COMPARE_WITH_TIMEOUT(dialog->StatusText(), QStringLiteral("Ready"), kWaitMs);
        const QString shown = PaneText(*dialog, FunctionId::WhoIs);
        QVERIFY2(!shown.isEmpty() && shown.size() < CReceivedText::PaneLimit,
                 qPrintable(QString::number(shown.size())));
        QVERIFY(flood.startsWith(shown.toLatin1()));
        QVERIFY(!dynamic_cast<const CTextQueryFunction&>(*dialog->Function(FunctionId::WhoIs)).QuerySocket());
        // The server learns that nobody reads any more.
        const qsizetype sent = floodSent.get();
        QVERIFY2(sent < kFloodBytes, qPrintable(QString::number(sent)));

        server->CloseConnection();
        dialog->OnGo();
        QTRY_VERIFY(server->Accept());
        QVERIFY(server->Deliver("quiet answer\r\n") && server->Finish());
        QTRY_COMPARE_WITH_TIMEOUT(dialog->StatusText(), QStringLiteral("Ready"), kWaitMs);
        QCOMPARE(PaneText(*dialog, FunctionId::WhoIs), QStringLiteral("quiet answer\r\n"));
        QVERIFY(boxes.Texts().isEmpty());
    }

    // How each shape is reported is the report's own test; here the
    // datagram travels the lab: the report stays inside it, one byte past
    // its end included, and the lookup ends. A datagram from anyone but the
    // name server must be ignored (otherwise any host could inject a forged
    // answer), and the name server's good answer follows it.
    void nameServerAnswers_data()
    {
        QTest::addColumn<int>("sender");
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("box");
        const auto row = [](const char* name, const QByteArray& datagram, const QString& output) {
            QTest::newRow(name) << int(Sender::NameServer) << datagram << output << QString();
        };
        row("65535 in every count", LargestCounts(64),
            AddressLines(64) + ErrorLine("message cut short in the answer section, record 65 (NAME)"));
        row("RDLENGTH one past the end", ResponseHeader(0, 1).Root().Fields(1, 1, 300, 5).Raw("\x0a\x01\x02\x03"),
            "Answer Section:\r\n   Name=\r\n   Type=A, Class=1, TTL=300, RDLENGTH=5\r\n"
                + ErrorLine("message cut short in the answer section, record 1 (RDATA)"));
        row("exactly the largest datagram", TxtDatagramOf(kDnsMaxAnswerSize),
            "Answer Section:\r\n   Name=\r\n   Type=TXT, Class=1, TTL=60, RDLENGTH=977\r\n"
                + ("   TXT=" + QString(255, 't') + "\r\n").repeated(3) + "   TXT=" + QString(208, 't') + "\r\n---\r\n");

        const QString tooLarge =
            QStringLiteral("Error %1 while receiving data from %2").arg(EMSGSIZE).arg(Destination());
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
    void nameServerAnswers()
    {
        QFETCH(int, sender);
        QFETCH(QByteArray, datagram);
        QFETCH(QString, output);
        QFETCH(QString, box);
        CScriptedNameServer::Script script{{sender, datagram}};
        if (Sender(sender) != Sender::NameServer)
            script.append({int(Sender::NameServer), AddressAnswer("\x0a\x01\x02\x03")});
        CMessageBoxRecorder boxes;
        CScriptedNameServer server(script, NameServerSockets());
        QVERIFY2(server.IsServing(), "the name server cannot bind its sockets in the lab");
        auto window = OpenLookupWindow(false);
        window.Fill(QStringLiteral("www.example"), kATypeIndex, Destination());
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
    TestHostileQueries test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostilequeries.moc"
