// SPDX-License-Identifier: GPL-3.0-or-later
// Finger, WhoIs and Quote Of The Day against real TCP servers on the fixed
// ports of the namespace lab's destination: requests, firewall routing,
// chunked answers, the pane limits, the drain at close, failures, Stop and
// a tab change during a query, and a real finger daemon.

#include "QueryTestSupport.h"
#include "support/LabServer.h"
#include "netns/LabEnvironment.h"
#include "resolver/ScriptedResolver.h"

#include "platform/MessageBox.h"
#include "query/TextQueryFunction.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <arpa/inet.h>
#include <sys/ioctl.h>

using namespace netsonde;
using namespace netsonde::test;

namespace {

constexpr std::uint16_t kFingerPort = 79;
constexpr std::uint16_t kWhoIsPort = 43;
constexpr std::uint16_t kQuotePort = 17;

QString LabText(const char* variable) { return QString::fromLocal8Bit(qgetenv(variable)); }
QString Destination() { return LabText("NETSONDE_LAB_DESTINATION"); }

std::uint16_t PortOf(FunctionId id)
{
    return id == FunctionId::Finger ? kFingerPort : id == FunctionId::WhoIs ? kWhoIsPort : kQuotePort;
}

QString Destination6() { return LabText("NETSONDE_LAB_DESTINATION6"); }

// The server takes connections to the destination's IPv4 address and to each of its IPv6 addresses.
std::unique_ptr<CLabServer> ServeAtDestination(std::uint16_t port)
{
    auto server = std::make_unique<CLabServer>(LabText("NETSONDE_LAB_NS_DESTINATION"),
                                               LabAddress("NETSONDE_LAB_DESTINATION"), port);
    if (!server->IsListening())
        qWarning("cannot listen on port %d of the lab's destination", port);
    return server;
}

const CTextQueryFunction& QueryOf(const CMainDialog& dialog, FunctionId id)
{
    return dynamic_cast<const CTextQueryFunction&>(*dialog.Function(id));
}

CScriptedResolver& UseScriptedResolver(CMainDialog& dialog)
{
    auto resolver = std::make_unique<CScriptedResolver>();
    CScriptedResolver& scripted = *resolver;
    dialog.SetResolver(std::move(resolver));
    return scripted;
}

CHostEntry DestinationEntry()
{
    CHostEntry entry;
    entry.strOfficialName = QStringLiteral("destination.lab");
    entry.addresses = {CIpAddress::FromIPv4(LabAddress("NETSONDE_LAB_DESTINATION")),
                       CIpAddress::FromIPv4(LabAddress("NETSONDE_LAB_SILENT"))};
    return entry;
}

void ClickStop(CMainDialog& dialog) { Control<QPushButton>(&dialog, IDC_STOP)->click(); }

// The byte counts among the status texts a spy on the run layer saw.
QStringList ByteCountsShown(const QSignalSpy& statuses)
{
    QStringList counts;
    for (const QList<QVariant>& status : statuses)
        counts << status.at(0).toString();
    return counts.filter(QStringLiteral(" bytes"));
}

} // namespace

// Runs a query up to the point where the server has read the whole request.
#define START_QUERY(dialog, server, id, input, request)                                                \
    FillPage(*dialog, id, input);                                                                      \
    dialog->OnGo();                                                                                    \
    QTRY_VERIFY(server->Accept());                                                                     \
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Waiting for response"));                        \
    QTRY_COMPARE(server->Received(), QByteArray(request))

class TestQueryLab : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    void answerReachesThePane_data();
    void answerReachesThePane();
    void chunksReachThePane_data();
    void chunksReachThePane();
    void paneLimitBoundary_data();
    void paneLimitBoundary();
    void serverThatNeverCloses_data();
    void serverThatNeverCloses();
    void drainAtClose_data();
    void drainAtClose();
    void refusedConnection();
    void stopWhileConnecting();
    void tabChangeDuringQuery_data();
    void tabChangeDuringQuery();
    void realFingerDaemon();
};

void TestQueryLab::answerReachesThePane_data()
{
    QTest::addColumn<FunctionId>("function");
    QTest::addColumn<QueryInput>("input");
    QTest::addColumn<QString>("firewall");
    QTest::addColumn<QString>("server"); // the address the lab's server listens on
    QTest::addColumn<bool>("scripted"); // the host looked up by a scripted resolver
    QTest::addColumn<QByteArray>("request");
    const auto finger = FunctionId::Finger;
    const auto whoIs = FunctionId::WhoIs;
    const auto quote = FunctionId::QuoteOfDay;
    const QString v4 = Destination();
    const QString v6 = Destination6();
    const QString v6only = QStringLiteral("v6only.lab.test");
    QTest::newRow("finger") << finger << QueryInput{"finger.lab", "ann"} << "" << v4 << true << QByteArray("ann\r\n");
    QTest::newRow("finger verbose") << finger << QueryInput{"finger.lab", "ann", true} << "" << v4 << true
                                    << QByteArray("/W ann\r\n");
    QTest::newRow("finger through firewall") << finger << QueryInput{"inner.example", "ann", true} << v4 << v4 << false
                                             << QByteArray("/W ann@inner.example\r\n");
    QTest::newRow("whois through lookup") << whoIs << QueryInput{"whois.lab", "ann"} << "" << v4 << true
                                          << QByteArray("ann\r\n");
    QTest::newRow("finger, IPv6 in brackets") << finger << QueryInput{"[" + v6 + "]", "ann"} << "" << v6 << false
                                              << QByteArray("ann\r\n");
    QTest::newRow("finger, IPv6-only name") << finger << QueryInput{v6only, "ann"} << "" << v6 << false
                                            << QByteArray("ann\r\n");
    QTest::newRow("whois, IPv6") << whoIs << QueryInput{v6, "ann"} << "" << v6 << false << QByteArray("ann\r\n");
    QTest::newRow("whois, IPv6-only name") << whoIs << QueryInput{v6only, "ann"} << "" << v6 << false
                                           << QByteArray("ann\r\n");
    QTest::newRow("qod, IPv6") << quote << QueryInput{v6} << "" << v6 << false << QByteArray();
    QTest::newRow("qod, IPv6-only name") << quote << QueryInput{v6only} << "" << v6 << false << QByteArray();
}

// The status line at every step; with a firewall, "Connecting to" names the
// page's host while the connection goes to the firewall.
void TestQueryLab::answerReachesThePane()
{
    QFETCH(FunctionId, function);
    QFETCH(QueryInput, input);
    QFETCH(QString, firewall);
    QFETCH(QString, server);
    QFETCH(bool, scripted);
    QFETCH(QByteArray, request);
    CMessageBoxRecorder boxes;
    auto listener = ServeAtDestination(PortOf(function));
    auto dialog = OpenMainDialog();
    CScriptedResolver* resolver = scripted ? &UseScriptedResolver(*dialog) : nullptr;
    dialog->SetFireWalls(firewall, firewall);
    QStringList shown;
    QObject::connect(dialog.get(), &CMainDialog::StatusTextShown, dialog.get(),
                     [&shown](const QString& text) { shown << text; });

    FillPage(*dialog, function, input);
    dialog->OnGo();
    if (resolver) {
        QCOMPARE(resolver->Requests().at(0).strName, input.host);
        resolver->Complete(resolver->Requests().at(0).handle, kLookupSucceeded, DestinationEntry());
    }
    QTRY_VERIFY(listener->Accept());
    QTRY_COMPARE(listener->Received(), request);
    QVERIFY(listener->Deliver("answer\n"));
    QTRY_COMPARE(PaneText(*dialog, function), QStringLiteral("answer\r\n"));
    QVERIFY(listener->Finish());
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
    QVERIFY(boxes.Texts().isEmpty());
    QVERIFY(!QueryOf(*dialog, function).QuerySocket());
    // "Receiving data ..." is replaced by the byte count within the same event.
    shown.removeDuplicates();
    const QString target = firewall.isEmpty() ? input.host : firewall;
    const QString creating = function == FunctionId::Finger ? "Finger" : function == FunctionId::WhoIs ? "WhoIs"
                                                                                                       : "Quote Of Day";
    const QStringList expected{"Resolving " + target, "Creating " + creating + " Socket", "Connecting to " + input.host,
                               "Connected to " + target, "Requesting information from server", "Waiting for response",
                               "Receiving data ...", "Receiving data ... 8 bytes", "Ready"};
    QCOMPARE(shown.join(QLatin1Char('|')), expected.join(QLatin1Char('|')));
}

void TestQueryLab::chunksReachThePane_data()
{
    QTest::addColumn<FunctionId>("function");
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QString>("pane");
    QTest::addColumn<QStringList>("counts"); // the pane's length after each read
    // Line ends across chunks; a NUL ends what a chunk shows.
    QTest::newRow("line ends") << FunctionId::Finger
                               << QList<QByteArray>{"x\ny\r\nz", "a\r", "\nb", QByteArray("c\0lost", 6), "d\n"}
                               << "x\r\ny\r\nza\r\nbcd\r\n" << QStringList{"7", "9", "11", "12", "15"};
    // Every read shows the pane's length, also one whose chunk shows nothing
    // yet: a chunk that opens with NUL, a chunk with part of a character.
    const QList<QByteArray> nulAndParts{QByteArray("\0lost", 5), "ab\xc3", "\xa9", "\xe2\x82", "\xac"};
    QTest::newRow("nothing shown yet") << FunctionId::Finger << nulAndParts << "ab\u00e9\u20ac"
                                       << QStringList{"0", "2", "3", "3", "4"};
    // The lone CR's read shows no count.
    QTest::newRow("quote drops a lone CR") << FunctionId::QuoteOfDay
                                           << QList<QByteArray>{"Quote one", "\r", "\r\n", "two\n"}
                                           << "Quote one\r\ntwo\r\n" << QStringList{"9", "11", "16"};
}

void TestQueryLab::chunksReachThePane()
{
    QFETCH(FunctionId, function);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QString, pane);
    QFETCH(QStringList, counts);
    CMessageBoxRecorder boxes;
    auto server = ServeAtDestination(PortOf(function));
    auto dialog = OpenMainDialog();

    const QByteArray request = function == FunctionId::QuoteOfDay ? "" : "ann\r\n";
    START_QUERY(dialog, server, function, (QueryInput{Destination(), "ann"}), request);
    QSignalSpy statuses(&dialog->Runs(), &CRunController::statusTextChanged);
    for (const QByteArray& chunk : chunks) {
        QVERIFY(server->Deliver(chunk));
        QTRY_COMPARE(UnreadBytesFrom(PortOf(function)), 0);
    }
    QCOMPARE(PaneText(*dialog, function), pane);
    QStringList shown;
    for (const QString& count : counts)
        shown << "Receiving data ... " + count + " bytes";
    QCOMPARE(ByteCountsShown(statuses), shown);
    QVERIFY(server->Finish());
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
    QVERIFY(boxes.Texts().isEmpty());
}

void TestQueryLab::paneLimitBoundary_data()
{
    QTest::addColumn<FunctionId>("function");
    QTest::addColumn<bool>("appended");
    QTest::newRow("finger") << FunctionId::Finger << true;
    QTest::newRow("whois") << FunctionId::WhoIs << false;
    QTest::newRow("qod") << FunctionId::QuoteOfDay << false;
}

// A pane of 28000 characters and a chunk of 1999 bytes: 28000 + 1999 + 1
// is exactly 30000.
void TestQueryLab::paneLimitBoundary()
{
    QFETCH(FunctionId, function);
    QFETCH(bool, appended);
    CMessageBoxRecorder boxes;
    auto server = ServeAtDestination(PortOf(function));
    auto dialog = OpenMainDialog();
    const QString earlier(28000, QLatin1Char('e'));
    dialog->TextPane(function)->SetText(earlier);

    const QByteArray request = function == FunctionId::QuoteOfDay ? "" : "u\r\n";
    START_QUERY(dialog, server, function, (QueryInput{Destination(), "u", false, false}), request);
    const QByteArray chunk(1999, 'c');
    QVERIFY(server->Deliver(chunk));
    if (appended) {
        QTRY_COMPARE(dialog->TextPane(function)->Length(), 29999);
        QCOMPARE(dialog->StatusText(), QStringLiteral("Receiving data ... 29999 bytes"));
        QVERIFY(server->Finish());
    }
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
    QCOMPARE(PaneText(*dialog, function), appended ? earlier + QString::fromLatin1(chunk) : earlier);
    QTRY_VERIFY(server->PeerClosed());
    QVERIFY(boxes.Texts().isEmpty());
}

void TestQueryLab::serverThatNeverCloses_data() { paneLimitBoundary_data(); }

// A server that keeps sending ends the query below the limit, with no box.
void TestQueryLab::serverThatNeverCloses()
{
    QFETCH(FunctionId, function);
    CMessageBoxRecorder boxes;
    auto server = ServeAtDestination(PortOf(function));
    auto dialog = OpenMainDialog();

    const QByteArray request = function == FunctionId::QuoteOfDay ? "" : "u\r\n";
    START_QUERY(dialog, server, function, (QueryInput{Destination(), "u"}), request);
    const QByteArray chunk(2000, 'w');
    int sent = 0;
    while (dialog->StatusText() != QStringLiteral("Ready") && sent < 20) {
        QVERIFY(server->Deliver(chunk));
        ++sent;
        const qsizetype expected = qsizetype(sent) * chunk.size();
        QTRY_VERIFY(dialog->TextPane(function)->Length() == expected || dialog->StatusText() == "Ready");
    }
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
    QCOMPARE(sent, 15);
    QCOMPARE(dialog->TextPane(function)->Length(), 28000);
    QTRY_VERIFY(server->PeerClosed());
    QVERIFY(boxes.Texts().isEmpty());
}

void TestQueryLab::drainAtClose_data()
{
    QTest::addColumn<FunctionId>("function");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("beyond the limit") << FunctionId::WhoIs << QByteArray(40000, 'd');
    QTest::newRow("nothing sent") << FunctionId::QuoteOfDay << QByteArray();
}

// The whole answer and the close are waiting before the client reads: all
// of it is appended, even beyond the pane limit.
void TestQueryLab::drainAtClose()
{
    QFETCH(FunctionId, function);
    QFETCH(QByteArray, answer);
    CMessageBoxRecorder boxes;
    auto server = ServeAtDestination(PortOf(function));
    auto dialog = OpenMainDialog();
    dialog->TextPane(function)->SetText("old");

    const QByteArray request = function == FunctionId::QuoteOfDay ? "" : "ann\r\n";
    START_QUERY(dialog, server, function, (QueryInput{Destination(), "ann"}), request);
    QVERIFY(server->Deliver(answer));
    QVERIFY(server->Finish());
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
    QCOMPARE(PaneText(*dialog, function), QString::fromLatin1(answer));
    QVERIFY(boxes.Texts().isEmpty());
    QVERIFY(!QueryOf(*dialog, function).QuerySocket());
}

void TestQueryLab::refusedConnection()
{
    CMessageBoxRecorder boxes;
    auto dialog = OpenMainDialog();
    dialog->SetFireWalls(dialog->Options().strFingerFireWall, Destination());
    FillPage(*dialog, FunctionId::WhoIs, {"whois.example", "x"});
    dialog->OnGo();
    QTRY_COMPARE(boxes.Texts(), QStringList{"Could not connect to " + Destination()});
    QCOMPARE(boxes.Entries().front().icon, MessageIcon::Exclamation);
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
    QVERIFY(!QueryOf(*dialog, FunctionId::WhoIs).QuerySocket());
    QVERIFY(Control<QPushButton>(dialog.get(), IDC_GO)->isEnabled());
}

void TestQueryLab::stopWhileConnecting()
{
    CMessageBoxRecorder boxes;
    auto dialog = OpenMainDialog();
    const QString silent = LabText("NETSONDE_LAB_SILENT");
    FillPage(*dialog, FunctionId::Finger, {silent, "ann"});
    dialog->OnGo();
    QCOMPARE(dialog->StatusText(), "Connecting to " + silent);
    QVERIFY(QueryOf(*dialog, FunctionId::Finger).QuerySocket());
    ClickStop(*dialog);
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
    QVERIFY(!QueryOf(*dialog, FunctionId::Finger).QuerySocket());
    QTest::qWait(50);
    QVERIFY(boxes.Texts().isEmpty());
}

enum class QueryEnd { Escape, Stop, ServerCloses };

void TestQueryLab::tabChangeDuringQuery_data()
{
    QTest::addColumn<bool>("tabChange");
    QTest::addColumn<QueryEnd>("end");
    QTest::newRow("escape") << false << QueryEnd::Escape;
    QTest::newRow("stopped") << true << QueryEnd::Stop;
    QTest::newRow("server closes") << true << QueryEnd::ServerCloses;
}

// A query stopped while receiving keeps what it received. The query keeps
// its function: its text goes to its own pane, and its end releases its
// socket whichever tab is selected.
void TestQueryLab::tabChangeDuringQuery()
{
    QFETCH(bool, tabChange);
    QFETCH(QueryEnd, end);
    CMessageBoxRecorder boxes;
    auto server = ServeAtDestination(kFingerPort);
    auto dialog = OpenMainDialog();

    START_QUERY(dialog, server, FunctionId::Finger, (QueryInput{Destination(), "ann"}), "ann\r\n");
    QVERIFY(server->Deliver("one\n"));
    QTRY_COMPARE(PaneText(*dialog, FunctionId::Finger), QStringLiteral("one\r\n"));
    QCOMPARE(dialog->StatusText(), QStringLiteral("Receiving data ... 5 bytes"));
    if (tabChange)
        dialog->SelectFunction(FunctionId::WhoIs);
    QVERIFY(server->Deliver("two\n"));
    QTRY_COMPARE(PaneText(*dialog, FunctionId::Finger), QStringLiteral("one\r\ntwo\r\n"));
    if (end == QueryEnd::ServerCloses)
        QVERIFY(server->Finish());
    else if (end == QueryEnd::Stop)
        ClickStop(*dialog);
    else
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
    QVERIFY(!QueryOf(*dialog, FunctionId::Finger).QuerySocket());
    QTRY_VERIFY(server->PeerClosed());
    QCOMPARE(PaneText(*dialog, FunctionId::WhoIs), QString());
    QCOMPARE(PaneText(*dialog, FunctionId::Finger), QStringLiteral("one\r\ntwo\r\n"));
    QVERIFY(dialog->Pane(FunctionId::Finger)->isVisible());
    QVERIFY(dialog->isVisible());
    QVERIFY(boxes.Texts().isEmpty());
}

// Debian's finger daemon, started for each connection by socat inside the
// destination, answers about a user of this system.
void TestQueryLab::realFingerDaemon()
{
    const QString socat = QStandardPaths::findExecutable("socat");
    const QString fingerd = QStandardPaths::findExecutable("in.fingerd", {"/usr/sbin"});
    if (socat.isEmpty() || fingerd.isEmpty() || QStandardPaths::findExecutable("finger").isEmpty())
        QSKIP("needs socat, fingerd and finger");
    if (IsInsideUserNamespace())
        QSKIP("fingerd cannot give up root for nobody in the lab's user namespace");
    QProcess daemon;
    daemon.start("ip", {"netns", "exec", LabText("NETSONDE_LAB_NS_DESTINATION"), socat,
                        "TCP-LISTEN:79,bind=" + Destination() + ",reuseaddr,fork", "EXEC:" + fingerd});
    QVERIFY(daemon.waitForStarted());
    CMessageBoxRecorder boxes;
    auto dialog = OpenMainDialog();

    // socat may still be starting: a refused attempt is tried again.
    for (int attempt = 0; attempt < 50; ++attempt) {
        boxes.Clear();
        FillPage(*dialog, FunctionId::Finger, {Destination(), "root"});
        dialog->OnGo();
        QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
        if (boxes.Texts().isEmpty())
            break;
        QTest::qWait(100);
    }
    daemon.terminate();
    daemon.waitForFinished();
    QVERIFY(boxes.Texts().isEmpty());
    const QString answer = PaneText(*dialog, FunctionId::Finger);
    QVERIFY2(answer.contains("Login: root"), qPrintable(answer));
    QVERIFY2(answer.contains("Directory: /root"), qPrintable(answer));
}

int main(int argc, char** argv)
{
    netsonde::test::RunInsideLab(argc, argv);
    QApplication application(argc, argv);
    TestQueryLab test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_querylab.moc"
