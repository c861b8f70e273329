// SPDX-License-Identifier: GPL-3.0-or-later
// Ping and TraceRoute in the main window over a scripted echo service: the
// status line of whole runs, the rows, the probes' sizes and time-outs, Stop
// while a worker waits, the failure reports and their order against the end of
// the run, the double-click lookup and closing the window under a waiting worker.

#include "icmp/IcmpWindowFixture.h"
#include "icmp/ScriptedEchoService.h"

#include "icmp/IcmpRun.h"

#include "export/ResultColumns.h"
#include "mainwindow/ResponseTimeDelegate.h"

#include "platform/AppMessages.h"
#include "platform/MessageBox.h"
#include "resources/ResourceIds.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QtTest>

#include <arpa/inet.h>


using namespace netsonde;
using namespace netsonde::test;
using echo::EchoReply;
using State = CScriptedEchoService::State;

Q_DECLARE_METATYPE(AddressPreference)
Q_DECLARE_METATYPE(State)

namespace {

using Service = std::shared_ptr<CScriptedEchoService>;

Service AnsweringService(CScriptedEchoService::Responder responder, State state = State::Loaded)
{
    return std::make_shared<CScriptedEchoService>(std::move(responder), state);
}

EchoReply NoReply(const CEchoRequest&) { return {}; }

CScriptedEchoService::Responder ReplyingFrom(const char* dotted, std::uint32_t ms = 1)
{
    return [dotted, ms](const CEchoRequest&) { return ReplyFrom(dotted, ms); };
}

CIpAddress Address(const char* dotted) { return CIpAddress::FromIPv4(::inet_addr(dotted)); }

// Answers the n-th request from its destination after times[n] ms; -1 for no reply.
CScriptedEchoService::Responder TimedReplies(const QList<int>& times)
{
    auto next = std::make_shared<std::atomic<int>>(0);
    return [times, next](const CEchoRequest& sent) {
        const int ms = times.value((*next)++, -1);
        return ms < 0 ? EchoReply{} : EchoReply{1, sent.destination, std::uint32_t(ms)};
    };
}

// Hop n answers from 10.8.0.n after times[n - 1] ms (-1 for no reply); the
// probe without a Ttl is not answered.
CScriptedEchoService::Responder TimedHops(const QList<int>& times)
{
    return [times](const CEchoRequest& request) {
        const int ms = request.ttl ? times.value(*request.ttl - 1, -1) : -1;
        const QByteArray router = QStringLiteral("10.8.0.%1").arg(request.ttl.value_or(0)).toLatin1();
        return ms < 0 ? EchoReply{} : ReplyFrom(router.constData(), static_cast<std::uint32_t>(ms));
    };
}

// The worker has let go of the service: the test, the window and its Ping
// and TraceRoute hold it still.
constexpr long kHoldersWithoutWorker = 4;

// Go, then wait until the worker has let go. Its effects were posted before
// it let go; the end of the run they ask for follows them.
bool RunToEnd(CMainDialog& dialog, const Service& service)
{
    dialog.OnGo();
    const bool ended = QTest::qWaitFor([&] { return service.use_count() == kHoldersWithoutWorker; }, 10000);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return ended;
}

// The worker needs the event loop for its effects: wait with events running.
bool WaitForRequests(const Service& service, std::size_t count)
{
    return QTest::qWaitFor([&] { return service->Requests().size() >= count; }, 10000);
}

// A message box noted with what the window showed at that moment.
struct CBoxSeen {
    QString text;
    bool busy = false;
    QString status;
};

class CBoxWitness {
public:
    explicit CBoxWitness(const CMainDialog& dialog)
        : m_previous(SetMessageBoxHandler([this, &dialog](const QString& text, MessageIcon icon) {
              QCOMPARE(icon, MessageIcon::Exclamation);
              seen.push_back({text, dialog.Runs().IsBusy(), dialog.StatusText()});
          }))
    {
    }
    ~CBoxWitness() { SetMessageBoxHandler(m_previous); }
    QStringList Texts() const
    {
        QStringList texts;
        std::ranges::transform(seen, std::back_inserter(texts), &CBoxSeen::text);
        return texts;
    }
    std::vector<CBoxSeen> seen;

private:
    MessageBoxHandler m_previous;
};

} // namespace

class TestPingTrace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }
    void cleanup() { CMainDialog::SetEchoServiceLoader({}); }

    // Every number of the probes a run sends with the pages as they start out
    // (a pause: at least that long).
    void probesOfTheDefaultRuns()
    {
        for (const FunctionId id : {FunctionId::Ping, FunctionId::TraceRoute}) {
            const bool ping = id == FunctionId::Ping;
            auto service = AnsweringService(ping ? ReplyingFrom("10.9.0.9") : NoReply);
            auto window = OpenIcmpWindow(service);
            window.dialog->Page(id)->HostCombo()->setCurrentText("10.9.0.9");
            window.dialog->SelectFunction(id);
            QVERIFY(RunToEnd(*window.dialog, service));
            const std::vector<CEchoRequest> sent = service->Requests();
            QCOMPARE(sent.size(), std::size_t(ping ? 3 : 16));
            for (std::size_t probe = 0; probe < sent.size(); ++probe) {
                const bool hop = !ping && probe > 0; // TraceRoute's first probe looks for a second address
                QCOMPARE(sent[probe].destination, Address("10.9.0.9"));
                QCOMPARE(sent[probe].dataSize, std::size_t(hop ? 48 : 64));
                QCOMPARE(sent[probe].timeoutMs, ping ? 15000u : hop ? 5000u : 10000u);
                QCOMPARE(sent[probe].ttl, hop ? std::optional(std::uint8_t(probe)) : std::nullopt);
                QVERIFY(sent[probe].allBytesAA || !(ping || hop));
            }
            QVERIFY(!ping || sent[1].sentAt - sent[0].sentAt >= std::chrono::milliseconds(1000));
        }
    }

    void pingRunShowsEveryStatusAndRow()
    {
        CMessageBoxRecorder boxes;
        auto service = AnsweringService(ReplyingFrom("10.9.8.7", 7));
        CScriptedLookups lookups;
        lookups.names.insert("far.example", {Address("10.9.8.7")});
        lookups.addresses.insert(QStringLiteral("10.9.8.7"), QStringLiteral("far.example.net"));
        auto window = OpenIcmpWindow(service, lookups);
        SetPing(*window.dialog, QStringLiteral("far.example"), 2, 1000, true);
        const CStatusWatch status(*window.dialog);
        QVERIFY(RunToEnd(*window.dialog, service));

        const QStringList request{"Waiting for response ...", "Waiting for response ... Resolving IP Address ...",
                                  "Waiting for response ... Resolving IP Address ... Done!"};
        QCOMPARE(status.Texts(), QStringList({"Trying to locating API functions", "Resolving far.example",
                                              "Reserving memory for reply buffer", "Opening Ping service"})
                     + request + QStringList{"Waiting for 1000 ms"} + request + QStringList{"Ready"});
        const QTreeWidget* list = window.dialog->ResultList(FunctionId::Ping);
        QCOMPARE(list->topLevelItemCount(), 2);
        for (int row : {0, 1})
            QCOMPARE(RowTexts(list, row).mid(1), QStringList({"10.9.8.7", "far.example.net", "7 ms"}));
        QTRY_COMPARE(window.dialog->RunSummaryText(),
                     QStringLiteral("2 sent, 2 received, 0% loss, min/avg/max 7.0/7.0/7.0 ms"));
        QCOMPARE(service->Requests().at(1).destination, Address("10.9.8.7"));
        QVERIFY(boxes.Texts().isEmpty());
        QTRY_VERIFY(!window.dialog->Runs().IsBusy());
        QVERIFY(window.dialog->PingPage()->HostCombo()->isEnabled());
        QCOMPARE(window.dialog->PingPage()->toolTip(),
                 QStringLiteral("Ping and TraceRoute send their requests through:\n"
                                "IPv4: scripted echo service\nIPv6: scripted echo service"));
    }

    // Each request's row by its reply time (-1: none) and the run's summary;
    // an address is looked up only when Resolve is on, and unknown there. "me"
    // and "myself" are the local host; a pause comes between two requests.
    void pingRowsAndSummary_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<unsigned>("delay");
        QTest::addColumn<QList<int>>("times");
        QTest::addColumn<bool>("resolve");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QString>("summary");
        using Rows = QList<QStringList>;
        using Times = QList<int>;
        const QStringList none{"", "No response", ""}, local{"127.0.0.1", "", "0 ms"};
        const QString host = "10.0.1.1", zeros = "3 sent, 3 received, 0% loss, min/avg/max 0.0/0.0/0.0 ms";
        const QStringList three{host, "", "3 ms"};
        QTest::newRow("resolve off") << host << 0u << Times{3, 3} << false << Rows{three, three}
                                     << "2 sent, 2 received, 0% loss, min/avg/max 3.0/3.0/3.0 ms";
        QTest::newRow("no reply, unknown name") << host << 0u << Times{-1, 4, -1} << true
                                                << Rows{none, {host, "Unavailable", "4 ms"}, none}
                                                << "3 sent, 1 received, 67% loss, min/avg/max 4.0/4.0/4.0 ms";
        QTest::newRow("nothing received") << host << 0u << Times{-1, -1, -1} << false << Rows{none, none, none}
                                          << "3 sent, 0 received, 100% loss";
        QTest::newRow("0 ms among others") << host << 0u << Times{0, 1, -1, 2} << false << Rows{}
                                           << "4 sent, 3 received, 25% loss, min/avg/max 0.0/1.0/2.0 ms";
        QTest::newRow("an average between whole ms") << host << 0u << Times{1, 2} << false << Rows{}
                                                     << "2 sent, 2 received, 0% loss, min/avg/max 1.0/1.5/2.0 ms";
        QTest::newRow("me, one request") << "me" << 1000u << Times{0} << false << Rows{local}
                                         << "1 sent, 1 received, 0% loss, min/avg/max 0.0/0.0/0.0 ms";
        QTest::newRow("Myself, delay 0") << "Myself" << 0u << Times{0, 0, 0} << false << Rows{local, local, local}
                                         << zeros;
        QTest::newRow("MYSELF, short pauses") << "MYSELF" << 1u << Times{0, 0, 0} << false << Rows{local, local, local}
                                              << zeros;
    }

    void pingRowsAndSummary()
    {
        QFETCH(QString, host);
        QFETCH(unsigned, delay);
        QFETCH(QList<int>, times);
        QFETCH(bool, resolve);
        QFETCH(QList<QStringList>, rows);
        QFETCH(QString, summary);
        auto service = AnsweringService(TimedReplies(times));
        CScriptedLookups lookups;
        auto window = OpenIcmpWindow(service, lookups);
        SetPing(*window.dialog, host, unsigned(times.size()), delay, resolve);
        const CStatusWatch status(*window.dialog);
        QVERIFY(RunToEnd(*window.dialog, service));
        const int received = int(times.size() - times.count(-1));
        QCOMPARE(*lookups.byAddressCalls, resolve ? received : 0);
        QCOMPARE(status.Texts().filter(QStringLiteral("Resolving IP Address")).isEmpty(), !resolve || received == 0);
        QCOMPARE(status.Texts().count(QStringLiteral("Waiting for response ... No response!")), times.count(-1));
        QVERIFY(status.Texts().contains(QStringLiteral("Resolving ") + host));
        const qsizetype pauses = delay == 0 ? 0 : times.size() - 1;
        QCOMPARE(status.Texts().filter(QStringLiteral("Waiting for %1 ms").arg(delay)).size(), pauses);
        QCOMPARE(service->Requests().size(), std::size_t(times.size()));
        QCOMPARE(window.dialog->PingPage()->RecentHosts().value(0), host);
        for (int row = 0; row < rows.size(); ++row)
            QCOMPARE(RowTexts(window.dialog->ResultList(FunctionId::Ping), row),
                     QStringList{QString::number(row + 1)} + rows.at(row));
        QTRY_COMPARE(window.dialog->RunSummaryText(), summary);
    }

    void stopWhileRequestWaits_data()
    {
        QTest::addColumn<FunctionId>("function");
        QTest::addColumn<int>("probesBefore");
        QTest::newRow("Ping") << FunctionId::Ping << 0;
        // TraceRoute's first probe looks for a second address on a time-out of its own.
        QTest::newRow("TraceRoute") << FunctionId::TraceRoute << 1;
    }

    // A request held on a minute's time-out: Stop wakes it, the worker lets go
    // at once, no row is added and the window is idle. Twenty more runs stopped
    // the same way leave no worker and no thread behind (the first run starts
    // what Qt keeps).
    void stopWhileRequestWaits()
    {
        QFETCH(FunctionId, function);
        QFETCH(int, probesBefore);
        auto service = AnsweringService(ReplyingFrom("10.0.0.3"));
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, QStringLiteral("10.0.0.3"), 3, 0, false, 60);
        SetTraceRoute(*window.dialog, QStringLiteral("10.0.0.3"), 5, false, 60);
        window.dialog->SelectFunction(function);
        service->HoldRequests(true);
        window.dialog->OnGo();
        for (int probe = 1; probe <= probesBefore; ++probe) {
            QVERIFY(WaitForRequests(service, std::size_t(probe)));
            service->ReleaseHeld();
        }
        QVERIFY(WaitForRequests(service, std::size_t(probesBefore + 1)));
        QCOMPARE(service->Requests().back().timeoutMs, 60000u);

        const qint64 ms = MillisecondsUntilReleased([&] { window.dialog->OnStop(); },
                                                    [&] { return service.use_count() == kHoldersWithoutWorker; });
        qInfo("worker let go %lld ms after Stop", ms);
        QVERIFY2(ms < 50, "Stop did not wake the waiting request");
        QCOMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
        QVERIFY(Control<QPushButton>(window.dialog.get(), IDC_GO)->isEnabled());
        QVERIFY(window.dialog->Page(function)->HostCombo()->isEnabled());
        QCoreApplication::processEvents();
        QCOMPARE(service->Requests().size(), std::size_t(probesBefore + 1));
        QCOMPARE(window.dialog->ResultList(function)->topLevelItemCount(), 0);
        QCOMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));

        QTRY_COMPARE(window.dialog->Runs().WorkerCount(), std::size_t{0});
        const qsizetype threadsBefore = ThreadCount();
        for (std::size_t run = 1; run <= 20; ++run) {
            window.dialog->OnGo();
            QVERIFY(WaitForRequests(service, std::size_t(probesBefore + 1) + run));
            window.dialog->OnStop();
        }
        QTRY_COMPARE(window.dialog->Runs().WorkerCount(), std::size_t{0});
        QTRY_VERIFY2(ThreadCount() <= threadsBefore, qPrintable(QString::number(ThreadCount())));
    }

    void stopDuringPauseSendsNothingMore()
    {
        auto service = AnsweringService(ReplyingFrom("10.0.0.4"));
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, QStringLiteral("10.0.0.4"), 3, 10000);
        window.dialog->OnGo();
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Waiting for 10000 ms"));
        window.dialog->OnStop();
        // The pause ends with the run, long before its 10 seconds.
        QTRY_COMPARE_WITH_TIMEOUT(service.use_count(), kHoldersWithoutWorker, 5000);
        QCOMPARE(service->Requests().size(), std::size_t{1});
        QCOMPARE(window.dialog->ResultList(FunctionId::Ping)->topLevelItemCount(), 1);
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
    }

    void failuresReport_data()
    {
        QTest::addColumn<FunctionId>("function");
        QTest::addColumn<QString>("host");
        QTest::addColumn<State>("state");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("status");
        const auto ping = FunctionId::Ping;
        const auto trace = FunctionId::TraceRoute;
        const QString noApi = QStringLiteral("Cannot locate the required API functions in ICMP.DLL.");
        const QString unknown = QStringLiteral("Unable to resolve hostname");
        const QString unknownHost = "nowhere.example", resolving = "Resolving nowhere.example";
        const auto refused = State::HandleRefused, loaded = State::Loaded;
        // A host can still arrive without a service, from the command line or the phonebook.
        QTest::newRow("Ping, no service") << ping << "10.0.0.5" << State::NotLoaded << noApi << false << "Ready";
        QTest::newRow("TraceRoute, no service") << trace << "10.0.0.5" << State::NotLoaded << noApi << false << "Ready";
        QTest::newRow("Ping, unknown host") << ping << unknownHost << loaded << unknown << true << resolving;
        QTest::newRow("TraceRoute, unknown host") << trace << unknownHost << loaded << unknown << true << resolving;
        QTest::newRow("Ping, no handle") << ping << "10.0.0.6" << refused << "Unable to access Ping service!" << true
                                         << "Opening Ping service";
        QTest::newRow("TraceRoute, no handle") << trace << "10.0.0.6" << refused
                                               << "Unable to access TraceRoute service!" << true
                                               << "Opening TraceRoute service";
        QTest::newRow("Ping, IPv6 without its socket")
            << ping << "fd00::6" << State::OnlyIPv4
            << "Unable to access Ping service! scripted: no ICMPv6 socket (ping_group_range, setcap cap_net_raw+ep)"
            << true << "Opening Ping service";
    }

    // A failure of a loaded service is reported while the run still shows busy,
    // and the end-run step follows; without a service the run ends first.
    void failuresReport()
    {
        QFETCH(FunctionId, function);
        QFETCH(QString, host);
        QFETCH(State, state);
        QFETCH(QString, box);
        QFETCH(bool, busy);
        QFETCH(QString, status);
        auto service = AnsweringService(NoReply, state);
        auto window = OpenIcmpWindow(service);
        const bool loaded = state != State::NotLoaded;
        QCOMPARE(window.dialog->IcmpAvailable(), loaded);
        if (!loaded) {
            QVERIFY(!window.dialog->Page(function)->HostCombo()->isEnabled());
            QVERIFY(window.dialog->Page(function)->HostCombo()->toolTip().contains(QStringLiteral("ping_group_range")));
            QVERIFY(window.dialog->Page(function)->toolTip().contains(QStringLiteral("setcap cap_net_raw+ep")));
            QCOMPARE(IcmpServiceDescription(window.dialog->EchoService().get()),
                     "IPv4: " + QString::fromStdString(service->Description(IpFamily::IPv4)) + "\r\nIPv6: "
                         + QString::fromStdString(service->Description(IpFamily::IPv6)));
        }
        SetPing(*window.dialog, host, 1, 0);
        SetTraceRoute(*window.dialog, host, 1);
        window.dialog->SelectFunction(function);
        CBoxWitness boxes(*window.dialog);
        const CStatusWatch shown(*window.dialog);
        QVERIFY(RunToEnd(*window.dialog, service));
        QCOMPARE(boxes.Texts(), QStringList{box});
        QCOMPARE(boxes.seen[0].busy, busy);
        QCOMPARE(boxes.seen[0].status, status);
        QTRY_VERIFY(!window.dialog->Runs().IsBusy());
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
        QCOMPARE(shown.Texts().first(), QStringLiteral("Trying to locating API functions"));
        QVERIFY(service->Requests().empty());
        QCOMPARE(window.dialog->ResultList(function)->topLevelItemCount(), 0);
        if (!loaded) {
            QCOMPARE(shown.Texts().size(), 2);
            QVERIFY(!window.dialog->Page(function)->HostCombo()->isEnabled());
        }
    }

    // The first probe is answered from another address of the host: the
    // trace ends where that address answers.
    void traceRouteRunShowsEveryStatusAndRow()
    {
        CMessageBoxRecorder boxes;
        auto service = AnsweringService([](const CEchoRequest& request) {
            return request.ttl == std::uint8_t{1} ? ReplyFrom("10.1.0.1", 2) : ReplyFrom("10.2.0.2", 5);
        });
        CScriptedLookups lookups;
        lookups.addresses.insert(QStringLiteral("10.1.0.1"), QStringLiteral("gateway.example"));
        auto window = OpenIcmpWindow(service, lookups);
        SetTraceRoute(*window.dialog, QStringLiteral("10.2.0.9"), 15, true);
        const CStatusWatch status(*window.dialog);
        QVERIFY(RunToEnd(*window.dialog, service));

        QStringList expected{"Trying to locating API functions", "Resolving 10.2.0.9",
                             "Reserving memory for reply buffer and option information",
                             "Opening TraceRoute service", "Looking for a second IP Address ..."};
        for (int hop : {1, 2})
            expected << QStringLiteral("Looking for host %1 ...").arg(hop)
                     << QStringLiteral("Looking for host %1 ... Got reply, resolving IP address ...").arg(hop)
                     << QStringLiteral("Looking for host %1 ... Got reply, resolving IP address ... Done").arg(hop);
        QCOMPARE(status.Texts(), expected << QStringLiteral("Ready"));

        const QTreeWidget* list = window.dialog->ResultList(FunctionId::TraceRoute);
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(RowTexts(list, 0), (QStringList{"1", "10.1.0.1", "gateway.example", "2 ms"}));
        QCOMPARE(RowTexts(list, 1), (QStringList{"2", "10.2.0.2", "Unavailable", "5 ms"}));
        QTRY_COMPARE(window.dialog->RunSummaryText(), QStringLiteral("2 hops, 2 answered, destination reached"));
        QCOMPARE(service->Requests().size(), std::size_t{3});
        for (const CEchoRequest& request : service->Requests())
            QCOMPARE(request.destination, Address("10.2.0.9"));
        QVERIFY(boxes.Texts().isEmpty());
    }

    void doubleClickLooksUpTheRowsAddress_data()
    {
        QTest::addColumn<FunctionId>("function");
        QTest::newRow("Ping") << FunctionId::Ping;
        QTest::newRow("TraceRoute") << FunctionId::TraceRoute;
    }

    // Only a row with a response can be looked up; Stop makes a pending
    // lookup's completion stale; a failed lookup shows "Unavailable", and a
    // lookup that cannot start is reported.
    void doubleClickLooksUpTheRowsAddress()
    {
        QFETCH(FunctionId, function);
        int pings = 0;
        auto service = AnsweringService([&pings](const CEchoRequest& sent) {
            if (sent.ttl)
                return *sent.ttl == 1 ? ReplyFrom("10.5.0.5", 1) : EchoReply{};
            if (sent.destination == Address("10.5.0.9"))
                return EchoReply{};
            return ++pings == 1 ? ReplyFrom("10.5.0.5", 1) : EchoReply{};
        });
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, QStringLiteral("10.5.0.5"), 2, 0);
        SetTraceRoute(*window.dialog, QStringLiteral("10.5.0.9"), 2);
        window.dialog->SelectFunction(function);
        QVERIFY(RunToEnd(*window.dialog, service));
        QTreeWidget* list = window.dialog->ResultList(function);
        QCOMPARE(list->topLevelItemCount(), 2);
        const auto doubleClick = [list](int row) {
            list->setCurrentItem(list->topLevelItem(row));
            Q_EMIT list->itemDoubleClicked(list->topLevelItem(row), 1);
        };

        CBoxWitness boxes(*window.dialog);
        doubleClick(1);
        QCOMPARE(boxes.Texts(), QStringList{"Sorry, cannot resolve this host"});
        QVERIFY(window.resolver->Requests().isEmpty());

        doubleClick(0);
        QCOMPARE(window.dialog->StatusText(), QStringLiteral("Resolving IP address 10.5.0.5"));
        QCOMPARE(window.resolver->Requests().size(), 1);
        const CScriptedRequest first = window.resolver->Requests().at(0);
        QVERIFY(first.bByAddress);
        QCOMPARE(first.address, Address("10.5.0.5"));
        QCOMPARE(first.nMessage, WM_APP_ADDRESS_RESOLVED);

        window.dialog->OnStop();
        doubleClick(0);
        QCOMPARE(window.resolver->Requests().size(), 2);
        CHostEntry stale;
        stale.strOfficialName = QStringLiteral("stale.example");
        PostAppMessage(&window.dialog->Runs(), WM_APP_ADDRESS_RESOLVED, first.handle, kLookupSucceeded, stale);
        QCoreApplication::processEvents();
        QCOMPARE(list->topLevelItem(0)->text(2), QString());
        QCOMPARE(window.dialog->StatusText(), QStringLiteral("Resolving IP address 10.5.0.5"));

        CHostEntry found;
        found.strOfficialName = QStringLiteral("found.example");
        window.resolver->Complete(window.resolver->Requests().at(1).handle, kLookupSucceeded, found);
        QTRY_COMPARE(list->topLevelItem(0)->text(2), QStringLiteral("found.example"));
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
        QVERIFY(list->isEnabled());

        doubleClick(0);
        window.resolver->Complete(window.resolver->Requests().at(2).handle, kLookupHostNotFound);
        QTRY_COMPARE(list->topLevelItem(0)->text(2), QStringLiteral("Unavailable"));
        QCOMPARE(boxes.seen.size(), std::size_t{1});

        window.resolver->RefuseNextRequest();
        doubleClick(0);
        QCOMPARE(boxes.Texts().value(1), QStringLiteral("Unable to resolve IP Address"));
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
        QVERIFY(!window.dialog->Runs().HasPendingRequests());
    }

    void targetOfEitherFamily_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<AddressPreference>("preference");
        QTest::addColumn<QString>("target");
        const QStringList both{"10.7.0.7", "fd00:7::7"};
        const auto v4 = AddressPreference::PreferIPv4;
        QTest::newRow("IPv6 literal") << "FD00:7:0:0::0:7" << QStringList{} << v4 << "fd00:7::7";
        QTest::newRow("name with only IPv6") << "v6only.example" << QStringList{"fd00:7::7"} << v4 << "fd00:7::7";
        QTest::newRow("name with both") << "both.example" << both << v4 << "10.7.0.7";
        QTest::newRow("name with both, IPv6 preferred")
            << "both.example" << both << AddressPreference::PreferIPv6 << "fd00:7::7";
        QTest::newRow("IPv4 only, name with only IPv6")
            << "v6only.example" << QStringList{"fd00:7::7"} << AddressPreference::OnlyIPv4 << "";
    }

    // Ping's target and its row's Address by the preference; a double-click
    // looks up the row's address, whatever its family. Nothing allowed: the
    // host counts as unresolvable.
    void targetOfEitherFamily()
    {
        QFETCH(QString, host);
        QFETCH(QStringList, addresses);
        QFETCH(AddressPreference, preference);
        QFETCH(QString, target);
        auto service = AnsweringService([](const CEchoRequest& sent) { return EchoReply{1, sent.destination, 2}; });
        CScriptedLookups lookups;
        for (const QString& text : addresses)
            lookups.names[host.toLatin1()] << *ParseAddressLiteral(text);
        auto window = OpenIcmpWindow(service, lookups);
        CBoxWitness boxes(*window.dialog);
        CRunInputs inputs;
        inputs.strHost = host;
        inputs.nPings = 1;
        inputs.preference = preference;
        window.dialog->Runs().Go(inputs);
        QTRY_COMPARE_WITH_TIMEOUT(service.use_count(), kHoldersWithoutWorker, 10000);
        QTRY_VERIFY(!window.dialog->Runs().IsBusy());
        QTreeWidget* list = window.dialog->ResultList(FunctionId::Ping);
        if (target.isEmpty()) {
            QCOMPARE(boxes.Texts(), QStringList{"Unable to resolve hostname"});
            QCOMPARE(list->topLevelItemCount(), 0);
            return;
        }
        QCOMPARE(service->Requests().at(0).destination, *ParseAddressLiteral(target));
        QCOMPARE(RowTexts(list, 0), (QStringList{"1", target, "", "2 ms"}));
        list->setCurrentItem(list->topLevelItem(0));
        Q_EMIT list->itemDoubleClicked(list->topLevelItem(0), 1);
        QCOMPARE(window.resolver->Requests().size(), 1);
        QCOMPARE(window.resolver->Requests().at(0).address, *ParseAddressLiteral(target));
        QVERIFY(boxes.seen.empty());
    }

    // Widening the window gives both Address columns room for the longest
    // IPv6 address, and no more; the other columns keep their widths.
    void widerWindowShowsWholeIpv6Addresses()
    {
        auto window = OpenIcmpWindow(AnsweringService(NoReply));
        const QTreeWidget* list = window.dialog->ResultList(FunctionId::TraceRoute);
        const int hostName = list->header()->sectionSize(ColumnIndex(ResultColumn::HostName));
        const int longest = QFontMetrics(list->font()).horizontalAdvance(kLongestAddressSample) + 15;
        QVERIFY(list->header()->sectionSize(ColumnIndex(ResultColumn::Address)) < longest);
        window.dialog->resize(window.dialog->width() + 20, window.dialog->height());
        window.dialog->resize(window.dialog->width() + 1000, window.dialog->height());
        for (FunctionId id : {FunctionId::Ping, FunctionId::TraceRoute})
            QCOMPARE(window.dialog->ResultList(id)->header()->sectionSize(ColumnIndex(ResultColumn::Address)), longest);
        QCOMPARE(list->header()->sectionSize(ColumnIndex(ResultColumn::HostName)), hostName);
    }

    // At the hop limit only the typed address answering last shows the
    // destination was reached; a silent hop gets its row all the same.
    void traceRouteSummaryAtTheHopLimit_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QList<int>>("times");
        QTest::addColumn<QString>("summary");
        QTest::newRow("the typed address answers last")
            << "10.8.0.3" << QList<int>{1, 2, 3} << "3 hops, 3 answered, destination reached";
        QTest::newRow("a router answers last")
            << "10.8.0.9" << QList<int>{1, 2, 3} << "3 hops, 3 answered, destination not reached";
        QTest::newRow("the last hop silent") << "10.8.0.9" << QList<int>{1, 2, -1}
                                             << "3 hops, 2 answered, destination not reached";
        QTest::newRow("a silent host") << "10.3.0.3" << QList<int>{-1, -1, -1, -1}
                                       << "4 hops, 0 answered, destination not reached";
    }

    void traceRouteSummaryAtTheHopLimit()
    {
        QFETCH(QString, host);
        QFETCH(QList<int>, times);
        QFETCH(QString, summary);
        auto service = AnsweringService(TimedHops(times));
        auto window = OpenIcmpWindow(service);
        SetTraceRoute(*window.dialog, host, unsigned(times.size()), true);
        const CStatusWatch status(*window.dialog);
        QVERIFY(RunToEnd(*window.dialog, service));
        const QTreeWidget* list = window.dialog->ResultList(FunctionId::TraceRoute);
        QCOMPARE(list->topLevelItemCount(), times.size());
        for (int row = 0; row < times.size(); ++row) {
            if (times.at(row) >= 0)
                continue;
            QCOMPARE(RowTexts(list, row).mid(1), QStringList({"", "No response from this host", ""}));
            QVERIFY(status.Texts().contains(QStringLiteral("Looking for host %1 ... No reply!").arg(row + 1)));
        }
        QTRY_COMPARE(window.dialog->RunSummaryText(), summary);
    }

    // Each function shows its own summary; an idle Stop keeps it; the next run
    // of the function takes it away, a stopped trace did not reach its
    // destination, and Clear takes every summary away.
    void summaryBelongsToItsFunction()
    {
        auto service = AnsweringService([](const CEchoRequest& request) {
            return request.ttl == std::uint8_t{1} ? ReplyFrom("10.6.0.1", 1) : ReplyFrom("10.6.1.1", 3);
        });
        auto window = OpenIcmpWindow(service);
        CMainDialog& dialog = *window.dialog;
        SetPing(dialog, QStringLiteral("10.6.1.1"), 1, 0);
        QVERIFY(RunToEnd(dialog, service));
        const QString ping = QStringLiteral("1 sent, 1 received, 0% loss, min/avg/max 3.0/3.0/3.0 ms");
        QTRY_COMPARE(dialog.RunSummaryText(), ping);
        dialog.OnStop();
        QCOMPARE(dialog.RunSummaryText(), ping);

        SetTraceRoute(dialog, QStringLiteral("10.6.1.1"), 5);
        QCOMPARE(dialog.RunSummaryText(), QString());
        QVERIFY(RunToEnd(dialog, service));
        const QString trace = QStringLiteral("2 hops, 2 answered, destination reached");
        QTRY_COMPARE(dialog.RunSummaryText(), trace);
        const std::pair<FunctionId, QString> tabs[] = {
            {FunctionId::Finger, {}}, {FunctionId::Ping, ping}, {FunctionId::TraceRoute, trace}};
        for (const auto& [id, summary] : tabs) {
            dialog.SelectFunction(id);
            QCOMPARE(dialog.RunSummaryText(), summary);
        }

        service->HoldRequests(true);
        dialog.OnGo();
        QCOMPARE(dialog.RunSummaryText(), QString());
        for (std::size_t request : {5, 6}) {
            QVERIFY(WaitForRequests(service, request));
            service->ReleaseHeld();
        }
        QTRY_COMPARE(dialog.ResultList(FunctionId::TraceRoute)->topLevelItemCount(), 1);
        QVERIFY(WaitForRequests(service, 7));
        dialog.OnStop();
        QCOMPARE(dialog.RunSummaryText(), QStringLiteral("1 hop, 1 answered, destination not reached"));

        dialog.OnClear();
        QCOMPARE(dialog.RunSummaryText(), QString());
        dialog.SelectFunction(FunctionId::Ping);
        QCOMPARE(dialog.RunSummaryText(), QString());
    }

    // The list as drawn: no bar for the row without response, and the first
    // row's bar against the longest time, which came after it.
    void barsFollowTheLongestTime()
    {
        auto service = AnsweringService(TimedReplies({10, -1, 40}));
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, QStringLiteral("10.0.2.2"), 3, 0);
        QVERIFY(RunToEnd(*window.dialog, service));
        QTreeWidget* list = window.dialog->ResultList(FunctionId::Ping);
        QTRY_VERIFY(list->isEnabled());
        const int timeColumn = ColumnIndex(ResultColumn::ResponseTime);
        const auto* delegate = qobject_cast<CResponseTimeDelegate*>(list->itemDelegateForColumn(timeColumn));
        QVERIFY(delegate);
        QCOMPARE(delegate->ScaleMs(), 40u);

        const QImage picture = list->viewport()->grab().toImage();
        const QColor base = list->palette().color(QPalette::Base);
        auto barAt = [&](int row, double share) {
            const QRect cell = list->visualRect(list->model()->index(row, timeColumn));
            return picture.pixelColor(cell.left() + 1 + int(share * cell.width()), cell.center().y()) != base;
        };
        QVERIFY(barAt(0, 0.0) && !barAt(0, 0.6));
        QVERIFY(!barAt(1, 0.0));
        QVERIFY(barAt(2, 0.0) && barAt(2, 0.9));
        QCOMPARE(RowTexts(list, 0).value(timeColumn), QStringLiteral("10 ms"));
    }

    // The window goes while a hop probe waits on a minute's time-out: the
    // probe returns at once and its worker ends without touching the window.
    void closingTheWindowWakesTheWaitingWorker()
    {
        CMessageBoxRecorder boxes;
        auto service = AnsweringService(NoReply);
        auto window = OpenIcmpWindow(service);
        SetTraceRoute(*window.dialog, QStringLiteral("10.7.0.7"), 15, false, 60);
        service->HoldRequests(true);
        window.dialog->OnGo();
        QVERIFY(WaitForRequests(service, 1));
        service->ReleaseHeld();
        QVERIFY(WaitForRequests(service, 2));
        QVERIFY2(MillisecondsUntilWindowClosed(window, service) < 1000, "the worker waited for its request's time-out");
        QVERIFY(boxes.Texts().isEmpty());
    }
};

QTEST_MAIN(TestPingTrace)
#include "tst_pingtrace.moc"
