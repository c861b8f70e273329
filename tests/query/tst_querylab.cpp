// SPDX-License-Identifier: GPL-3.0-or-later
// Finger, WhoIs and Quote Of The Day inside the namespace lab, against real TCP
// servers on the fixed ports of its destination: the status line, requests,
// firewall routing, the address family Prefer IPv6 picks, chunked answers, the
// pane limit, the drain at close, failures, Stop and the FireWall dialog.
// Lookups of names outside the lab are scripted.

#include "support/FileHelpers.h"
#include "support/LabEnvironment.h"
#include "support/LabServer.h"
#include "support/LookupFixture.h"
#include "support/QueryTestSupport.h"
#include "support/ScriptedResolver.h"
#include "support/ScriptedWhoIsServers.h"

#include "mainwindow/FireWallDialog.h"
#include "platform/MessageBox.h"
#include "query/QuerySocket.h"
#include "query/TextQueryFunction.h"
#include "settings/SettingsStore.h"

#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <netinet/in.h>

using namespace netsonde;
using namespace netsonde::test;

namespace {

std::uint16_t PortOf(FunctionId id)
{
    return id == FunctionId::Finger ? 79 : id == FunctionId::WhoIs ? 43 : 17;
}

const TextQueryFunction& QueryOf(const MainDialog& dialog, FunctionId id)
{
    return dynamic_cast<const TextQueryFunction&>(*dialog.FunctionFor(id));
}

// The texts the status line showed while the spy watched.
QStringList TextsOf(const QSignalSpy& statuses)
{
    QStringList texts;
    for (const QList<QVariant>& status : statuses)
        texts << status.at(0).toString();
    return texts;
}

QStringList ByteCountsShown(const QStringList& statuses)
{
    static const QRegularExpression count(QStringLiteral("^Receiving data \\.\\.\\. (\\d+) bytes$"));
    return statuses.filter(count).replaceInStrings(count, QStringLiteral("\\1"));
}

} // namespace

// How a query ends; a tab change after the first chunk does not change where its text goes.
enum class QueryEnd { ServerCloses, Escape, TabChangeThenServerCloses };

// A query to the destination: the page's input, the firewall, Prefer IPv6, the destination's address
// the connection went to and the request; every step of the status line (none: not checked); the pane
// before Go, the chunks (readEach false: all chunks and the close wait before the client reads), the
// end, the pane and its length after each read.
struct AnswerCase {
    FunctionId function;
    QueryInput input;
    QString firewall;
    bool preferIPv6;
    QString reached;
    QByteArray request;
    QStringList statuses;
    QString earlier;
    QList<QByteArray> chunks;
    bool readEach;
    QueryEnd end;
    QString pane;
    QStringList counts;
};
Q_DECLARE_METATYPE(AnswerCase)

// A query that fails: the scripted lookup's answer (none: not found) of the name looked up (empty when
// no lookup starts), the box's text and the status line while it shows, the Recent List's first entry;
// whether the lookup cannot start, and whether Stop after a tab change comes before the lookup or the
// connection ends.
struct FailureCase {
    FunctionId function;
    QueryInput input;
    QString firewall;
    QList<IpAddress> resolved;
    QString lookedUp;
    QStringList box;
    QString entry;
    bool refused;
    bool stopped;
    AddressPreference preference;
};
Q_DECLARE_METATYPE(FailureCase)

// WhoIs in automatic mode: the User text, each server's answer, the lines "server request" the servers
// received, the pane's heading, note and error lines; the whois client's arguments when its choices are
// ours (none: not compared), and whether it goes to the registry without asking IANA.
struct ChainCase {
    QString query;
    QMap<QString, QByteArray> script;
    QStringList asked;
    QStringList lines;
    QStringList client;
    bool clientSkipsIana = false;
};
Q_DECLARE_METATYPE(ChainCase)

class TestQueryLab : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    void answerReachesThePane_data();
    void answerReachesThePane();
    void failureEndsTheRun_data();
    void failureEndsTheRun();
    void fireWallDialog_data();
    void fireWallDialog();
    void automaticChain_data();
    void automaticChain();
};

void TestQueryLab::answerReachesThePane_data()
{
    QTest::addColumn<AnswerCase>("c");
    using Chunks = QList<QByteArray>;
    const auto finger = FunctionId::Finger;
    const auto whoIs = FunctionId::WhoIs;
    const auto quote = FunctionId::QuoteOfDay;
    const QString v4 = Destination();
    const Chunks answer{"answer\n"};
    const QString shown = QStringLiteral("answer\r\n");
    const QStringList eight{"8"};
    // An answer of one chunk, with every step of the status line: "Connecting to"
    // names the page's host while the connection goes to the firewall.
    const auto answerRow = [&](const char* tag, FunctionId function, const QueryInput& input, const QString& firewall,
                               bool preferIPv6, const QString& reached, const QByteArray& request) {
        const QString target = firewall.isEmpty() ? input.host : firewall;
        const QString creating = function == finger ? "Finger" : function == whoIs ? "WhoIs" : "Quote Of Day";
        const QStringList statuses{
            "Resolving " + target,    "Creating " + creating + " Socket",   "Connecting to " + input.host,
            "Connected to " + target, "Requesting information from server", "Waiting for response",
            "Receiving data ...",     "Receiving data ... 8 bytes",         "Ready"};
        QTest::newRow(tag) << AnswerCase{
            function, input, firewall, preferIPv6, reached, request, statuses, "", answer, true, QueryEnd::ServerCloses,
            shown,    eight};
    };
    // Chunks to Finger's user ann (no request for a quote) at the destination's IPv4 address.
    const auto chunkRow = [&](const char* tag, FunctionId function, const QString& earlier, bool clear,
                              const Chunks& chunks, bool readEach, QueryEnd end, const QString& pane,
                              const QStringList& counts) {
        const QueryInput input{v4, "ann", false, clear};
        const QByteArray request = function == quote ? "" : "ann\r\n";
        QTest::newRow(tag) << AnswerCase{function, input,  "",       false, v4,   request, QStringList(),
                                         earlier,  chunks, readEach, end,   pane, counts};
    };
    const QString v6 = LabText("NETSONDE_LAB_DESTINATION6");
    const QString both = QStringLiteral("both.lab.test");
    const QString longUser(3000, QLatin1Char('u')); // sent in two writes of at most 2048 bytes
    answerRow("finger through firewall", finger, {"inner.example", "ann", true}, v4, false, v4,
              "/W ann@inner.example\r\n");
    answerRow("finger, request longer than one send", finger, {v4, longUser}, "", false, v4,
              longUser.toLatin1() + "\r\n");
    answerRow("finger, IPv6 in brackets", finger, {"[" + v6 + "]", "ann"}, "", false, v6, "ann\r\n");
    answerRow("finger, both families, Prefer IPv6", finger, {both, "ann"}, "", true, v6, "ann\r\n");
    answerRow("whois, IPv6", whoIs, {v6, "ann"}, "", false, v6, "ann\r\n");
    answerRow("qod, IPv6-only name", quote, {"v6only.lab.test"}, "", false, v6, "");
    const auto closes = QueryEnd::ServerCloses;
    const QString e28k(28000, QLatin1Char('e'));
    const QByteArray c1999(1999, 'c');
    const QByteArray d40k(40000, 'd');
    QStringList drainCounts; // reads of at most 2048 bytes
    for (int length = 2048; length < d40k.size(); length += 2048)
        drainCounts << QString::number(length);
    drainCounts << "40000";
    // Line ends across chunks; a NUL ends what a chunk shows; every read shows
    // the pane's length, also one whose chunk shows nothing yet, but not a lone CR's.
    chunkRow("line ends", finger, "", true, {"x\ny\r\nz", "a\r", "\nb", QByteArray("c\0lost", 6), "d\n"}, true, closes,
             "x\r\ny\r\nza\r\nbcd\r\n", {"7", "9", "11", "12", "15"});
    chunkRow("nothing shown yet", finger, "", true, {QByteArray("\0lost", 5), "ab\xc3", "\xa9", "\xe2\x82", "\xac"},
             true, closes, "ab\u00e9\u20ac", {"0", "2", "3", "3", "4"});
    chunkRow("quote drops a lone CR", quote, "", true, {"Quote one", "\r", "\r\n", "two\n"}, true, closes,
             "Quote one\r\ntwo\r\n", {"9", "11", "16"});
    chunkRow("reads of 2048 bytes", finger, "", true, {QByteArray(5000, 'r')}, true, closes, QString(5000, 'r'),
             {"2048", "4096", "5000"});
    // A query stopped while receiving keeps what it received.
    chunkRow("escape", finger, "", true, {"one\n", "two\n"}, true, QueryEnd::Escape, "one\r\ntwo\r\n", {"5", "10"});
    chunkRow("server closes after a tab change", finger, "", true, {"one\n", "two\n"}, true,
             QueryEnd::TabChangeThenServerCloses, "one\r\ntwo\r\n", {"5", "10"});
    // 28000 + 1999 + 1 is exactly the pane limit of 30000: Finger goes on, the others end.
    chunkRow("finger at the limit", finger, e28k, false, {c1999}, true, closes, e28k + QString::fromLatin1(c1999),
             {"29999"});
    chunkRow("whois at the limit", whoIs, e28k, false, {c1999}, true, closes, e28k, {});
    chunkRow("drain beyond the limit", whoIs, "old", true, {d40k}, false, closes, QString::fromLatin1(d40k),
             drainCounts);
    chunkRow("drain of nothing", quote, "old", true, {}, false, closes, "", {});
}

void TestQueryLab::answerReachesThePane()
{
    QFETCH(AnswerCase, c);
    MessageBoxRecorder boxes;
    auto server = ServeAtDestination(PortOf(c.function));
    auto dialog = OpenMainDialog();
    dialog->TextPane(c.function)->SetText(c.earlier);
    dialog->SetFireWalls(c.firewall, c.firewall);
    if (dialog->Actions().preferIPv6->isChecked() != c.preferIPv6)
        dialog->Actions().preferIPv6->trigger();
    QSignalSpy shown(dialog.get(), &MainDialog::statusTextShown);

    FillPage(*dialog, c.function, c.input);
    dialog->OnGo();
    QTRY_VERIFY(server->Accept());
    QCOMPARE(server->LocalAddress(), c.reached);
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Waiting for response"));
    QTRY_COMPARE(server->Received(), c.request);
    const bool tabChange = c.end == QueryEnd::TabChangeThenServerCloses;
    for (const QByteArray& chunk : c.chunks) {
        QVERIFY(server->Deliver(chunk));
        if (c.readEach)
            QTRY_VERIFY(UnreadBytesFrom(PortOf(c.function)) <= 0);
        if (tabChange)
            dialog->SelectFunction(FunctionId::WhoIs);
    }
    if (c.end == QueryEnd::Escape)
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
    else
        QVERIFY(server->Finish());
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
    QCOMPARE(PaneText(*dialog, c.function), c.pane);
    QCOMPARE(ByteCountsShown(TextsOf(shown)), c.counts);
    QTRY_VERIFY(server->PeerClosed());
    QVERIFY(boxes.Texts().isEmpty());
    QVERIFY(!QueryOf(*dialog, c.function).Socket());
    if (tabChange)
        QCOMPARE(PaneText(*dialog, FunctionId::WhoIs), QString());
    // "Receiving data ..." is replaced by the byte count within the same event.
    if (!c.statuses.isEmpty())
        QCOMPARE(TextsOf(shown).join(QLatin1Char('|')), c.statuses.join(QLatin1Char('|')));
}

void TestQueryLab::failureEndsTheRun_data()
{
    QTest::addColumn<FailureCase>("c");
    const auto row = [](const char* tag, FunctionId function, const QueryInput& input, const QString& firewall,
                        const QList<IpAddress>& resolved, const QString& lookedUp, const QStringList& box,
                        const QString& entry, bool refused = false, bool stopped = false,
                        AddressPreference preference = AddressPreference::PreferIPv4) {
        QTest::newRow(tag) << FailureCase{function, input, firewall, resolved, lookedUp,
                                          box,      entry, refused,  stopped,  preference};
    };
    const auto finger = FunctionId::Finger;
    const auto whoIs = FunctionId::WhoIs;
    const QList<IpAddress> none;
    const QString nowhere = QStringLiteral("nowhere.lab");
    const QStringList unresolved{"Unable to resolve " + nowhere, "Resolving " + nowhere};
    // The system refuses a connect to broadcast at once (ENETUNREACH, 101), and one to an IPv6
    // link-local address without an interface (EINVAL, 22); a refused connect fails later.
    const QString destination = Destination();
    row("finger, no host", finger, {"", "ann"}, "", none, "", {"Please, enter a host name or address", "Ready"}, "");
    row("finger", finger, {nowhere, "ann"}, "", none, nowhere, unresolved, "ann@nowhere.lab");
    row("finger, no user", finger, {nowhere}, "", none, nowhere, unresolved, nowhere);
    row("finger firewall", finger, {nowhere, "ann"}, "gate.lab", none, "gate.lab",
        {"Unable to resolve gate.lab", "Resolving gate.lab"}, "ann@nowhere.lab");
    row("qod refused", FunctionId::QuoteOfDay, {nowhere}, "", none, nowhere,
        {"Unable to resolve hostname", "Resolving " + nowhere}, nowhere, true);
    row("name resolved to broadcast", finger, {"b.lab", "ann"}, "", {IpAddress::FromIPv4(INADDR_BROADCAST)}, "b.lab",
        {"Cannot connect to b.lab (101)", "Connecting to b.lab"}, "ann@b.lab");
    row("IPv6 literal", finger, {"[fe80::1]", "ann"}, "", none, "",
        {"Cannot connect to [fe80::1] (22)", "Connecting to [fe80::1]"}, "ann@[fe80::1]");
    row("IPv6 excluded", finger, {"v6.lab", "ann"}, "", {*ParseIpv6Literal("fe80::1")}, "v6.lab",
        {"Unable to resolve v6.lab", "Resolving v6.lab"}, "ann@v6.lab", false, false, AddressPreference::OnlyIPv4);
    row("refused by the firewall", whoIs, {"whois.example", "x"}, destination, none, "",
        {"Could not connect to " + destination, "Connecting to whois.example"}, "x@whois.example");
    const QString silent = LabText("NETSONDE_LAB_SILENT");
    row("stopped during the lookup", whoIs, {"whois.lab", "x"}, "", none, "whois.lab", {}, "x@whois.lab", false, true);
    row("stopped while connecting", whoIs, {silent, "x"}, "", none, "", {}, "x@" + silent, false, true);
}

// The box shows while the run still lasts with the socket already closed; the
// pane keeps its text, and without a host the output does not open. A lookup's
// completion that arrives after Stop changes nothing.
void TestQueryLab::failureEndsTheRun()
{
    QFETCH(FailureCase, c);
    auto [dialog, resolver] = OpenLookupWindow();
    const qsizetype descriptors = OpenDescriptorCount();
    QStringList shown;
    const auto& query = QueryOf(*dialog, c.function);
    const MessageBoxHandler previous = SetMessageBoxHandler([&](const QString& text, MessageIcon icon) {
        shown << text << dialog->StatusText();
        if (icon != MessageIcon::Exclamation || (query.Socket() && query.Socket()->IsOpen()))
            shown << "not an exclamation, or the socket still open";
    });
    dialog->SetFireWalls(c.firewall, c.firewall);
    dialog->TextPane(c.function)->SetText("kept");
    c.input.clearOutput = false;
    FillPage(*dialog, c.function, c.input);
    if (c.refused)
        resolver->RefuseNextRequest();
    RunInputs inputs = dialog->ReadInputs(c.function);
    inputs.preference = c.preference;
    c.preference == AddressPreference::PreferIPv4 ? dialog->OnGo() : dialog->Runs().Go(inputs);
    if (c.stopped) {
        QCOMPARE(query.Socket() != nullptr, c.lookedUp.isEmpty());
        dialog->SelectFunction(FunctionId::Ping);
        Control<QPushButton>(dialog.get(), kStopControl)->click();
        QVERIFY(!dialog->Runs().HasPendingRequests());
    }
    QCOMPARE(resolver->Requests().size(), int(!c.lookedUp.isEmpty() && !c.refused));
    for (const ScriptedRequest& request : resolver->Requests()) {
        QCOMPARE(request.name, c.lookedUp);
        QCOMPARE(resolver->IsPending(request.handle), !c.stopped);
        if (c.stopped)
            request.done(request.handle, LookupError{kLookupHostNotFound}); // late, after the cancel
        else
            resolver->Complete(request.handle, c.resolved.isEmpty() ? kLookupHostNotFound : kLookupSucceeded,
                               {c.lookedUp, {}, c.resolved});
    }
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
    SetMessageBoxHandler(previous);
    QCOMPARE(shown, c.box);
    QCOMPARE(PaneText(*dialog, c.function), QStringLiteral("kept"));
    QCOMPARE(dialog->OutputShown(), !c.input.host.isEmpty());
    QCOMPARE(Control<QPushButton>(dialog.get(), kGoControl)->isEnabled(), !c.input.host.isEmpty());
    QCOMPARE(dialog->Page(c.function)->RecentHosts().value(0), c.entry);
    QCOMPARE(dialog->Page(c.function)->HostCombo()->currentText(), c.input.host);
    QVERIFY(!query.Socket());
    QCOMPARE(OpenDescriptorCount(), descriptors);
}

void TestQueryLab::fireWallDialog_data()
{
    QTest::addColumn<QStringList>("before"); // Finger's and WhoIs's firewall
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<int>("button");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("box"); // the lookup started before the dialog follows the firewall read at Go
    QTest::newRow("ok") << QStringList{"old.finger", ""} << QStringList{" gate ", ""} << kFireWallOkControl
                        << QStringList{" gate ", ""} << QStringList{" gate ", ""} << "Unable to resolve old.finger";
    QTest::newRow("cancel") << QStringList{"", "whois.gate"} << QStringList{"edited", "edited"}
                            << kFireWallCancelControl << QStringList{"", "whois.gate"} << QStringList{"unset", "unset"}
                            << "Unable to resolve finger.lab";
}

// The dialog opened while a Finger lookup runs.
void TestQueryLab::fireWallDialog()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, typed);
    QFETCH(int, button);
    QFETCH(QString, box);
    MessageBoxRecorder boxes;
    auto [dialog, resolver] = OpenLookupWindow();
    dialog->SetFireWalls(before.at(0), before.at(1));
    FillPage(*dialog, FunctionId::Finger, {"finger.lab", "ann"});
    dialog->OnGo();
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto* firewalls = qobject_cast<FireWallDialog*>(QApplication::activeModalWidget());
        if (!firewalls)
            qFatal("the FireWall dialog is not open");
        auto* fingerEdit = Control<QLineEdit>(firewalls, kFireWallFingerControl);
        auto* whoIsEdit = Control<QLineEdit>(firewalls, kFireWallWhoIsControl);
        shown = {firewalls->windowTitle(), fingerEdit->text(), whoIsEdit->text()};
        fingerEdit->setText(typed.at(0));
        whoIsEdit->setText(typed.at(1));
        Control<QPushButton>(firewalls, button)->click();
    });
    dialog->Actions().fireWalls->trigger();
    QCOMPARE(shown, QStringList{"FireWall Configuration"} + before);
    QTEST((QStringList{dialog->CurrentOptions().fingerFireWall, dialog->CurrentOptions().whoIsFireWall}), "after");
    QTEST((QStringList{SettingsStore::ReadText("Finger", "FireWall", "unset"),
                       SettingsStore::ReadText("WhoIs", "FireWall", "unset")}),
          "stored");
    resolver->Complete(resolver->Requests().at(0).handle, kLookupHostNotFound);
    QTRY_COMPARE(boxes.Texts(), QStringList{box});
    QCOMPARE(resolver->Requests().size(), 1);
}

void TestQueryLab::automaticChain_data()
{
    QTest::addColumn<ChainCase>("c");
    const QString iana = "[whois.iana.org]";
    const QString arin = "[whois.arin.net, referred by whois.iana.org]";
    const QString a = "[whois.a.test, referred by whois.iana.org]";
    const auto refer = [](const char* server) { return QByteArray("refer:        ") + server + "\n"; };
    const auto referral = [](const char* url) { return QByteArray("ReferralServer: ") + url + "\n"; };
    const QByteArray thin = "   Domain Name: EXAMPLE.COM\n   Registrar WHOIS Server: whois.registrar.test\n";
    // RDAP first: the lab knows none of the registries' RDAP hosts, so every chain falls back to port 43.
    const auto viaRdap = [](const char* url, const QStringList& lines) {
        return QStringList{QStringLiteral("[https://%1]").arg(url),
                           "[RDAP could not answer; asking the port-43 servers]"}
               + lines;
    };
    const char* com = "rdap.verisign.com/com/v1/domain/example.com";
    const char* arinIp = "rdap.arin.net/registry/ip/192.0.2.1";
    // clang-format off
    QTest::newRow("thin registry") << ChainCase{"Example.COM",
        {{"whois.iana.org", refer("whois.verisign-grs.com")}, {"whois.verisign-grs.com", thin}, {"whois.registrar.test", "Registrant: x\n"}},
        {"whois.iana.org example.com\r\n", "whois.verisign-grs.com domain example.com\r\n", "whois.registrar.test example.com\r\n"},
        viaRdap(com, {iana, "[whois.verisign-grs.com, referred by whois.iana.org]", "[whois.registrar.test, referred by whois.verisign-grs.com]"}),
        {"example.com"}, true};
    QTest::newRow("ARIN referral with port") << ChainCase{"192.0.2.1",
        {{"whois.iana.org", refer("whois.arin.net")}, {"whois.arin.net", referral("whois://whois.customer.test:4343")}, {"whois.customer.test:4343", "x\n"}},
        {"whois.iana.org 192.0.2.1\r\n", "whois.arin.net n + 192.0.2.1\r\n", "whois.customer.test:4343 192.0.2.1\r\n"},
        viaRdap(arinIp, {iana, arin, "[whois.customer.test:4343, referred by whois.arin.net]"}), {"-I", "192.0.2.1"}};
    QTest::newRow("transferred block") << ChainCase{"192.0.2.1",
        {{"whois.iana.org", refer("whois.lacnic.net")}, {"whois.lacnic.net", "% referto: whois -h whois.arin.net -p 43 192.0.2.1\n"}, {"whois.arin.net", "x\n"}},
        {"whois.iana.org 192.0.2.1\r\n", "whois.lacnic.net 192.0.2.1\r\n", "whois.arin.net n + 192.0.2.1\r\n"},
        viaRdap(arinIp, {iana, "[whois.lacnic.net, referred by whois.iana.org]", "[whois.arin.net, referred by whois.lacnic.net]"}), {"-I", "192.0.2.1"}};
    QTest::newRow("loop") << ChainCase{"AS64500",
        {{"whois.iana.org", refer("whois.a.test")}, {"whois.a.test", referral("whois://whois.b.test")}, {"whois.b.test", referral("whois://whois.a.test")}},
        {"whois.iana.org as64500\r\n", "whois.a.test as64500\r\n", "whois.b.test as64500\r\n"},
        {iana, a, "[whois.b.test, referred by whois.a.test]", "[referral to whois://whois.a.test not followed: asked already]"}};
    QTest::newRow("self-referral") << ChainCase{"2001:db8::/32",
        {{"whois.iana.org", refer("whois.a.test")}, {"whois.a.test", referral("whois://WHOIS.A.TEST:43/")}},
        {"whois.iana.org 2001:db8::/32\r\n", "whois.a.test 2001:db8::/32\r\n"}, viaRdap("rdap.apnic.net/ip/2001:db8::/32", {iana, a})};
    QTest::newRow("six servers") << ChainCase{"example.com",
        {{"whois.iana.org", refer("whois.verisign-grs.com")}, {"whois.verisign-grs.com", thin},
         {"whois.registrar.test", referral("whois://whois.a.test")}, {"whois.a.test", referral("whois://whois.b.test")},
         {"whois.b.test", referral("whois://whois.customer.test:4343")}, {"whois.customer.test:4343", "x\n"}},
        {"whois.iana.org example.com\r\n", "whois.verisign-grs.com domain example.com\r\n", "whois.registrar.test example.com\r\n",
         "whois.a.test example.com\r\n", "whois.b.test example.com\r\n"},
        viaRdap(com, {iana, "[whois.verisign-grs.com, referred by whois.iana.org]", "[whois.registrar.test, referred by whois.verisign-grs.com]",
         "[whois.a.test, referred by whois.registrar.test]", "[whois.b.test, referred by whois.a.test]",
         "[referral to whois://whois.customer.test:4343 not followed: 5 servers asked already]"})};
    QTest::newRow("loopback address") << ChainCase{"example.com", {{"whois.iana.org", refer("127.0.0.1")}},
        {"whois.iana.org example.com\r\n"}, viaRdap(com, {iana, "[referral to 127.0.0.1 not followed: a loopback address]"})};
    QTest::newRow("name of a loopback address") << ChainCase{"example.com", {{"whois.iana.org", refer("whois.loopback.test")}},
        {"whois.iana.org example.com\r\n"}, viaRdap(com, {iana, "[whois.loopback.test, referred by whois.iana.org]",
         "Not connecting to whois.loopback.test (127.0.0.1): a loopback address"})};
    QTest::newRow("not a host name") << ChainCase{"example.com", {{"whois.iana.org", refer("http://www.example.com/whois")}},
        {"whois.iana.org example.com\r\n"}, viaRdap(com, {iana, "[referral to http://www.example.com/whois not followed: not a host name]"})};
    QTest::newRow("refused mid-chain") << ChainCase{"192.0.2.1", {{"whois.iana.org", refer("whois.arin.net")}},
        {"whois.iana.org 192.0.2.1\r\n"}, viaRdap(arinIp, {iana, arin, "Could not connect to whois.arin.net: Connection refused"}), {"-I", "192.0.2.1"}};
    // clang-format on
}

// Then the whois client against the same servers, where its choices are ours.
void TestQueryLab::automaticChain()
{
    QFETCH(ChainCase, c);
    QCOMPARE(ScriptedWhoIsServers::InstallHosts(), QString());
    MessageBoxRecorder boxes;
    ScriptedWhoIsServers servers(c.script);
    auto dialog = OpenMainDialog();
    FillPage(*dialog, FunctionId::WhoIs, {"", c.query});
    dialog->OnGo();
    QTRY_COMPARE_WITH_TIMEOUT(dialog->StatusText(), QStringLiteral("Ready"), 20000);
    QCOMPARE(servers.asked, c.asked);
    static const QRegularExpression noted(QStringLiteral("^(\\[|Could not|Not connecting)"));
    QCOMPARE(PaneText(*dialog, FunctionId::WhoIs).split(QStringLiteral("\r\n")).filter(noted), c.lines);
    QVERIFY(boxes.Texts().isEmpty());
    if (c.client.isEmpty())
        return;
    servers.asked.clear();
    QProcess client;
    client.start(QStringLiteral("whois"), c.client);
    QTRY_VERIFY_WITH_TIMEOUT(client.state() == QProcess::NotRunning, 20000);
    QCOMPARE(servers.asked, c.clientSkipsIana ? c.asked.mid(1) : c.asked);
}

int main(int argc, char** argv)
{
    netsonde::test::RunInsideLab(argc, argv);
    QApplication application(argc, argv);
    TestQueryLab test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_querylab.moc"
