// SPDX-License-Identifier: GPL-3.0-or-later
// The Name Server LookUp flow in both modes: the resolver scripted, name
// servers of the test's own on loopback, every failure's box or pane text.

#include "DnsMessageBuilder.h"
#include "LookupFixture.h"
#include "support/ScriptedNameServer.h"

#include "platform/AppMessages.h"
#include "platform/MessageBox.h"

#include <QSignalSpy>
#include <QtEndian>

using namespace netsonde;
using namespace netsonde::test;

namespace {

constexpr int kATypeIndex = 1;
constexpr int kMxTypeIndex = 10;
constexpr int kWaitMs = 30000;
const QString kHost = QStringLiteral("www.example");

CIpAddress Address(const char* text)
{
    if (const auto ipv6 = ParseIpv6Literal(text))
        return *ipv6;
    return CIpAddress::FromIPv4(qToBigEndian(QHostAddress(QString::fromLatin1(text)).toIPv4Address()));
}

CHostEntry Entry(const QString& name, const char* address) { return CHostEntry{name, {}, {Address(address)}}; }

// An answer to "www.example" with one address record.
QByteArray AddressAnswer(int id, const char* rdata = "\x0a\x01\x02\x03")
{
    return DnsMessageBuilder().Header(id, 0x85, 0x80, 1, 1, 0, 0).Name({"www", "example"}).Question(1, 1)
        .Pointer(12).Fields(1, 1, 300, QByteArray(rdata, 4));
}

const QString kAnswerReport = QStringLiteral("Answer Section:\r\n   Name=www.example\r\n"
                                             "   Type=A, Class=1, TTL=300, RDLENGTH=4\r\n"
                                             "   IP Address=10.1.2.3\r\n---\r\n");

// A loopback port where nothing listens.
quint16 ClosedPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

// The window with the page filled, the name server asked on the given port.
LookupWindow FilledWindow(const QString& host, int searchType, const QString& nameServer, quint16 port = 0)
{
    auto window = OpenLookupWindow();
    window.Function()->SetServerPort(port);
    window.Fill(host, searchType, nameServer);
    return window;
}

void WaitUntilIdle(const LookupWindow& window)
{
    QTRY_VERIFY_WITH_TIMEOUT(!window.dialog->Runs().IsBusy(), kWaitMs);
}

void CompleteRequest(const LookupWindow& window, int index, int error, const CHostEntry& entry = {})
{
    window.resolver->Complete(window.resolver->Requests().at(index).handle, error, entry);
}

} // namespace

class TestNameServerLookUpFlow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    void goIsRefusedWithoutTheInputs()
    {
        CMessageBoxRecorder boxes;
        auto window = FilledWindow(QString(), kATypeIndex, QStringLiteral("127.0.0.1"));
        window.dialog->OnGo();
        window.Fill(kHost, kMxTypeIndex, QString());
        window.dialog->OnGo();
        QCOMPARE(boxes.Texts(), (QStringList{QStringLiteral("Please, enter a host name or address"),
                                             QStringLiteral("A name server is required for this action!")}));
        for (const auto& entry : boxes.Entries())
            QCOMPARE(entry.icon, MessageIcon::Exclamation);
        QVERIFY(window.resolver->Requests().isEmpty());
        QVERIFY(!window.dialog->Pane(FunctionId::NameServerLookUp)->isVisible());
        QVERIFY(window.Page()->RecentHosts().isEmpty());
        QTRY_VERIFY(!window.dialog->Runs().IsBusy());
    }

    // The local host, then the target by address ("me" and "myself" are
    // 127.0.0.1) or by name; the first address is listed and the IPv6 ones
    // after it; a failure goes into the pane.
    void getHostByXTarget_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("address"); // asked by address; by name when empty
        QTest::addColumn<QList<CIpAddress>>("resolved"); // none: the lookup fails
        QTest::addColumn<QString>("tail");
        const QList loopback{Address("127.0.0.1")};
        const QString block = QStringLiteral("Hostname: target\r\nIP Address: %1\r\nAlias List: loopback\r\n");
        QTest::newRow("me") << "me" << "127.0.0.1" << loopback << block.arg("127.0.0.1");
        QTest::newRow("MySelf") << "MySelf" << "127.0.0.1" << loopback << block.arg("127.0.0.1");
        QTest::newRow("dotted") << "127.0.0.1" << "127.0.0.1" << loopback << block.arg("127.0.0.1");
        QTest::newRow("IPv6") << "[::1]" << "::1" << QList{Address("::1")} << block.arg("::1");
        QTest::newRow("name") << "Target.Example" << ""
                              << QList{Address("198.51.100.20"), Address("198.51.100.21"), Address("2001:db8::20")}
                              << block.arg("198.51.100.20\r\nIP Address: 2001:db8::20") + "---\r\n";
        QTest::newRow("unknown name") << "nowhere.example" << "" << QList<CIpAddress>()
                                      << "Cannot resolve nowhere.example\r\n---\r\n";
        QTest::newRow("unknown address") << "192.0.2.99" << "192.0.2.99" << QList<CIpAddress>() << "Not available\r\n";
    }
    void getHostByXTarget()
    {
        QFETCH(QString, host);
        QFETCH(QString, address);
        QFETCH(QList<CIpAddress>, resolved);
        QFETCH(QString, tail);
        CMessageBoxRecorder boxes;
        auto window = OpenLookupWindow();
        window.Page()->AddRecentNameServer(QStringLiteral("ns.example"));
        window.Fill(host, kGetHostByXIndex);
        window.dialog->OnGo();
        QCOMPARE(window.dialog->StatusText(), QStringLiteral("Resolving ") + LocalHostName());
        const CScriptedRequest local = window.resolver->Requests().at(0);
        QCOMPARE(local.nMessage, WM_APP_LOCAL_HOST_RESOLVED);
        QCOMPARE(local.strName, LocalHostName());
        window.resolver->Complete(local.handle, kLookupSucceeded,
                                  CHostEntry{"box", {"box-alias", "loghost"}, {Address("192.0.2.7")}});
        QTRY_COMPARE(window.resolver->Requests().size(), 2);
        const CScriptedRequest target = window.resolver->Requests().at(1);
        QCOMPARE(target.bByAddress, !address.isEmpty());
        QCOMPARE(target.nMessage, address.isEmpty() ? WM_APP_HOST_RESOLVED : WM_APP_ADDRESS_RESOLVED);
        QCOMPARE(target.bByAddress ? FormatIpAddress(target.address) : target.strName,
                 address.isEmpty() ? host : address);
        QCOMPARE(window.dialog->StatusText(), QStringLiteral("Resolving ") + host);
        const int error = resolved.isEmpty() ? kLookupHostNotFound : kLookupSucceeded;
        window.resolver->Complete(target.handle, error, {QStringLiteral("target"), {"loopback", "lo"}, resolved});
        WaitUntilIdle(window);
        QCOMPARE(window.Output(),
                 "Local Hostname: box\r\nLocal IP Address: 192.0.2.7\r\nLocal Alias List: box-alias\r\n" + tail);
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
        QCOMPARE(window.Page()->RecentHosts(), QStringList{host});
        QCOMPARE(window.Page()->RecentNameServers(), QStringList{QStringLiteral("ns.example")});
        QVERIFY(boxes.Texts().isEmpty());
    }

    void localHostFailureEndsBeforeTheTarget()
    {
        CMessageBoxRecorder boxes;
        auto window = FilledWindow(QStringLiteral("target.example"), kGetHostByXIndex, QString());
        window.dialog->OnGo();
        CompleteRequest(window, 0, kLookupTryAgain);
        WaitUntilIdle(window);
        QCOMPARE(window.Output(), QStringLiteral("Local Hostname:Not available\r\n"));
        QCOMPARE(window.resolver->Requests().size(), 1);

        // With another tab selected the failure is told in a box instead.
        window.dialog->OnGo();
        window.dialog->SelectFunction(FunctionId::Finger);
        CompleteRequest(window, 1, kLookupHostNotFound);
        WaitUntilIdle(window);
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("Unable to resolve ") + LocalHostName()});
        QCOMPARE(boxes.Entries().front().icon, MessageIcon::Exclamation);
        QCOMPARE(window.resolver->Requests().size(), 2);
    }

    void requestsThatCannotStartAreToldInABox_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("nameServer"); // GetHostByX when empty
        QTest::addColumn<int>("refusedRequest");
        QTest::addColumn<QString>("message");
        QTest::newRow("local host") << "target.example" << "" << 0 << "Unable to resolve local hostname";
        QTest::newRow("target address") << "myself" << "" << 1 << "Unable to resolve IP Address";
        QTest::newRow("target name") << "target.example" << "" << 1 << "Unable to resolve hostname";
        QTest::newRow("name server") << "www.example" << "ns.nowhere" << 0 << "Unable to resolve ns.nowhere";
    }
    void requestsThatCannotStartAreToldInABox()
    {
        QFETCH(QString, host);
        QFETCH(QString, nameServer);
        QFETCH(int, refusedRequest);
        QFETCH(QString, message);
        CMessageBoxRecorder boxes;
        auto window = FilledWindow(host, nameServer.isEmpty() ? kGetHostByXIndex : kATypeIndex, nameServer);
        if (refusedRequest == 0)
            window.resolver->RefuseNextRequest();
        window.dialog->OnGo();
        if (refusedRequest == 1) {
            window.resolver->RefuseNextRequest();
            CompleteRequest(window, 0, kLookupSucceeded, Entry(QStringLiteral("box"), "192.0.2.7"));
        }
        WaitUntilIdle(window);
        QCOMPARE(boxes.Texts(), QStringList{message});
        QCOMPARE(boxes.Entries().front().icon, MessageIcon::Exclamation);
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
    }

    // No output when the IPv4 address, where nothing listens, was asked: a box tells of it.
    void nameServerGivenByNameIsResolvedThenAsked_data()
    {
        QTest::addColumn<QHostAddress::SpecialAddress>("loopback");
        QTest::addColumn<QList<CIpAddress>>("resolved");
        QTest::addColumn<AddressPreference>("preference");
        QTest::addColumn<QString>("output");
        const QList both{Address("127.0.0.1"), Address("::1")};
        const QList v6only{Address("::1")};
        const auto v4 = QHostAddress::LocalHost;
        const auto v6 = QHostAddress::LocalHostIPv6;
        QTest::newRow("IPv4") << v4 << QList{Address("127.0.0.1")} << AddressPreference::PreferIPv4 << kAnswerReport;
        QTest::newRow("IPv6 only") << v6 << v6only << AddressPreference::PreferIPv4 << kAnswerReport;
        QTest::newRow("both, IPv4 chosen") << v6 << both << AddressPreference::PreferIPv4 << QString();
        QTest::newRow("both, IPv6 preferred") << v6 << both << AddressPreference::PreferIPv6 << kAnswerReport;
        QTest::newRow("IPv6 excluded") << v6 << v6only << AddressPreference::OnlyIPv4
                                       << "Cannot resolve ns.example\r\n---\r\n";
        QTest::newRow("unknown") << v4 << QList<CIpAddress>() << AddressPreference::PreferIPv4
                                 << "Cannot resolve ns.example\r\n---\r\n";
    }
    void nameServerGivenByNameIsResolvedThenAsked()
    {
        QFETCH(QHostAddress::SpecialAddress, loopback);
        QFETCH(QList<CIpAddress>, resolved);
        QFETCH(AddressPreference, preference);
        QFETCH(QString, output);
        CMessageBoxRecorder boxes;
        CScriptedNameServer server({AddressAnswer(7)}, loopback);
        auto window = FilledWindow(kHost, kATypeIndex, QStringLiteral("ns.example"), server.Port());
        CRunInputs inputs = window.dialog->ReadInputs(FunctionId::NameServerLookUp);
        inputs.preference = preference;
        window.dialog->Runs().Go(inputs);
        QCOMPARE(window.dialog->StatusText(), QStringLiteral("Resolving Name Server"));
        QCOMPARE(window.resolver->Requests().size(), 1);
        QCOMPARE(window.resolver->Requests().at(0).strName, QStringLiteral("ns.example"));
        QCOMPARE(window.resolver->Requests().at(0).nMessage, WM_APP_HOST_RESOLVED);
        QVERIFY(window.Output().isEmpty());

        const int error = resolved.isEmpty() ? kLookupHostNotFound : kLookupSucceeded;
        CompleteRequest(window, 0, error, {QStringLiteral("ns.example"), {}, resolved});
        WaitUntilIdle(window);
        QCOMPARE(server.Queries().size(), int(output == kAnswerReport));
        QCOMPARE(window.Output(), output);
        QCOMPARE(boxes.Texts().size(), int(output.isEmpty()));
    }

    void onlyTheFirstDatagramIsReported_data()
    {
        QTest::addColumn<QString>("nameServer");
        QTest::addColumn<QHostAddress::SpecialAddress>("loopback");
        QTest::newRow("IPv4") << "127.0.0.1" << QHostAddress::LocalHost;
        QTest::newRow("IPv6") << "::1" << QHostAddress::LocalHostIPv6;
        QTest::newRow("IPv6 in brackets") << "[::1]" << QHostAddress::LocalHostIPv6;
    }
    void onlyTheFirstDatagramIsReported()
    {
        QFETCH(QString, nameServer);
        QFETCH(QHostAddress::SpecialAddress, loopback);
        CScriptedNameServer server({AddressAnswer(1), AddressAnswer(2, "\x0a\x09\x09\x09")}, loopback);
        auto window = OpenLookupWindow(false);
        window.Function()->SetServerPort(server.Port());
        window.dialog->TextPane(FunctionId::NameServerLookUp)->SetText(QStringLiteral("earlier\r\n"));
        window.Fill(QStringLiteral("WWW.Example."), kATypeIndex, nameServer, true, false);
        QSignalSpy statuses(&window.dialog->Runs(), &CRunController::statusTextChanged);
        window.dialog->OnGo();
        WaitUntilIdle(window);
        QStringList shown;
        for (const QList<QVariant>& status : statuses)
            shown << status.at(0).toString();
        QCOMPARE(shown, (QStringList{"Connecting to " + nameServer, "Requesting information from name server",
                                     "Receiving data ...", "Ready"}));
        QCOMPARE(window.Output(), "earlier\r\nHeader:\r\n   ID=1, QR=Response, Opcode=QUERY, RCODE=NO ERROR\r\n"
                                  "   Authoritative Answer=Yes, Truncation=No\r\n"
                                  "   Recursion Desired=Yes, Recursion Available=Yes\r\n"
                                  "   QDCOUNT=1, ANCOUNT=1, NSCOUNT=0, ARCOUNT=0\r\n"
                                  "Question:\r\n   Name=www.example, QTYPE=A, QCLASS=1\r\n" + kAnswerReport);
        QCOMPARE(server.Queries().size(), 1);
        // The question as typed: case kept, the trailing dot adds nothing.
        QVERIFY(server.Queries().at(0).mid(12) == "\x03WWW\x07" "Example\x00\x00\x01\x00\x01"_wire);
        QCOMPARE(window.Page()->RecentNameServers(), QStringList{nameServer});
    }

    // Refused queries and failures of the socket and of the answer, each told
    // in a plain box; an empty datagram ends the lookup with no report. A
    // broadcast address is refused by the socket before anything is sent. A
    // refused query sent after all would add the box of the closed port.
    void failuresAreToldInAPlainBox_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("nameServer");
        QTest::addColumn<QByteArray>("answer"); // nothing listens when it is the good one
        QTest::addColumn<QString>("box");
        const QByteArray good = AddressAnswer(1);
        const auto row = [](const char* tag, const QString& host, const QString& server, const QByteArray& answer,
                            const QString& box) { QTest::newRow(tag) << host << server << answer << box; };
        row("long name", QStringList(20, QString(60, 'b')).join('.'), "127.0.0.1", good, kQueryTooLongMessage);
        row("answer too long", kHost, "127.0.0.1", QByteArray(kDnsMaxAnswerSize + 1, '\0'),
            QString("Error %1 while receiving data from 127.0.0.1").arg(EMSGSIZE));
        row("empty answer", kHost, "127.0.0.1", QByteArray(), QString());
        row("nothing listens", kHost, "127.0.0.1", good,
            QString("Error %1 while connecting to 127.0.0.1").arg(ECONNREFUSED));
        row("broadcast", kHost, "everyone.example", good,
            QString("Error %1 while sending data to everyone.example").arg(EACCES));
    }
    void failuresAreToldInAPlainBox()
    {
        QFETCH(QString, host);
        QFETCH(QString, nameServer);
        QFETCH(QByteArray, answer);
        QFETCH(QString, box);
        const bool listens = answer != AddressAnswer(1);
        CMessageBoxRecorder boxes;
        CScriptedNameServer server({answer});
        auto window = FilledWindow(host, kATypeIndex, nameServer, listens ? server.Port() : ClosedPort());
        window.dialog->OnGo();
        if (!window.resolver->Requests().isEmpty())
            CompleteRequest(window, 0, kLookupSucceeded, Entry(QStringLiteral("everyone"), "255.255.255.255"));
        WaitUntilIdle(window);
        QCOMPARE(boxes.Texts(), box.isEmpty() ? QStringList() : QStringList{box});
        for (const auto& entry : boxes.Entries())
            QCOMPARE(entry.icon, MessageIcon::None);
        QCOMPARE(server.Queries().size(), int(listens));
        QVERIFY(window.Output().isEmpty());
    }

    void noSocketCanBeMade()
    {
        CMessageBoxRecorder boxes;
        auto window = FilledWindow(kHost, kATypeIndex, QStringLiteral("127.0.0.1"));
        QList<int> filler;
        for (int fd = ::dup(0); fd >= 0; fd = ::dup(0))
            filler.append(fd);
        window.dialog->OnGo();
        for (int fd : filler)
            ::close(fd);
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("Unable to create UDP socket")});
        QTRY_VERIFY(!window.dialog->Runs().IsBusy());
    }
};

QTEST_MAIN(TestNameServerLookUpFlow)
#include "tst_nslookupflow.moc"
