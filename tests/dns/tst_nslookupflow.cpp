// SPDX-License-Identifier: GPL-3.0-or-later
// The Name Server LookUp flow in both modes, in the namespace lab: the resolver
// scripted and name servers of the test's own on loopback for every failure's
// box or pane text; BIND's named on the lab's destination (zones under lab/),
// every report compared with what dig prints for the same question; and the
// system resolver, which knows the lab's names from a hosts file of this
// process's own (bound over /etc/hosts in a mount namespace of its own).

#include "DigAnswer.h"
#include "support/DnsMessageBuilder.h"
#include "support/LabEnvironment.h"
#include "support/LabFiles.h"
#include "support/LabNameServer.h"
#include "support/LookupFixture.h"
#include "support/ScriptedNameServer.h"

#include "dns/DnsQuery.h"
#include "dns/SearchTypeTable.h"
#include "platform/MessageBox.h"
#include "settings/SettingsKeys.h"

#include <QApplication>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <arpa/inet.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

using namespace netsonde;
using namespace netsonde::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int kATypeIndex = 1;
constexpr int kWaitMs = 30000;
constexpr int kRefused = -1;              // the scripted resolver refuses the request
constexpr int kNotFoundOnAnotherTab = -2; // the local host is not found while another tab is selected
const QString kHost = QStringLiteral("www.example");

IpAddress Address(const char* text)
{
    return ParseIpv6Literal(text).value_or(IpAddress::FromIPv4(::inet_addr(text)));
}

QString LocalHostName()
{
    return QSysInfo::machineHostName();
}

// An answer to "www.example" with one address record; the scripted server
// gives it the query's ID XOR the one here.
QByteArray AddressAnswer(int id = 0, const char* rdata = "\x0a\x01\x02\x03", int flags = 0x85, int flags2 = 0x80,
                         int qtype = 1)
{
    return DnsMessageBuilder()
        .Header(id, flags, flags2, 1, 1, 0, 0)
        .Name({"www", "example"})
        .Question(qtype, 1)
        .Pointer(12)
        .Fields(1, 1, 300, QByteArray(rdata, 4));
}

const QString kAnswerReport = QStringLiteral("Answer Section:\r\n   Name=www.example\r\n"
                                             "   Type=A, Class=1, TTL=300, RDLENGTH=4\r\n"
                                             "   IP Address=10.1.2.3\r\n---\r\n");

// A query's bytes after its header: the question of the name (wire form),
// type A, class IN, then the OPT record unless the payload size is 0.
QByteArray Asked(unsigned payload = 1232, bool dnssec = false,
                 const QByteArray& name = "\x03www\x07"
                                          "example\x00"_wire)
{
    const QByteArray question = name + "\x00\x01\x00\x01"_wire;
    if (payload == 0)
        return question;
    return question + "\x00\x00\x29"_wire + char(payload >> 8) + char(payload & 0xFF) + "\x00\x00"_wire
           + char(dnssec ? 0x80 : 0) + "\x00\x00\x00"_wire;
}

// One exchange with the scripted server on 127.0.0.1 ("PORT" in a text is its port).
struct ExchangeCase {
    QList<QByteArray> answers{};              // to every query
    std::optional<QList<QByteArray>> first{}; // to the first query, when other
    QByteArrayList asked{};                   // each UDP query's bytes after its header
    QString notes{};                          // the verbose pane's lines before the report
    QString box{};                            // the run ends with it, and without a report
    unsigned tries = 2;
    unsigned payload = 1232;
    bool dnssec = false;
    bool tcp = false;
    QString host = kHost;
};

// The verbose report's answer, then how it was got, in its last lines.
bool EndsWithAnswerAndExchange(const QString& output, const QString& server, const char* transport)
{
    const QRegularExpression exchange("\r\nExchange:\r\n   Server=" + QRegularExpression::escape(server)
                                      + ", Port=\\d+, Transport=" + transport
                                      + ", Query Time=\\d+ ms, Answer Size=\\d+ bytes\r\n---\r\n$");
    const qsizetype footer = output.lastIndexOf(QStringLiteral("\r\nExchange:"));
    return output.left(footer + 2).endsWith(kAnswerReport.chopped(5)) && exchange.match(output).hasMatch();
}

void WaitUntilIdle(const LookupWindow& window)
{
    QTRY_VERIFY_WITH_TIMEOUT(!window.dialog->Runs().IsBusy(), kWaitMs);
}

// The lab's names for the system resolver, or why they stay unknown.
QString InstallNameServerLabHosts()
{
    return InstallLabHosts(
        QStringLiteral("127.0.0.1 localhost\n%1 %2 %2-alias\n"
                       "10.200.3.7 target.lab.test target www-target\n%3 v6only.lab.test v6only\n")
            .arg(LabText("NETSONDE_LAB_SOURCE"), LocalHostName(), LabText("NETSONDE_LAB_DESTINATION6"))
            .toUtf8());
}

QString g_hostsFailure;

// The pane's text and the boxes of a verbose lookup with the system resolver.
std::pair<QString, QStringList> RunLookup(const QString& host, int searchType, const QString& nameServer)
{
    MessageBoxRecorder boxes;
    auto window = OpenLookupWindow(false);
    window.Fill(host, searchType, nameServer, true);
    window.dialog->OnGo();
    WaitUntilIdle(window);
    return {window.Output(), boxes.Texts()};
}

} // namespace

Q_DECLARE_METATYPE(ExchangeCase)

class TestNameServerLookUpFlow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // named needs a moment after the lab starts it, and a moment more to load every zone.
        QString failure;
        const auto answers = [&] {
            return std::ranges::all_of(QStringList{"lab.test", "signed.test", "nsec.test"}, [&](const QString& zone) {
                return DigShape(m_server, zone, "SOA", &failure).join(u' ').contains(u"answer section:");
            });
        };
        QVERIFY2(QTest::qWaitFor(answers, kWaitMs), qPrintable("named does not answer: " + failure));
    }
    void init()
    {
        ResetSettings();
        WriteSetting(SettingKey::NsLookUpTimeout, 1);
    }

    // The local host, then the target by address ("me" and "myself" are
    // 127.0.0.1) or by name; the first address is listed and the IPv6 ones
    // after it; a failed lookup goes into the pane, a lookup that cannot
    // start into a box, and so does the local host's failure while another
    // tab is selected.
    void getHostByX_data()
    {
        // clang-format off
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("localError"); // kRefused: the lookup cannot start
        QTest::addColumn<int>("targetError");
        QTest::addColumn<QList<IpAddress>>("resolved");
        QTest::addColumn<QString>("output"); // after the local host's block when it was found
        QTest::addColumn<QString>("box");
        const QString block = QStringLiteral("Hostname: target\r\nIP Address: %1\r\nAlias List: loopback\r\n");
        const QList loopback{Address("127.0.0.1")};
        const int ok = kLookupSucceeded;
        QTest::newRow("me") << "me" << ok << ok << loopback << block.arg("127.0.0.1") << "";
        QTest::newRow("name") << "Target.Example" << ok << ok
                              << QList{Address("198.51.100.20"), Address("198.51.100.21"), Address("2001:db8::20")}
                              << block.arg("198.51.100.20\r\nIP Address: 2001:db8::20") + "---\r\n" << "";
        QTest::newRow("unknown address") << "192.0.2.99" << ok << kLookupHostNotFound
                                         << QList<IpAddress>() << "Not available\r\n" << "";
        QTest::newRow("local host unknown") << "target.example" << kLookupTryAgain << ok << loopback
                                            << "Local Hostname:Not available\r\n" << "";
        QTest::newRow("local host refused") << "target.example" << kRefused << ok << loopback << ""
                                            << "Unable to resolve local hostname";
        QTest::newRow("target address refused") << "myself" << ok << kRefused << loopback << ""
                                                << "Unable to resolve IP Address";
        QTest::newRow("target name refused") << "target.example" << ok << kRefused << loopback << ""
                                             << "Unable to resolve hostname";
        QTest::newRow("local host unknown, other tab") << "target.example" << kNotFoundOnAnotherTab << ok << loopback
                                                       << "" << "Unable to resolve " + LocalHostName();
        // clang-format on
    }
    void getHostByX()
    {
        QFETCH(QString, host);
        QFETCH(int, localError);
        QFETCH(int, targetError);
        QFETCH(QList<IpAddress>, resolved);
        QFETCH(QString, output);
        QFETCH(QString, box);
        MessageBoxRecorder boxes;
        auto window = OpenLookupWindow();
        window.Page()->AddRecentNameServer(QStringLiteral("ns.example"));
        window.Fill(host, kGetHostByXIndex);
        if (localError == kRefused)
            window.resolver->RefuseNextRequest();
        window.dialog->OnGo();
        if (localError != kRefused) {
            QCOMPARE(window.dialog->StatusText(), QStringLiteral("Resolving ") + LocalHostName());
            const ScriptedRequest local = window.resolver->Requests().at(0);
            QCOMPARE(local.name, LocalHostName());
            if (targetError == kRefused)
                window.resolver->RefuseNextRequest();
            if (localError == kNotFoundOnAnotherTab)
                window.dialog->SelectFunction(FunctionId::Finger);
            const int error = localError == kNotFoundOnAnotherTab ? kLookupHostNotFound : localError;
            window.resolver->Complete(local.handle, error, {"box", {"box-alias", "loghost"}, {Address("192.0.2.7")}});
        }
        if (localError == kLookupSucceeded && targetError != kRefused) {
            QTRY_COMPARE(window.resolver->Requests().size(), 2);
            const ScriptedRequest target = window.resolver->Requests().at(1);
            if (!target.byAddress)
                QCOMPARE(target.name, host);
            QCOMPARE(window.dialog->StatusText(), QStringLiteral("Resolving ") + host);
            window.resolver->Complete(target.handle, targetError,
                                      {QStringLiteral("target"), {"loopback", "lo"}, resolved});
        }
        WaitUntilIdle(window);
        const QString local = "Local Hostname: box\r\nLocal IP Address: 192.0.2.7\r\nLocal Alias List: box-alias\r\n";
        QCOMPARE(window.Output(), (localError == kLookupSucceeded ? local : QString()) + output);
        const bool targetAsked = localError == kLookupSucceeded && targetError != kRefused;
        QCOMPARE(window.resolver->Requests().size(), int(localError != kRefused) + int(targetAsked));
        QCOMPARE(boxes.Texts(), box.isEmpty() ? QStringList() : QStringList{box});
        for (const auto& entry : boxes.Entries())
            QCOMPARE(entry.icon, MessageIcon::Exclamation);
        QCOMPARE(window.Page()->RecentHosts(), QStringList{host});
        QCOMPARE(window.Page()->RecentNameServers(), QStringList{QStringLiteral("ns.example")});
    }

    // No output when the IPv4 address, where nothing listens, was asked: a box tells of it.
    void nameServerGivenByNameIsResolvedThenAsked_data()
    {
        // clang-format off
        QTest::addColumn<QHostAddress::SpecialAddress>("loopback");
        QTest::addColumn<QList<IpAddress>>("resolved");
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
                                       << "Cannot resolve ns.example:PORT\r\n---\r\n";
        QTest::newRow("unknown") << v4 << QList<IpAddress>() << AddressPreference::PreferIPv4
                                 << "Cannot resolve ns.example:PORT\r\n---\r\n";
        // clang-format on
    }
    void nameServerGivenByNameIsResolvedThenAsked()
    {
        QFETCH(QHostAddress::SpecialAddress, loopback);
        QFETCH(QList<IpAddress>, resolved);
        QFETCH(AddressPreference, preference);
        QFETCH(QString, output);
        MessageBoxRecorder boxes;
        ScriptedNameServer server({AddressAnswer()}, loopback);
        const QString port = QString::number(server.Port());
        output.replace("PORT", port);
        auto window = OpenLookupWindow();
        window.Fill(kHost, kATypeIndex, "ns.example:" + port);
        RunInputs inputs = window.dialog->ReadInputs(FunctionId::NameServerLookUp);
        inputs.preference = preference;
        window.dialog->Runs().Go(inputs);
        QCOMPARE(window.resolver->Requests().size(), 1);
        QCOMPARE(window.resolver->Requests().at(0).name, QStringLiteral("ns.example"));
        QVERIFY(window.Output().isEmpty());

        const int error = resolved.isEmpty() ? kLookupHostNotFound : kLookupSucceeded;
        window.resolver->Complete(window.resolver->Requests().at(0).handle, error, {"ns.example", {}, resolved});
        WaitUntilIdle(window);
        QCOMPARE(server.Queries().size(), int(output == kAnswerReport));
        QCOMPARE(window.Output(), output);
        QCOMPARE(boxes.Texts().size(), int(output.isEmpty()));
    }

    // The name server in brackets, as an IPv6 address may be written, with its port.
    void onlyTheFirstDatagramIsReported()
    {
        ScriptedNameServer server({AddressAnswer(), AddressAnswer(0, "\x0a\x09\x09\x09")}, QHostAddress::LocalHostIPv6);
        const QString nameServer = "[::1]:" + QString::number(server.Port());
        auto window = OpenLookupWindow(false);
        window.dialog->TextPane(FunctionId::NameServerLookUp)->SetText(QStringLiteral("earlier\r\n"));
        window.Fill(QStringLiteral("WWW.Example."), kATypeIndex, nameServer, true, false);
        QSignalSpy statuses(&window.dialog->Runs(), &RunController::statusTextChanged);
        window.dialog->OnGo();
        WaitUntilIdle(window);
        QStringList shown;
        for (const QList<QVariant>& status : statuses)
            shown << status.at(0).toString();
        QCOMPARE(shown, (QStringList{"Connecting to " + nameServer, "Requesting information from name server",
                                     "Receiving data ...", "Ready"}));
        QCOMPARE(server.Queries().size(), 1);
        const QByteArray query = server.Queries().at(0);
        const int id = quint8(query[0]) << 8 | quint8(query[1]);
        const QString output = window.Output();
        QVERIFY(output.startsWith("earlier\r\nHeader:\r\n   ID=" + QString::number(id)
                                  + ", QR=Response, Opcode=QUERY, RCODE=NO ERROR\r\n"
                                    "   Authoritative Answer=Yes, Truncation=No\r\n"
                                    "   Recursion Desired=Yes, Recursion Available=Yes\r\n"
                                    "   Authentic Data=No, Checking Disabled=No\r\n"
                                    "   QDCOUNT=1, ANCOUNT=1, NSCOUNT=0, ARCOUNT=0\r\n"
                                    "Question:\r\n   Name=www.example, QTYPE=A, QCLASS=1\r\nAnswer Section:"));
        QVERIFY2(EndsWithAnswerAndExchange(output, "::1", "UDP"), qPrintable(output));
        // The question as typed: case kept, the trailing dot adds nothing.
        QCOMPARE(query.mid(12), Asked(1232, false,
                                      "\x03WWW\x07"
                                      "Example\x00"_wire));
        QCOMPARE(window.Page()->RecentNameServers(), QStringList{nameServer});
    }

    // Missing inputs, a bad port and a name server the resolver cannot start
    // to look up are told in a box with an exclamation mark, the first ones
    // before anything is remembered; refused queries and failures of the
    // socket in a plain box. Nothing listens on port 53 in the lab. A
    // broadcast address is refused by the socket before anything is sent. A
    // refused query sent after all would add the box of the closed port. A
    // socket that cannot be made is told in a plain box too.
    void failuresAreToldInABox_data()
    {
        // clang-format off
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("nameServer"); // the resolver refuses "ns.nowhere"
        QTest::addColumn<QString>("box");
        QTest::addColumn<MessageIcon>("icon");
        const auto row = [](const char* tag, const QString& host, const QString& server, const QString& box,
                            MessageIcon icon = MessageIcon::None) {
            QTest::newRow(tag) << host << server << box << icon;
        };
        const auto exclamation = MessageIcon::Exclamation;
        const QString refused = QString("Error %1 while connecting to %2").arg(ECONNREFUSED);
        row("no host", "", "127.0.0.1", "Please, enter a host name or address", exclamation);
        row("no name server", kHost, "", "A name server is required for this action!", exclamation);
        row("port 0", kHost, "127.0.0.1:0", kBadPortMessage, exclamation);
        row("port beyond 65535", kHost, "[::1]:65536", kBadPortMessage, exclamation);
        row("port not a number", kHost, "ns.example:x53", kBadPortMessage, exclamation);
        row("name server not looked up", kHost, "ns.nowhere:53", "Unable to resolve ns.nowhere:53", exclamation);
        row("long name", QStringList(20, QString(60, 'b')).join('.'), "127.0.0.1", kQueryTooLongMessage);
        row("no socket", kHost, "127.0.0.1", "Unable to create UDP socket"); // no file descriptor is left
        row("nothing listens", kHost, "127.0.0.1", refused.arg("127.0.0.1"));
        row("bare IPv6 address", kHost, "::1", refused.arg("::1"));
        row("broadcast", kHost, "everyone.example", QString("Error %1 while sending data to everyone.example").arg(EACCES));
        // clang-format on
    }
    void failuresAreToldInABox()
    {
        QFETCH(QString, host);
        QFETCH(QString, nameServer);
        QFETCH(QString, box);
        QFETCH(MessageIcon, icon);
        MessageBoxRecorder boxes;
        auto window = OpenLookupWindow();
        window.Fill(host, kATypeIndex, nameServer);
        if (nameServer.startsWith(QLatin1String("ns.nowhere")))
            window.resolver->RefuseNextRequest();
        QList<int> filler;
        for (int fd = box == QLatin1String("Unable to create UDP socket") ? ::dup(0) : -1; fd >= 0; fd = ::dup(0))
            filler.append(fd);
        window.dialog->OnGo();
        for (int fd : filler)
            ::close(fd);
        QCOMPARE(window.resolver->Requests().size(), int(nameServer == QLatin1String("everyone.example")));
        if (!window.resolver->Requests().isEmpty())
            window.resolver->Complete(window.resolver->Requests().at(0).handle, kLookupSucceeded,
                                      {"everyone", {}, {Address("255.255.255.255")}});
        WaitUntilIdle(window);
        QCOMPARE(boxes.Texts(), box.isEmpty() ? QStringList() : QStringList{box});
        for (const auto& entry : boxes.Entries())
            QCOMPARE(entry.icon, icon);
        QVERIFY(window.Output().isEmpty());
        const bool refusedAtGo = host.isEmpty() || nameServer.isEmpty() || box == QLatin1String(kBadPortMessage);
        QCOMPARE(window.Page()->RecentHosts().isEmpty(), refusedAtGo);
    }

    // Every query has an ID of its own; what is not the answer to it is
    // ignored (in the verbose form with a note) and the wait goes on, until
    // the tries are used up. A server that refuses EDNS is asked once more
    // without it; a cut answer is reported when TCP cannot be asked instead.
    void exchangeWithAScriptedServer_data()
    {
        // clang-format off
        QTest::addColumn<ExchangeCase>("exchange");
        const QByteArray good = AddressAnswer(), asked = Asked();
        const char* other = "\x0a\x09\x09\x09";
        const QString note = "Ignored a datagram from 127.0.0.1 port PORT: ";
        const QString silent = "The name server 127.0.0.1:PORT gave no answer after ";
        const auto row = [](const char* tag, const ExchangeCase& exchange) { QTest::newRow(tag) << exchange; };
        row("silence", {.asked = {asked, asked}, .box = silent + "2 tries"});
        row("silence, one try", {.asked = {asked}, .box = silent + "1 try", .tries = 1});
        row("silence at the first try", {.answers = {good}, .first = QList<QByteArray>(), .asked = {asked, asked}});
        row("wrong ID first", {.answers = {AddressAnswer(0x5555, other), good}, .asked = {asked}, .notes = note + "wrong ID\r\n"});
        row("a query first", {.answers = {AddressAnswer(0, other, 0x05), good}, .asked = {asked}, .notes = note + "not a response\r\n"});
        row("another question first", {.answers = {AddressAnswer(0, other, 0x85, 0x80, 28), good}, .asked = {asked}, .notes = note + "wrong question\r\n"});
        row("empty datagram first", {.answers = {QByteArray(), good}, .asked = {asked}, .notes = note + "too short\r\n"});
        row("FORMERR to EDNS", {.answers = {good}, .first = QList{AddressAnswer(0, other, 0x85, 0x81)}, .asked = {asked, Asked(0)}, .notes = "Note: the name server refused EDNS; the question was asked again without it.\r\n"});
        row("cut, nothing listens on TCP", {.answers = {AddressAnswer(0, "\x0a\x01\x02\x03", 0x87)}, .asked = {asked}, .notes = "Note: the answer over UDP was truncated, and asking again over TCP failed (Connection refused); the truncated answer is shown.\r\n"});
        row("no EDNS", {.answers = {good}, .asked = {Asked(0)}, .payload = 0});
        row("DNSSEC records", {.answers = {good}, .asked = {Asked(4096, true)}, .payload = 4096, .dnssec = true});
        row("TCP, nothing listens", {.answers = {good}, .box = "Error " + QString::number(ECONNREFUSED) + " while connecting to 127.0.0.1:PORT", .tcp = true});
        row("international name", {.asked = {Asked(1232, false, "\x0dxn--bcher-kva\x07" "example\x00"_wire)}, .box = silent + "1 try", .tries = 1, .host = u"B\u00fccher.example"_s});
        // clang-format on
    }
    void exchangeWithAScriptedServer()
    {
        QFETCH(ExchangeCase, exchange);
        WriteSetting(SettingKey::NsLookUpTries, int(exchange.tries));
        WriteSetting(SettingKey::NsLookUpUdpPayloadSize, int(exchange.payload));
        WriteFlagSetting(SettingKey::NsLookUpRequestDnssec, exchange.dnssec);
        WriteFlagSetting(SettingKey::NsLookUpUseTcp, exchange.tcp);
        MessageBoxRecorder boxes;
        ScriptedNameServer server(exchange.answers);
        if (exchange.first)
            server.AnswerFirstQueryWith(*exchange.first);
        const QString port = QString::number(server.Port());
        auto window = OpenLookupWindow(false);
        window.Fill(exchange.host, kATypeIndex, "127.0.0.1:" + port, true);
        window.dialog->OnGo();
        WaitUntilIdle(window);
        const QString box = exchange.box.replace("PORT", port), notes = exchange.notes.replace("PORT", port);
        QCOMPARE(boxes.Texts(), box.isEmpty() ? QStringList() : QStringList{box});
        const QString output = window.Output();
        QCOMPARE(output.left(notes.size()), notes);
        QVERIFY2(box.isEmpty() ? EndsWithAnswerAndExchange(output, "127.0.0.1", "UDP") : output == notes,
                 qPrintable(output));
        QCOMPARE(server.Queries().size(), exchange.asked.size());
        for (qsizetype i = 0; i < exchange.asked.size(); ++i)
            QCOMPARE(server.Queries().at(i).mid(12).toHex(' '), exchange.asked.at(i).toHex(' '));
    }

    // dig asks for ANY where the lookup asks for ALL.
    void everySearchTypeAgreesWithDig_data()
    {
        // clang-format off
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("digName");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("tcp");
        const auto row = [](const char* host, const char* type, const char* digName = nullptr, bool tcp = false) {
            QTest::addRow("%s %s%s", type, host, tcp ? " over TCP" : "")
                << QString(host) << QString(digName ? digName : host) << QString(type) << tcp;
        };
        for (const char* type : {"ALL", "MAILB", "MB", "MG", "MINFO", "MR"})
            row("box.lab.test", type);
        for (const char* type : {"MX", "NS", "SOA"})
            row("lab.test", type);
        using HostAndType = std::pair<const char*, const char*>;
        for (const auto& [host, type] : {HostAndType{"www.lab.test", "A"}, {"www.lab.test", "AAAA"},
                 {"alias.lab.test", "CNAME"}, {"info.lab.test", "HINFO"}, {"info.lab.test", "TXT"},
                 {"svc.lab.test", "WKS"}, {"nothere.lab.test", "A"}, {"mail.lab.test", "AAAA"},
                 {"_sip._udp.lab.test", "SRV"}, {"_ldap._tcp.lab.test", "SRV"}, {"lab.test", "CAA"},
                 {"signed.test", "DNSKEY"}, {"secure.lab.test", "DS"}, {"www.lab.test", "HTTPS"},
                 {"sip.lab.test", "NAPTR"}, {"nsec.test", "NSEC"}, {"signed.test", "NSEC3PARAM"},
                 {"www.signed.test", "RRSIG"}, {"www.lab.test", "SSHFP"}, {"_dns.lab.test", "SVCB"},
                 {"_443._tcp.www.lab.test", "TLSA"}, {"_ftp._tcp.lab.test", "URI"}, {"many.lab.test", "A"}})
            row(host, type);
        // The types the decoder knows beyond the search types, and one it does not know.
        for (const char* host : {"more.lab.test", "old.lab.test", "lab.test"})
            row(host, "ALL");
        row("www.lab.test", "A", nullptr, true);
        row("10.200.3.2", "PTR", "2.3.200.10.IN-ADDR.ARPA");
        row("2001:db8::7", "PTR", "7.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa");
        // clang-format on
    }
    void everySearchTypeAgreesWithDig()
    {
        QFETCH(QString, host);
        QFETCH(QString, digName);
        QFETCH(QString, type);
        QFETCH(bool, tcp);
        // Without EDNS, as dig asks; a cut answer is asked again over TCP, by both.
        WriteSetting(SettingKey::NsLookUpUdpPayloadSize, 0);
        WriteFlagSetting(SettingKey::NsLookUpUseTcp, tcp);
        const auto entry = std::ranges::find_if(SearchTypeTable, [&type](const SearchType& searchType) {
            return QString::fromLatin1(searchType.text).startsWith(type + QStringLiteral(" - "));
        });
        const auto [output, boxes] = RunLookup(host, int(entry - SearchTypeTable.begin()), m_server);
        QVERIFY2(boxes.isEmpty() && output.endsWith("---\r\n"), qPrintable(boxes.join('\n')));
        QString failure;
        const ReportShape expected = DigShape(m_server, digName, type == QLatin1String("ALL") ? "ANY" : type, &failure);
        QVERIFY2(!expected.isEmpty(), qPrintable(failure));
        QCOMPARE(ReportShapeOf(output), expected);
    }

    // An alias is the name asked; an address has none.
    void getHostByXWithTheSystemResolver_data()
    {
        // clang-format off
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("target");
        const QString v6 = LabText("NETSONDE_LAB_DESTINATION6");
        const QString block = QStringLiteral("Hostname: %1\r\nIP Address: %2\r\nAlias List: %3\r\n");
        const QString v4Block = block.arg("target.lab.test", "10.200.3.7"), v6Block = block.arg("v6only.lab.test", v6);
        QTest::newRow("name") << "www-target" << v4Block.arg("www-target") + "---\r\n";
        QTest::newRow("myself") << "Myself" << block.arg("localhost", "127.0.0.1", "");
        QTest::newRow("IPv6-only name") << "v6only" << v6Block.arg("v6only") + "---\r\n";
        QTest::newRow("IPv6 address") << "[" + v6 + "]" << v6Block.arg("");
        QTest::newRow("unknown") << "nowhere.lab.test" << "Cannot resolve nowhere.lab.test\r\n---\r\n";
        // clang-format on
    }
    void getHostByXWithTheSystemResolver()
    {
        if (!g_hostsFailure.isEmpty())
            QSKIP(qPrintable(g_hostsFailure));
        QFETCH(QString, host);
        QFETCH(QString, target);
        const auto [output, boxes] = RunLookup(host, kGetHostByXIndex, QString());
        QVERIFY(boxes.isEmpty());
        QCOMPARE(output, QStringLiteral("Local Hostname: %1\r\nLocal IP Address: %2\r\nLocal Alias List: \r\n")
                                 .arg(LocalHostName(), LabText("NETSONDE_LAB_SOURCE"))
                             + target);
    }

private:
    QString m_server = LabText("NETSONDE_LAB_DESTINATION");
};

int main(int argc, char** argv)
{
    if (!IsInsideLab() && QStandardPaths::findExecutable(QStringLiteral("dig")).isEmpty())
        SkipWholeTest("dig is not installed (Debian package bind9-dnsutils)");
    RunInsideLabWithNameServer(argc, argv, NETSONDE_NAMED_CONF, NETSONDE_NAMED_LOG);
    g_hostsFailure = InstallNameServerLabHosts();
    QApplication app(argc, argv);
    TestNameServerLookUpFlow test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_nslookupflow.moc"
