// SPDX-License-Identifier: GPL-3.0-or-later
// Name Server LookUp against a name server of the test's own in the
// namespace lab that answers with every malformed shape: a header cut
// short, counts of 65535, an RDLENGTH past the end, compression pointers
// that loop, datagrams of 1000 bytes and more, and datagrams from an
// address or port other than the name server's. Whatever arrives, the
// report stays inside the datagram and the lookup ends; a datagram from
// anyone but the name server is ignored and the lookup waits for the real
// answer.

#include "NamespaceServer.h"
#include "dns/DnsMessageBuilder.h"
#include "dns/LookupFixture.h"
#include "netns/LabEnvironment.h"

#include "dns/DnsReport.h"
#include "platform/MessageBox.h"

#include <QApplication>
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

struct ScriptedDatagram {
    Sender sender = Sender::NameServer;
    QByteArray bytes;
};

// Answers every query with the scripted datagrams, in order, each from the
// socket the script names. The other address is the destination's silent
// one, which sends well enough: only what is sent to it is dropped.
class CScriptedNameServer {
public:
    explicit CScriptedNameServer(QList<ScriptedDatagram> script) : m_script(std::move(script))
    {
        const QString nameSpace = LabText("NETSONDE_LAB_NS_DESTINATION");
        const std::uint32_t destination = LabAddress("NETSONDE_LAB_DESTINATION");
        m_fds[0] = BindInsideNamespace(nameSpace, SOCK_DGRAM, destination, kDnsServerPort);
        m_fds[1] = BindInsideNamespace(nameSpace, SOCK_DGRAM, LabAddress("NETSONDE_LAB_SILENT"), kDnsServerPort);
        m_fds[2] = BindInsideNamespace(nameSpace, SOCK_DGRAM, destination, kStrangerPort);
        if (IsServing())
            m_thread = std::thread([this] { Serve(); });
    }
    ~CScriptedNameServer()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        for (int fd : m_fds) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    CScriptedNameServer(const CScriptedNameServer&) = delete;
    CScriptedNameServer& operator=(const CScriptedNameServer&) = delete;

    bool IsServing() const { return m_fds[0] >= 0 && m_fds[1] >= 0 && m_fds[2] >= 0; }
    int Queries() const { return m_queries; }

private:
    void Serve()
    {
        while (!m_stop) {
            if (!WaitReadable(m_fds[0], 20))
                continue;
            char query[512];
            sockaddr_in client{};
            socklen_t size = sizeof client;
            if (::recvfrom(m_fds[0], query, sizeof query, 0, reinterpret_cast<sockaddr*>(&client), &size) < 0)
                continue;
            ++m_queries;
            for (const ScriptedDatagram& datagram : m_script) {
                ::sendto(m_fds[static_cast<int>(datagram.sender)], datagram.bytes.constData(),
                         static_cast<size_t>(datagram.bytes.size()), 0, reinterpret_cast<sockaddr*>(&client), size);
                // In order, each read by the client on its own.
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
    }

    QList<ScriptedDatagram> m_script;
    int m_fds[3] = {-1, -1, -1};
    std::atomic<bool> m_stop = false;
    std::atomic<int> m_queries = 0;
    std::thread m_thread;
};

DnsMessageBuilder ResponseHeader(int qd, int an) { return DnsMessageBuilder().Header(0x4242, 0x81, 0x80, qd, an, 0, 0); }

// A good answer about www.example with one address.
QByteArray AddressAnswer(const char* address)
{
    return ResponseHeader(1, 1).Name({"www", "example"}).Question(1, 1).Pointer(12).Fields(1, 1, 300, QByteArray(address, 4));
}

// An A record with the root as its name: fifteen bytes.
DnsMessageBuilder& RootAddressRecord(DnsMessageBuilder& builder, int lastByte)
{
    return builder.Root().Fields(1, 1, 300, QByteArray("\x0a\x00\x00", 3) + char(lastByte));
}

// Every count at its largest over a message of under 1000 bytes: one
// question and then as many whole records as fit.
QByteArray LargestCounts(int records)
{
    DnsMessageBuilder builder = DnsMessageBuilder().Header(1, 0x81, 0x80, 1, 65535, 65535, 65535);
    builder.Name({"www", "example"}).Question(1, 1);
    for (int i = 0; i < records; ++i)
        RootAddressRecord(builder, i);
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

QString ErrorLine(const char* text) { return QStringLiteral("   Error: ") + QLatin1String(text) + QStringLiteral("\r\n---\r\n"); }

struct LookupOutcome {
    QString output;
    QStringList boxes;
    bool ended = false;
};

LookupOutcome LookUpWith(const QList<ScriptedDatagram>& script, bool verbose = false)
{
    CMessageBoxRecorder boxes;
    CScriptedNameServer server(script);
    if (!server.IsServing()) {
        qWarning("the name server cannot bind its sockets in the lab");
        return {};
    }
    auto window = OpenLookupWindow(false);
    window.Fill(QStringLiteral("www.example"), kATypeIndex, LabText("NETSONDE_LAB_DESTINATION"), verbose);
    window.dialog->OnGo();
    const bool ended = QTest::qWaitFor([&] { return !window.dialog->Runs().IsBusy(); }, kWaitMs);
    return {window.Output(), boxes.Texts(), ended};
}

} // namespace

class TestHostileNameServer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    void malformedAnswers_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("tail");
        QTest::newRow("empty header") << QByteArray("\x42", 1) << ErrorLine("message cut short in the header");
        QTest::newRow("short header") << QByteArray("\x42\x42\x81\x80\x00\x01\x00", 7)
                                      << ErrorLine("message cut short in the header");
        QTest::newRow("65535 questions")
            << QByteArray(ResponseHeader(65535, 0).Name({"www", "example"}).Question(1, 1))
            << ErrorLine("message cut short in the question section, entry 2 (QNAME)");
        QTest::newRow("65535 in every count")
            << LargestCounts(64) << ErrorLine("message cut short in the answer section, record 65 (NAME)");
        QTest::newRow("RDLENGTH past the end")
            << QByteArray(ResponseHeader(0, 1).Root().Fields(1, 1, 300, 65535).Raw("\x0a\x01\x02\x03"))
            << ErrorLine("message cut short in the answer section, record 1 (RDATA)");
        QTest::newRow("RDLENGTH one past the end")
            << QByteArray(ResponseHeader(0, 1).Root().Fields(1, 1, 300, 5).Raw("\x0a\x01\x02\x03"))
            << ErrorLine("message cut short in the answer section, record 1 (RDATA)");
        QTest::newRow("name pointing at itself")
            << QByteArray(ResponseHeader(1, 0).Pointer(12).Question(1, 1))
            << ErrorLine("bad compression pointer in the question section, entry 1 (QNAME)");
        QTest::newRow("names pointing at each other")
            << QByteArray(ResponseHeader(1, 1).Labels({"a"}).Pointer(20).Question(1, 1).Pointer(12).Fields(1, 1, 1, 0))
            << ErrorLine("bad compression pointer in the question section, entry 1 (QNAME)");
        QTest::newRow("pointer past the end")
            << QByteArray(ResponseHeader(1, 0).Pointer(0x3FFF).Question(1, 1))
            << ErrorLine("bad compression pointer in the question section, entry 1 (QNAME)");
        // The RDATA's own loop spoils that record only; the next one is read.
        QTest::newRow("CNAME pointing at itself")
            << QByteArray(RootAddressRecord(ResponseHeader(0, 2).Root().Fields(5, 1, 300, QByteArray("\xc0\x17", 2)), 9))
            << QStringLiteral("   Error: bad compression pointer in the answer section, record 1 (RDATA)\r\n"
                              "   Name=\r\n   Type=A, Class=1, TTL=300, RDLENGTH=4\r\n   IP Address=10.0.0.9\r\n---\r\n");
    }
    void malformedAnswers()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QString, tail);
        QVERIFY(datagram.size() <= kDnsMaxAnswerSize);
        const LookupOutcome outcome = LookUpWith({{Sender::NameServer, datagram}});
        QVERIFY(outcome.ended);
        QVERIFY2(outcome.boxes.isEmpty(), qPrintable(outcome.boxes.join('\n')));
        QVERIFY2(outcome.output.endsWith(tail), qPrintable(outcome.output));
    }

    void largestCountsStopAtTheDatagramsEnd()
    {
        const QByteArray datagram = LargestCounts(64);
        QVERIFY(datagram.size() > 950 && datagram.size() <= kDnsMaxAnswerSize);
        const LookupOutcome outcome = LookUpWith({{Sender::NameServer, datagram}}, true);
        QVERIFY(outcome.ended);
        QVERIFY(outcome.output.contains(
            QStringLiteral("   QDCOUNT=1, ANCOUNT=65535, NSCOUNT=65535, ARCOUNT=65535\r\n")));
        QCOMPARE(outcome.output.count(QStringLiteral("   IP Address=10.0.0.")), 64);
        QVERIFY(outcome.output.contains(QStringLiteral("   IP Address=10.0.0.63\r\n")));
    }

    void datagramOfExactlyTheLargestSizeIsReported()
    {
        const QByteArray datagram = TxtDatagramOf(kDnsMaxAnswerSize);
        QCOMPARE(datagram.size(), kDnsMaxAnswerSize);
        const LookupOutcome outcome = LookUpWith({{Sender::NameServer, datagram}});
        QVERIFY(outcome.ended);
        QVERIFY(outcome.boxes.isEmpty());
        QCOMPARE(outcome.output.count(QStringLiteral("   TXT=")), 4);
        QVERIFY(outcome.output.endsWith(QStringLiteral("   TXT=") + QString(208, QLatin1Char('t')) + QStringLiteral("\r\n---\r\n")));
    }

    void largerDatagramsAreAReceiveError_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("1001 bytes") << kDnsMaxAnswerSize + 1;
        QTest::newRow("4096 bytes") << qsizetype(4096);
        QTest::newRow("largest UDP datagram") << qsizetype(65507);
    }
    void largerDatagramsAreAReceiveError()
    {
        QFETCH(qsizetype, size);
        const LookupOutcome outcome = LookUpWith({{Sender::NameServer, TxtDatagramOf(size)}});
        QVERIFY(outcome.ended);
        QCOMPARE(outcome.boxes, QStringList{QStringLiteral("Error %1 while receiving data from %2")
                                                .arg(EMSGSIZE)
                                                .arg(LabText("NETSONDE_LAB_DESTINATION"))});
        QVERIFY(outcome.output.isEmpty());
    }

    // A datagram from anyone but the name server's address and port, however
    // it looks, is ignored and the lookup goes on waiting for the server:
    // otherwise any host could inject a forged answer.
    void strangersAreIgnored_data()
    {
        QTest::addColumn<int>("sender");
        QTest::addColumn<QByteArray>("datagram");
        const QByteArray forged = AddressAnswer("\x0a\x06\x06\x06");
        QTest::newRow("other address") << int(Sender::OtherAddress) << forged;
        QTest::newRow("other port") << int(Sender::OtherPort) << forged;
        QTest::newRow("other address, oversized") << int(Sender::OtherAddress) << TxtDatagramOf(4096);
        QTest::newRow("other address, empty") << int(Sender::OtherAddress) << QByteArray();
    }
    void strangersAreIgnored()
    {
        QFETCH(int, sender);
        QFETCH(QByteArray, datagram);
        const QByteArray real = AddressAnswer("\x0a\x01\x02\x03");
        const LookupOutcome outcome = LookUpWith({{Sender(sender), datagram}, {Sender::NameServer, real}});
        QVERIFY(outcome.ended);
        QVERIFY2(outcome.boxes.isEmpty(), qPrintable(outcome.boxes.join('\n')));
        QCOMPARE(outcome.output, WriteDnsReport(real, {false}));
        QVERIFY(outcome.output.contains(QStringLiteral("   IP Address=10.1.2.3\r\n")));
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
