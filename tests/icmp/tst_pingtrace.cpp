// SPDX-License-Identifier: GPL-3.0-or-later
// Ping and TraceRoute in the main window over a scripted echo service: the
// status line of whole runs, the rows, Stop while a worker waits, the failure
// reports and their order against the end of the run, the double-click lookup
// and closing the window under a waiting worker.

#include "icmp/IcmpWindowFixture.h"
#include "icmp/ScriptedEchoService.h"

#include "icmp/IcmpRun.h"
#include "icmp/TraceRouteFunction.h"

#include "export/ResultColumns.h"
#include "mainwindow/ResponseTimeDelegate.h"

#include "pages/PingPage.h"
#include "pages/TraceRoutePage.h"
#include "platform/AppMessages.h"
#include "platform/MessageBox.h"
#include "resources/ResourceIds.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QStyle>
#include <QPushButton>
#include <QtTest>

#include <arpa/inet.h>

using namespace netsonde;
using namespace netsonde::test;
using echo::EchoReply;

Q_DECLARE_METATYPE(AddressPreference)
Q_DECLARE_METATYPE(CScriptedEchoService::State)

namespace {

using Service = std::shared_ptr<CScriptedEchoService>;

Service AnsweringService(CScriptedEchoService::Responder responder,
                         CScriptedEchoService::State state = CScriptedEchoService::State::Loaded)
{
    return std::make_shared<CScriptedEchoService>(std::move(responder), state);
}

EchoReply NoReply(const CEchoRequest&) { return {}; }

void SetPing(CMainDialog& dialog, const QString& host, unsigned pings, unsigned delay, bool resolve)
{
    CPingPage* page = dialog.PingPage();
    page->m_strHost = host;
    page->m_nPings = pings;
    page->m_nDelay = delay;
    page->m_bResolve = resolve;
    page->DoDataExchange(false);
}

void SetTraceRoute(CMainDialog& dialog, const QString& host, unsigned maxHops, bool resolve)
{
    CTraceRoutePage* page = dialog.TraceRoutePage();
    page->m_strHost = host;
    page->m_nMaxHops = maxHops;
    page->m_bResolve = resolve;
    page->DoDataExchange(false);
    dialog.SelectFunction(FunctionId::TraceRoute);
}

CIpAddress Address(const char* dotted) { return CIpAddress::FromIPv4(::inet_addr(dotted)); }

// Answers the n-th request from `dotted` after times[n] ms; -1 for no reply.
CScriptedEchoService::Responder TimedReplies(const char* dotted, const QList<int>& times)
{
    auto next = std::make_shared<std::atomic<int>>(0);
    return [dotted, times, next](const CEchoRequest&) {
        const int ms = times.value((*next)++, -1);
        return ms < 0 ? EchoReply{} : ReplyFrom(dotted, static_cast<std::uint32_t>(ms));
    };
}

// Hop n answers from 10.8.0.n after times[n - 1] ms (-1 for no reply); the
// probe without a Ttl is not answered.
CScriptedEchoService::Responder TimedHops(const QList<int>& times)
{
    return [times](const CEchoRequest& request) {
        const int ms = request.ttl ? times.value(*request.ttl - 1, -1) : -1;
        if (ms < 0)
            return EchoReply{};
        const QByteArray router = QStringLiteral("10.8.0.%1").arg(*request.ttl).toLatin1();
        return ReplyFrom(router.constData(), static_cast<std::uint32_t>(ms));
    };
}

QPalette DarkPalette()
{
    QPalette dark(QColor(0x35, 0x35, 0x38), QColor(0x25, 0x25, 0x28));
    dark.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x20));
    dark.setColor(QPalette::Text, QColor(0xE8, 0xE8, 0xE8));
    dark.setColor(QPalette::WindowText, QColor(0xE8, 0xE8, 0xE8));
    dark.setColor(QPalette::ButtonText, QColor(0xE8, 0xE8, 0xE8));
    dark.setColor(QPalette::Highlight, QColor(0x3D, 0x8E, 0xE0));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return dark;
}

// The Fusion style with its own light palette or a dark one while it lives.
class CPictureLook {
public:
    explicit CPictureLook(bool dark) : m_style(qApp->style()->name()), m_palette(QApplication::palette())
    {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(dark ? DarkPalette() : qApp->style()->standardPalette());
    }
    ~CPictureLook()
    {
        QApplication::setStyle(m_style);
        QApplication::setPalette(m_palette);
    }

private:
    const QString m_style;
    const QPalette m_palette;
};

// Pictures go to the folder NETSONDE_PICTURES names (the documentation's),
// else next to the test.
void SavePicture(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("NETSONDE_PICTURES", QDir::currentPath());
    const QString path = QDir(folder).absoluteFilePath(name);
    // The status bar lays out the summary's new text first.
    QCoreApplication::processEvents();
    QVERIFY(window->grab().save(path));
    qInfo("picture: %s", qPrintable(path));
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
    std::vector<CBoxSeen> seen;

private:
    MessageBoxHandler m_previous;
};

} // namespace

// The worker has let go of the service: the test, the window and its Ping
// and TraceRoute hold it still.
constexpr long kHoldersWithoutWorker = 4;
// Go, then wait until the worker has let go. Its effects were posted before
// it let go; the end of the run they ask for follows them.
#define RUN_TO_END(dialog, service)                                                                        \
    do {                                                                                                   \
        (dialog).OnGo();                                                                                   \
        QTRY_COMPARE_WITH_TIMEOUT((service).use_count(), kHoldersWithoutWorker, 10000);                   \
        QCoreApplication::processEvents();                                                                 \
        QCoreApplication::processEvents();                                                                 \
    } while (false)
// The worker needs the event loop for its effects: wait with events running.
#define WAIT_FOR_REQUESTS(service, count) QTRY_VERIFY_WITH_TIMEOUT((service)->Requests().size() >= (count), 10000)

class TestPingTrace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }
    void cleanup() { CMainDialog::SetEchoServiceLoader({}); }

    void pingRunShowsEveryStatusAndRow()
    {
        CMessageBoxRecorder boxes;
        auto service = AnsweringService([](const CEchoRequest&) { return ReplyFrom("10.9.8.7", 7); });
        CScriptedLookups lookups;
        lookups.names.insert("far.example", {Address("10.9.8.7")});
        lookups.addresses.insert(QStringLiteral("10.9.8.7"), QStringLiteral("far.example.net"));
        auto window = OpenIcmpWindow(service, lookups);
        SetPing(*window.dialog, QStringLiteral("far.example"), 2, 1000, true);
        CStatusLineRecorder status(*window.dialog);
        RUN_TO_END(*window.dialog, service);

        const QStringList request{"Waiting for response ...", "Waiting for response ... Resolving IP Address ...",
                                  "Waiting for response ... Resolving IP Address ... Done!"};
        const QStringList expected = QStringList{"Trying to locating API functions", "Resolving far.example",
                                                 "Reserving memory for reply buffer", "Opening Ping service"}
            + request + QStringList{"Waiting for 1000 ms"} + request + QStringList{"Ready"};
        QCOMPARE(status.Finish(), expected);
        const QTreeWidget* list = window.dialog->ResultList(FunctionId::Ping);
        QCOMPARE(list->topLevelItemCount(), 2);
        for (int row : {0, 1})
            QCOMPARE(RowTexts(list, row), (QStringList{QString::number(row + 1), "10.9.8.7", "far.example.net", "7 ms"}));
        QTRY_COMPARE(window.dialog->RunSummaryText(),
                     QStringLiteral("2 sent, 2 received, 0% loss, min/avg/max 7.0/7.0/7.0 ms"));
        for (const CEchoRequest& sent : service->Requests()) {
            QCOMPARE(sent.destination, Address("10.9.8.7"));
            QCOMPARE(sent.dataSize, std::size_t{64});
            QVERIFY(sent.allBytesAA);
            QCOMPARE(sent.ttl, std::nullopt);
            QCOMPARE(sent.timeoutMs, 15000u);
        }
        QVERIFY(boxes.Texts().isEmpty());
        QTRY_VERIFY(!window.dialog->Runs().IsBusy());
        QVERIFY(window.dialog->PingPage()->HostCombo()->isEnabled());
        QCOMPARE(window.dialog->PingPage()->toolTip(),
                 QStringLiteral("Ping and TraceRoute send their requests through:\n"
                                "IPv4: scripted echo service\nIPv6: scripted echo service"));
    }

    void pingSpecialNamesAndPauses_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<unsigned>("pings");
        QTest::addColumn<unsigned>("delay");
        QTest::addColumn<int>("pauseTexts");
        QTest::newRow("me, one request: no pause") << QStringLiteral("me") << 1u << 1000u << 0;
        QTest::newRow("Myself, delay 0: no pause") << QStringLiteral("Myself") << 3u << 0u << 0;
        QTest::newRow("MYSELF, short pauses") << QStringLiteral("MYSELF") << 3u << 1u << 2;
    }

    void pingSpecialNamesAndPauses()
    {
        QFETCH(QString, host);
        QFETCH(unsigned, pings);
        QFETCH(unsigned, delay);
        QFETCH(int, pauseTexts);
        auto service = AnsweringService([](const CEchoRequest&) { return ReplyFrom("127.0.0.1", 0); });
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, host, pings, delay, false);
        CStatusLineRecorder status(*window.dialog);
        RUN_TO_END(*window.dialog, service);

        const QStringList texts = status.Finish();
        QVERIFY(texts.contains(QStringLiteral("Resolving ") + host));
        QCOMPARE(texts.filter(QStringLiteral("Waiting for %1 ms").arg(delay)).size(), pauseTexts);
        QCOMPARE(service->Requests().size(), std::size_t{pings});
        for (const CEchoRequest& sent : service->Requests())
            QCOMPARE(sent.destination, Address("127.0.0.1"));
        QCOMPARE(window.dialog->PingPage()->RecentHosts().value(0), host);
        QCOMPARE(window.dialog->ResultList(FunctionId::Ping)->topLevelItemCount(), int(pings));
        QTRY_COMPARE(window.dialog->RunSummaryText(),
                     QStringLiteral("%1 sent, %1 received, 0% loss, min/avg/max 0.0/0.0/0.0 ms").arg(pings));
    }

    // Each request's row by its reply time (-1: none) and the run's summary;
    // an address is looked up only when Resolve is on, and unknown there.
    void pingRowsAndSummary_data()
    {
        QTest::addColumn<QList<int>>("times");
        QTest::addColumn<bool>("resolve");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QString>("summary");
        const QStringList none{"", "No response", ""};
        QTest::newRow("resolve off") << QList<int>{3, 3} << false
                                     << QList<QStringList>{{"10.0.1.1", "", "3 ms"}, {"10.0.1.1", "", "3 ms"}}
                                     << "2 sent, 2 received, 0% loss, min/avg/max 3.0/3.0/3.0 ms";
        QTest::newRow("no reply, unknown name") << QList<int>{-1, 4, -1} << true
                                                << QList<QStringList>{none, {"10.0.1.1", "Unavailable", "4 ms"}, none}
                                                << "3 sent, 1 received, 67% loss, min/avg/max 4.0/4.0/4.0 ms";
        QTest::newRow("nothing received") << QList<int>{-1, -1, -1} << false << QList<QStringList>{none, none, none}
                                          << "3 sent, 0 received, 100% loss";
        QTest::newRow("0 ms among others") << QList<int>{0, 1, -1, 2} << false << QList<QStringList>{}
                                           << "4 sent, 3 received, 25% loss, min/avg/max 0.0/1.0/2.0 ms";
        QTest::newRow("an average between whole ms") << QList<int>{1, 2} << false << QList<QStringList>{}
                                                     << "2 sent, 2 received, 0% loss, min/avg/max 1.0/1.5/2.0 ms";
    }

    void pingRowsAndSummary()
    {
        QFETCH(QList<int>, times);
        QFETCH(bool, resolve);
        QFETCH(QList<QStringList>, rows);
        QFETCH(QString, summary);
        auto service = AnsweringService(TimedReplies("10.0.1.1", times));
        CScriptedLookups lookups;
        auto window = OpenIcmpWindow(service, lookups);
        SetPing(*window.dialog, QStringLiteral("10.0.1.1"), unsigned(times.size()), 0, resolve);
        CStatusLineRecorder status(*window.dialog);
        RUN_TO_END(*window.dialog, service);
        const QStringList texts = status.Finish();
        const int received = int(times.size() - times.count(-1));
        QCOMPARE(*lookups.byAddressCalls, resolve ? received : 0);
        QCOMPARE(texts.filter(QStringLiteral("Resolving IP Address")).isEmpty(), !resolve || received == 0);
        QCOMPARE(texts.count(QStringLiteral("Waiting for response ... No response!")), times.count(-1));
        for (int row = 0; row < rows.size(); ++row)
            QCOMPARE(RowTexts(window.dialog->ResultList(FunctionId::Ping), row),
                     QStringList{QString::number(row + 1)} + rows.at(row));
        QTRY_COMPARE(window.dialog->RunSummaryText(), summary);
    }

    void stopWhileRequestWaits_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<int>("probesBefore");
        QTest::newRow("Ping") << Index(FunctionId::Ping) << 0;
        // TraceRoute's first probe looks for a second address on a time-out of its own.
        QTest::newRow("TraceRoute") << Index(FunctionId::TraceRoute) << 1;
    }

    // A request held on a minute's time-out: Stop wakes it, the worker lets go
    // at once, no row is added and the window is idle.
    void stopWhileRequestWaits()
    {
        QFETCH(int, function);
        QFETCH(int, probesBefore);
        const auto id = static_cast<FunctionId>(function);
        auto service = AnsweringService([](const CEchoRequest&) { return ReplyFrom("10.0.0.3"); });
        auto window = OpenIcmpWindow(service);
        window.dialog->PingPage()->m_nTimeout = 60;
        window.dialog->TraceRoutePage()->m_nTimeout = 60;
        SetPing(*window.dialog, QStringLiteral("10.0.0.3"), 3, 0, false);
        SetTraceRoute(*window.dialog, QStringLiteral("10.0.0.3"), 5, false);
        window.dialog->SelectFunction(id);
        service->HoldRequests(true);
        window.dialog->OnGo();
        for (int probe = 1; probe <= probesBefore; ++probe) {
            WAIT_FOR_REQUESTS(service, std::size_t(probe));
            service->ReleaseHeld();
        }
        WAIT_FOR_REQUESTS(service, std::size_t(probesBefore + 1));
        QCOMPARE(service->Requests().back().timeoutMs, 60000u);

        const qint64 ms = MillisecondsUntilReleased([&] { window.dialog->OnStop(); },
                                                    [&] { return service.use_count() == kHoldersWithoutWorker; });
        qInfo("worker let go %lld ms after Stop", ms);
        QVERIFY2(ms < 50, "Stop did not wake the waiting request");
        QCOMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
        QVERIFY(Control<QPushButton>(window.dialog.get(), IDC_GO)->isEnabled());
        QVERIFY(window.dialog->Page(id)->HostCombo()->isEnabled());
        QCoreApplication::processEvents();
        QCOMPARE(service->Requests().size(), std::size_t(probesBefore + 1));
        QCOMPARE(window.dialog->ResultList(id)->topLevelItemCount(), 0);
        QCOMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
    }

    // Every run is stopped while its request is held: each worker is joined
    // and no thread is left behind (the first run starts what Qt keeps).
    void repeatedGoStopLeavesNoWorker_data() { stopWhileRequestWaits_data(); }
    void repeatedGoStopLeavesNoWorker()
    {
        QFETCH(int, function);
        auto service = AnsweringService([](const CEchoRequest&) { return ReplyFrom("10.0.0.8"); });
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, QStringLiteral("10.0.0.8"), 3, 0, false);
        SetTraceRoute(*window.dialog, QStringLiteral("10.0.0.8"), 5, false);
        window.dialog->SelectFunction(static_cast<FunctionId>(function));
        service->HoldRequests(true);
        qsizetype threadsBefore = 0;
        for (std::size_t run = 1; run <= 21; ++run) {
            window.dialog->OnGo();
            WAIT_FOR_REQUESTS(service, run);
            window.dialog->OnStop();
            if (run == 1) {
                QTRY_COMPARE(window.dialog->Runs().WorkerCount(), std::size_t{0});
                threadsBefore = ThreadCount();
            }
        }
        QTRY_COMPARE(window.dialog->Runs().WorkerCount(), std::size_t{0});
        QTRY_VERIFY2(ThreadCount() <= threadsBefore, qPrintable(QString::number(ThreadCount())));
    }

    void stopDuringPauseSendsNothingMore()
    {
        auto service = AnsweringService([](const CEchoRequest&) { return ReplyFrom("10.0.0.4"); });
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, QStringLiteral("10.0.0.4"), 3, 10000, false);
        window.dialog->OnGo();
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Waiting for 10000 ms"));
        window.dialog->OnStop();
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
        // The pause ends with the run, long before its 10 seconds.
        QTRY_COMPARE_WITH_TIMEOUT(service.use_count(), kHoldersWithoutWorker, 5000);
        QCOMPARE(service->Requests().size(), std::size_t{1});
        QCOMPARE(window.dialog->ResultList(FunctionId::Ping)->topLevelItemCount(), 1);
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
    }

    void missingServiceEndsRunThenReports_data() { stopWhileRequestWaits_data(); }

    void missingServiceEndsRunThenReports()
    {
        QFETCH(int, function);
        auto service = AnsweringService(NoReply, CScriptedEchoService::State::NotLoaded);
        auto window = OpenIcmpWindow(service);
        const auto id = static_cast<FunctionId>(function);
        QVERIFY(!window.dialog->IcmpAvailable());
        QVERIFY(!window.dialog->Page(id)->HostCombo()->isEnabled());
        QVERIFY(window.dialog->Page(id)->HostCombo()->toolTip().contains(QStringLiteral("ping_group_range")));
        QVERIFY(window.dialog->Page(id)->toolTip().contains(QStringLiteral("setcap cap_net_raw+ep")));
        QCOMPARE(IcmpServiceDescription(window.dialog->EchoService().get()),
                 "IPv4: " + QString::fromStdString(service->Description(IpFamily::IPv4)) + "\r\nIPv6: "
                     + QString::fromStdString(service->Description(IpFamily::IPv6)));

        // A host can still arrive, from the command line or the phonebook.
        SetPing(*window.dialog, QStringLiteral("10.0.0.5"), 1, 0, false);
        SetTraceRoute(*window.dialog, QStringLiteral("10.0.0.5"), 1, false);
        window.dialog->SelectFunction(id);
        CBoxWitness boxes(*window.dialog);
        CStatusLineRecorder status(*window.dialog);
        RUN_TO_END(*window.dialog, service);
        QCOMPARE(boxes.seen.size(), std::size_t{1});
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Cannot locate the required API functions in ICMP.DLL."));
        QVERIFY(!boxes.seen[0].busy);
        QCOMPARE(boxes.seen[0].status, QStringLiteral("Ready"));
        QCOMPARE(status.Finish(), (QStringList{"Trying to locating API functions", "Ready"}));
        QVERIFY(!window.dialog->Page(id)->HostCombo()->isEnabled());
    }

    void failuresReportThenEndRun_data()
    {
        using State = CScriptedEchoService::State;
        QTest::addColumn<int>("function");
        QTest::addColumn<QString>("host");
        QTest::addColumn<State>("state");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("lastStatus");
        QTest::newRow("Ping, unknown host") << Index(FunctionId::Ping) << "nowhere.example" << State::Loaded
                                            << "Unable to resolve hostname" << "Resolving nowhere.example";
        QTest::newRow("TraceRoute, unknown host") << Index(FunctionId::TraceRoute) << "nowhere.example"
                                                  << State::Loaded << "Unable to resolve hostname"
                                                  << "Resolving nowhere.example";
        QTest::newRow("Ping, no handle") << Index(FunctionId::Ping) << "10.0.0.6" << State::HandleRefused
                                         << "Unable to access Ping service!" << "Opening Ping service";
        QTest::newRow("TraceRoute, no handle") << Index(FunctionId::TraceRoute) << "10.0.0.6" << State::HandleRefused
                                               << "Unable to access TraceRoute service!"
                                               << "Opening TraceRoute service";
        QTest::newRow("Ping, IPv6 without its socket")
            << Index(FunctionId::Ping) << "fd00::6" << State::OnlyIPv4
            << "Unable to access Ping service! scripted: no ICMPv6 socket (ping_group_range, setcap cap_net_raw+ep)"
            << "Opening Ping service";
    }

    // The report comes while the run still shows busy; the end-run step follows it.
    void failuresReportThenEndRun()
    {
        QFETCH(int, function);
        QFETCH(QString, host);
        QFETCH(CScriptedEchoService::State, state);
        QFETCH(QString, box);
        QFETCH(QString, lastStatus);
        auto service = AnsweringService(NoReply, state);
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, host, 1, 0, false);
        SetTraceRoute(*window.dialog, host, 1, false);
        window.dialog->SelectFunction(static_cast<FunctionId>(function));
        CBoxWitness boxes(*window.dialog);
        RUN_TO_END(*window.dialog, service);
        QCOMPARE(boxes.seen.size(), std::size_t{1});
        QCOMPARE(boxes.seen[0].text, box);
        QVERIFY(boxes.seen[0].busy);
        QCOMPARE(boxes.seen[0].status, lastStatus);
        QTRY_VERIFY(!window.dialog->Runs().IsBusy());
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
        QVERIFY(service->Requests().empty());
        QCOMPARE(window.dialog->ResultList(static_cast<FunctionId>(function))->topLevelItemCount(), 0);
    }

    void traceRouteRunShowsEveryStatusAndRow()
    {
        CMessageBoxRecorder boxes;
        auto service = AnsweringService([](const CEchoRequest& request) {
            return request.ttl == std::uint8_t{1} ? ReplyFrom("10.1.0.1", 2) : ReplyFrom("10.2.0.2", 5);
        });
        CScriptedLookups lookups;
        lookups.addresses.insert(QStringLiteral("10.1.0.1"), QStringLiteral("gateway.example"));
        auto window = OpenIcmpWindow(service, lookups);
        SetTraceRoute(*window.dialog, QStringLiteral("10.2.0.2"), 15, true);
        CStatusLineRecorder status(*window.dialog);
        RUN_TO_END(*window.dialog, service);

        QStringList expected{"Trying to locating API functions", "Resolving 10.2.0.2",
                             "Reserving memory for reply buffer and option information",
                             "Opening TraceRoute service", "Looking for a second IP Address ..."};
        for (int hop : {1, 2})
            expected << QStringLiteral("Looking for host %1 ...").arg(hop)
                     << QStringLiteral("Looking for host %1 ... Got reply, resolving IP address ...").arg(hop)
                     << QStringLiteral("Looking for host %1 ... Got reply, resolving IP address ... Done").arg(hop);
        expected << QStringLiteral("Ready");
        QCOMPARE(status.Finish(), expected);

        const QTreeWidget* list = window.dialog->ResultList(FunctionId::TraceRoute);
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(RowTexts(list, 0), (QStringList{"1", "10.1.0.1", "gateway.example", "2 ms"}));
        QCOMPARE(RowTexts(list, 1), (QStringList{"2", "10.2.0.2", "Unavailable", "5 ms"}));
        QTRY_COMPARE(window.dialog->RunSummaryText(), QStringLiteral("2 hops, 2 answered, destination reached"));
        const auto requests = service->Requests();
        QCOMPARE(requests.size(), std::size_t{3});
        QCOMPARE(requests[0].dataSize, std::size_t{64});
        QCOMPARE(requests[0].ttl, std::nullopt);
        QCOMPARE(requests[0].timeoutMs, kSecondAddressTimeoutMs);
        for (std::uint8_t hop : {1, 2}) {
            QCOMPARE(requests[hop].dataSize, std::size_t{48});
            QVERIFY(requests[hop].allBytesAA);
            QCOMPARE(requests[hop].ttl, std::optional{hop});
            QCOMPARE(requests[hop].timeoutMs, 5000u);
            QCOMPARE(requests[hop].destination, Address("10.2.0.2"));
        }
        QVERIFY(boxes.Texts().isEmpty());
    }

    // The first probe answered from another address of the host: the trace ends
    // where that address answers.
    void traceRouteEndsAtTheSecondAddress()
    {
        auto service = AnsweringService([](const CEchoRequest& request) {
            if (!request.ttl || *request.ttl >= 2)
                return ReplyFrom("10.4.0.9");
            return ReplyFrom("10.4.0.1");
        });
        auto window = OpenIcmpWindow(service);
        SetTraceRoute(*window.dialog, QStringLiteral("10.4.0.4"), 15, false);
        RUN_TO_END(*window.dialog, service);
        const QTreeWidget* list = window.dialog->ResultList(FunctionId::TraceRoute);
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(RowTexts(list, 1).value(1), QStringLiteral("10.4.0.9"));
        QTRY_COMPARE(window.dialog->RunSummaryText(), QStringLiteral("2 hops, 2 answered, destination reached"));
    }

    void doubleClickLooksUpTheRowsAddress_data() { stopWhileRequestWaits_data(); }

    void doubleClickLooksUpTheRowsAddress()
    {
        QFETCH(int, function);
        const auto id = static_cast<FunctionId>(function);
        int pings = 0;
        auto service = AnsweringService([&pings](const CEchoRequest& sent) {
            if (sent.ttl)
                return *sent.ttl == 1 ? ReplyFrom("10.5.0.5", 1) : EchoReply{};
            if (sent.destination == Address("10.5.0.9"))
                return EchoReply{};
            return ++pings == 1 ? ReplyFrom("10.5.0.5", 1) : EchoReply{};
        });
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, QStringLiteral("10.5.0.5"), 2, 0, false);
        SetTraceRoute(*window.dialog, QStringLiteral("10.5.0.9"), 2, false);
        window.dialog->SelectFunction(id);
        RUN_TO_END(*window.dialog, service);
        QTreeWidget* list = window.dialog->ResultList(id);
        QCOMPARE(list->topLevelItemCount(), 2);

        // The second row got no response: nothing to look up.
        CBoxWitness boxes(*window.dialog);
        list->setCurrentItem(list->topLevelItem(1));
        Q_EMIT list->itemDoubleClicked(list->topLevelItem(1), 1);
        QCOMPARE(boxes.seen.size(), std::size_t{1});
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Sorry, cannot resolve this host"));
        QVERIFY(window.resolver->Requests().isEmpty());

        list->setCurrentItem(list->topLevelItem(0));
        Q_EMIT list->itemDoubleClicked(list->topLevelItem(0), 1);
        QCOMPARE(window.dialog->StatusText(), QStringLiteral("Resolving IP address 10.5.0.5"));
        QCOMPARE(window.resolver->Requests().size(), 1);
        const CScriptedRequest first = window.resolver->Requests().at(0);
        QVERIFY(first.bByAddress);
        QCOMPARE(first.address, Address("10.5.0.5"));
        QCOMPARE(first.nMessage, WM_APP_ADDRESS_RESOLVED);

        // Stop, and a second double-click: the first lookup's completion is stale.
        window.dialog->OnStop();
        Q_EMIT list->itemDoubleClicked(list->topLevelItem(0), 1);
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

        // A lookup that fails replaces the name by "Unavailable".
        Q_EMIT list->itemDoubleClicked(list->topLevelItem(0), 1);
        window.resolver->Complete(window.resolver->Requests().at(2).handle, kLookupHostNotFound);
        QTRY_COMPARE(list->topLevelItem(0)->text(2), QStringLiteral("Unavailable"));
        QCOMPARE(boxes.seen.size(), std::size_t{1});
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
        inputs.function = FunctionId::Ping;
        inputs.strHost = host;
        inputs.nPings = 1;
        inputs.preference = preference;
        window.dialog->Runs().Go(inputs);
        QTRY_COMPARE_WITH_TIMEOUT(service.use_count(), kHoldersWithoutWorker, 10000);
        QTRY_VERIFY(!window.dialog->Runs().IsBusy());
        QTreeWidget* list = window.dialog->ResultList(FunctionId::Ping);
        if (target.isEmpty()) {
            QCOMPARE(boxes.seen.size(), std::size_t{1});
            QCOMPARE(boxes.seen[0].text, QStringLiteral("Unable to resolve hostname"));
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

    void doubleClickLookupThatCannotStart()
    {
        auto service = AnsweringService([](const CEchoRequest&) { return ReplyFrom("10.6.0.6"); });
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, QStringLiteral("10.6.0.6"), 1, 0, false);
        RUN_TO_END(*window.dialog, service);
        QTreeWidget* list = window.dialog->ResultList(FunctionId::Ping);
        CBoxWitness boxes(*window.dialog);
        window.resolver->RefuseNextRequest();
        list->setCurrentItem(list->topLevelItem(0));
        Q_EMIT list->itemDoubleClicked(list->topLevelItem(0), 1);
        QCOMPARE(boxes.seen.size(), std::size_t{1});
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Unable to resolve IP Address"));
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
        QVERIFY(!window.dialog->Runs().HasPendingRequests());
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
        CStatusLineRecorder status(*window.dialog);
        RUN_TO_END(*window.dialog, service);
        const QTreeWidget* list = window.dialog->ResultList(FunctionId::TraceRoute);
        QCOMPARE(list->topLevelItemCount(), times.size());
        const QStringList texts = status.Finish();
        for (int row = 0; row < times.size(); ++row) {
            if (times.at(row) >= 0)
                continue;
            QCOMPARE(RowTexts(list, row), (QStringList{QString::number(row + 1), "", "No response from this host", ""}));
            QVERIFY(texts.contains(QStringLiteral("Looking for host %1 ... No reply!").arg(row + 1)));
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
        SetPing(dialog, QStringLiteral("10.6.1.1"), 1, 0, false);
        RUN_TO_END(dialog, service);
        const QString ping = QStringLiteral("1 sent, 1 received, 0% loss, min/avg/max 3.0/3.0/3.0 ms");
        QTRY_COMPARE(dialog.RunSummaryText(), ping);
        dialog.OnStop();
        QCOMPARE(dialog.RunSummaryText(), ping);

        SetTraceRoute(dialog, QStringLiteral("10.6.1.1"), 5, false);
        QCOMPARE(dialog.RunSummaryText(), QString());
        RUN_TO_END(dialog, service);
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
            WAIT_FOR_REQUESTS(service, request);
            service->ReleaseHeld();
        }
        QTRY_COMPARE(dialog.ResultList(FunctionId::TraceRoute)->topLevelItemCount(), 1);
        WAIT_FOR_REQUESTS(service, 7);
        dialog.OnStop();
        QCOMPARE(dialog.RunSummaryText(), QStringLiteral("1 hop, 1 answered, destination not reached"));

        dialog.OnClear();
        QCOMPARE(dialog.RunSummaryText(), QString());
        dialog.SelectFunction(FunctionId::Ping);
        QCOMPARE(dialog.RunSummaryText(), QString());
    }

    void barRects_data()
    {
        QTest::addColumn<int>("ms");
        QTest::addColumn<unsigned>("scaleMs");
        QTest::addColumn<int>("width");
        QTest::newRow("no response: no bar") << -1 << 40u << 0;
        QTest::newRow("the longest time: the whole cell") << 40 << 40u << 100;
        QTest::newRow("a quarter of the longest") << 10 << 40u << 25;
        QTest::newRow("0 ms: the shortest bar") << 0 << 40u << kShortestBarWidth;
        QTest::newRow("every time 0 ms") << 0 << 0u << kShortestBarWidth;
    }

    void barRects()
    {
        QFETCH(int, ms);
        QFETCH(unsigned, scaleMs);
        QFETCH(int, width);
        const QRect cell(10, 20, 100, 18);
        const QRect bar = ResponseTimeBarRect(cell, ms < 0 ? std::nullopt : std::optional<unsigned>(ms), scaleMs);
        QCOMPARE(bar.width(), width);
        QVERIFY(bar.isEmpty() || (bar.left() == cell.left() && cell.contains(bar)));
    }

    // The list as drawn: no bar for the row without response, and the first
    // row's bar against the longest time, which came after it.
    void barsFollowTheLongestTime()
    {
        auto service = AnsweringService(TimedReplies("10.0.2.2", {10, -1, 40}));
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, QStringLiteral("10.0.2.2"), 3, 0, false);
        RUN_TO_END(*window.dialog, service);
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
        QVERIFY(barAt(0, 0.0));
        QVERIFY(!barAt(0, 0.6));
        QVERIFY(!barAt(1, 0.0));
        QVERIFY(barAt(2, 0.0));
        QVERIFY(barAt(2, 0.9));
        QCOMPARE(RowTexts(list, 0).value(timeColumn), QStringLiteral("10 ms"));
    }

    void picturesOfTheBars_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("light") << false << QString();
        QTest::newRow("dark") << true << QStringLiteral("-dark");
    }

    void picturesOfTheBars()
    {
        QFETCH(bool, dark);
        QFETCH(QString, suffix);
        const CPictureLook look(dark);
        const QList<int> times{12, 35, -1, 80, 160, 240};
        auto pings = AnsweringService(TimedReplies("10.8.0.6", times));
        auto window = OpenIcmpWindow(pings);
        SetPing(*window.dialog, QStringLiteral("10.8.0.6"), unsigned(times.size()), 0, false);
        RUN_TO_END(*window.dialog, pings);
        QTRY_VERIFY(!window.dialog->RunSummaryText().isEmpty());
        SavePicture(window.dialog.get(), QStringLiteral("ping-bars%1.png").arg(suffix));
        window.dialog.reset();

        auto hops = AnsweringService(TimedHops(times));
        window = OpenIcmpWindow(hops);
        SetTraceRoute(*window.dialog, QStringLiteral("10.8.0.6"), 15, false);
        RUN_TO_END(*window.dialog, hops);
        QTRY_VERIFY(!window.dialog->RunSummaryText().isEmpty());
        SavePicture(window.dialog.get(), QStringLiteral("trace-bars%1.png").arg(suffix));
    }

    // The window goes while a hop probe waits on a minute's time-out: the
    // probe returns at once and its worker ends without touching the window.
    void closingTheWindowWakesTheWaitingWorker()
    {
        CMessageBoxRecorder boxes;
        auto service = AnsweringService(NoReply);
        auto window = OpenIcmpWindow(service);
        window.dialog->TraceRoutePage()->m_nTimeout = 60;
        SetTraceRoute(*window.dialog, QStringLiteral("10.7.0.7"), 15, false);
        service->HoldRequests(true);
        window.dialog->OnGo();
        WAIT_FOR_REQUESTS(service, 1);
        service->ReleaseHeld();
        WAIT_FOR_REQUESTS(service, 2);
        QCOMPARE(service->Requests().back().timeoutMs, 60000u);

        QVERIFY2(MillisecondsUntilWindowClosed(window, service) < 1000, "the worker waited for its request's time-out");
        QVERIFY(boxes.Texts().isEmpty());
    }
};

QTEST_MAIN(TestPingTrace)
#include "tst_pingtrace.moc"
