// SPDX-License-Identifier: GPL-3.0-or-later
// Ping and TraceRoute in the main window over a scripted echo service: the
// status line of whole runs, the rows, the probes' sizes and time-outs, Stop
// while a worker waits, the failure reports and their order against the end of
// the run, the double-click lookup and the summaries.

#include "support/IcmpWindowFixture.h"
#include "support/ScriptedEchoService.h"

#include "icmp/IcmpRun.h"

#include "mainwindow/ResponseTimeDelegate.h"
#include "mainwindow/ResultPane.h"
#include "mainwindow/RoundTripGraph.h"
#include "run/ResultColumns.h"
#include "run/RunView.h"
#include "settings/SettingsKeys.h"

#include "platform/MessageBox.h"
#include "resources/ResourceIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QtTest>

#include <arpa/inet.h>

using namespace netsonde;
using namespace netsonde::test;
using echo::EchoReply;
using State = ScriptedEchoService::State;

Q_DECLARE_METATYPE(AddressPreference)
Q_DECLARE_METATYPE(State)

namespace {

using Service = std::shared_ptr<ScriptedEchoService>;

Service AnsweringService(ScriptedEchoService::Responder responder, State state = State::Loaded)
{
    return std::make_shared<ScriptedEchoService>(std::move(responder), state);
}

IpAddress Address(const char* dotted)
{
    return IpAddress::FromIPv4(::inet_addr(dotted));
}

// Ping's n-th request is answered from its destination after times[n] ms; with `hops`, hop n
// answers from 10.8.0.n after times[n - 1] ms and the probe without a Ttl is not answered. -1: no reply.
ScriptedEchoService::Responder TimedReplies(const QList<int>& times, bool hops = false)
{
    auto next = std::make_shared<std::atomic<int>>(0);
    return [times, next, hops](const EchoRequest& sent) {
        const int ms = hops ? times.value(sent.ttl.value_or(0) - 1, -1) : times.value((*next)++, -1);
        if (ms < 0)
            return EchoReply{};
        const QString router = QStringLiteral("10.8.0.%1").arg(sent.ttl.value_or(0));
        return hops ? ReplyFrom(qPrintable(router), std::uint32_t(ms))
                    : EchoReply{1, sent.destination, std::uint32_t(ms)};
    };
}

// The worker has let go of the service: the test, the window and its Ping
// and TraceRoute hold it still.
constexpr long kHoldersWithoutWorker = 4;

// Go, then wait until the worker has let go. Its effects were posted before
// it let go; the end of the run they ask for follows them.
bool RunToEnd(MainDialog& dialog, const Service& service)
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

// What the window showed, in order: its status texts (one shown again right after
// itself noted once) and its message boxes, as "box: " and the text.
class ShownLog : public QObject {
public:
    explicit ShownLog(const MainDialog& dialog)
        : m_previous(SetMessageBoxHandler([this](const QString& text, MessageIcon icon) {
              QCOMPARE(icon, MessageIcon::Exclamation);
              m_texts << "box: " + text;
          }))
    {
        connect(&dialog, &MainDialog::statusTextShown, this, [this](const QString& text) {
            if (m_texts.isEmpty() || m_texts.constLast() != text)
                m_texts << text;
        });
    }
    ~ShownLog() override { SetMessageBoxHandler(m_previous); }
    const QStringList& Texts() const { return m_texts; }
    QStringList Boxes() const { return m_texts.filter(QStringLiteral("box: ")); }

private:
    QStringList m_texts;
    MessageBoxHandler m_previous;
};

// The first status texts of a run: up to the opening of its service.
QStringList Opening(FunctionId function, const QString& host)
{
    const bool ping = function == FunctionId::Ping;
    return {"Trying to locating API functions", "Resolving " + host,
            ping ? "Reserving memory for reply buffer" : "Reserving memory for reply buffer and option information",
            ping ? "Opening Ping service" : "Opening TraceRoute service"};
}

QString Hop(int hop, const QString& rest = {})
{
    return QString("Looking for host %1 ...%2").arg(hop).arg(rest);
}

} // namespace

class TestPingTrace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The trace of these tests is the one that waits for each hop in turn; runRowsSummaryAndStatuses
    // traces the other way too.
    void init()
    {
        ResetSettings();
        WriteFlagSetting(SettingKey::TraceRouteOneHopAtATime, true);
    }

    // Every number of the probes a run sends with the pages as they start out
    // (a pause: at least that long), and the service named on the page.
    void probesOfTheDefaultRuns()
    {
        for (const FunctionId id : {FunctionId::Ping, FunctionId::TraceRoute}) {
            const bool ping = id == FunctionId::Ping;
            auto service = AnsweringService(TimedReplies(ping ? QList<int>{1, 1, 1} : QList<int>{}));
            auto window = OpenIcmpWindow(service);
            window.dialog->Page(id)->HostCombo()->setCurrentText("10.9.0.9");
            window.dialog->SelectFunction(id);
            QVERIFY(RunToEnd(*window.dialog, service));
            const std::vector<EchoRequest> sent = service->Requests();
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
            QCOMPARE(window.dialog->Page(id)->toolTip(),
                     QStringLiteral("Ping and TraceRoute send their requests through:\n"
                                    "IPv4: scripted echo service\nIPv6: scripted echo service"));
        }
    }

    // A run by its replies' times (-1: none; see TimedReplies): its rows after the number (none:
    // the host is unresolvable), its summary and, where given, every status it showed. Names
    // are looked up only with Resolve on; "me" and "myself" are the local host; a pause comes
    // only between requests; the preference picks the target's family.
    void runRowsSummaryAndStatuses_data()
    {
        // clang-format off
        QTest::addColumn<FunctionId>("function");
        QTest::addColumn<QString>("host");
        QTest::addColumn<AddressPreference>("preference");
        QTest::addColumn<unsigned>("delay");
        QTest::addColumn<bool>("resolve");
        QTest::addColumn<QList<int>>("times");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("statuses");
        using Rows = QList<QStringList>;
        using Times = QList<int>;
        const auto ping = FunctionId::Ping, trace = FunctionId::TraceRoute;
        const auto v4 = AddressPreference::PreferIPv4, v6 = AddressPreference::PreferIPv6;
        const auto at = [](const char* address, int ms) { return QStringList{address, "", QString("%1 ms").arg(ms)}; };
        const QStringList none{"", "No response", ""}, silent{"", "No response from this host", ""};
        const QStringList local = at("127.0.0.1", 0), v6Target = at("fd00:7::7", 2);
        const char* h = "10.0.1.1";
        const QString one = "1 sent, 1 received, 0% loss, min/avg/max 2.0/2.0/2.0 ms";
        const QString waiting = "Waiting for response ...", looking = " Got reply, resolving IP address ...";
        QTest::newRow("Ping a name, resolved") << ping << "far.example" << v4 << 1u << true << Times{7, -1}
            << Rows{{"10.9.8.7", "far.example.net", "7 ms"}, none}
            << "2 sent, 1 received, 50% loss, min/avg/max 7.0/7.0/7.0 ms"
            << Opening(ping, "far.example") + QStringList{waiting, waiting + " Resolving IP Address ...",
                   waiting + " Resolving IP Address ... Done!", "Waiting for 1 ms", waiting, waiting + " No response!",
                   "Ready"};
        QTest::newRow("unknown name") << ping << h << v4 << 0u << true << Times{-1, 4, -1}
                                      << Rows{none, {h, "Unavailable", "4 ms"}, none}
                                      << "3 sent, 1 received, 67% loss, min/avg/max 4.0/4.0/4.0 ms" << QStringList{};
        QTest::newRow("nothing received") << ping << h << v4 << 0u << false << Times{-1, -1, -1}
                                          << Rows{none, none, none} << "3 sent, 0 received, 100% loss" << QStringList{};
        QTest::newRow("0 ms among others, an average between whole ms")
            << ping << h << v4 << 0u << false << Times{0, 1, -1, 4} << Rows{at(h, 0), at(h, 1), none, at(h, 4)}
            << "4 sent, 3 received, 25% loss, min/avg/max 0.0/1.7/4.0 ms" << QStringList{};
        QTest::newRow("me, one request") << ping << "me" << v4 << 1000u << false << Times{0} << Rows{local}
                                         << "1 sent, 1 received, 0% loss, min/avg/max 0.0/0.0/0.0 ms"
                                         << Opening(ping, "me") + QStringList{waiting, "Ready"};
        QTest::newRow("Myself, delay 0") << ping << "Myself" << v4 << 0u << false << Times{0, 0, 0}
                                         << Rows{local, local, local}
                                         << "3 sent, 3 received, 0% loss, min/avg/max 0.0/0.0/0.0 ms"
                                         << Opening(ping, "Myself") + QStringList{waiting, "Ready"};
        QTest::newRow("name with only IPv6") << ping << "v6only.example" << v4 << 0u << false << Times{2}
                                             << Rows{v6Target} << one << QStringList{};
        QTest::newRow("name with both, IPv6 preferred") << ping << "both.example" << v6 << 0u << false << Times{2}
                                                        << Rows{v6Target} << one << QStringList{};
        QTest::newRow("IPv4 only, name with only IPv6")
            << ping << "v6only.example" << AddressPreference::OnlyIPv4 << 0u << false << Times{2} << Rows{} << ""
            << QStringList{"Trying to locating API functions", "Resolving v6only.example",
                           "box: Unable to resolve hostname", "Ready"};
        QTest::newRow("TraceRoute, resolved, the typed address answers last")
            << trace << "10.8.0.3" << v4 << 0u << true << Times{2, -1, 5}
            << Rows{{"10.8.0.1", "gateway.example", "2 ms"}, silent, {"10.8.0.3", "Unavailable", "5 ms"}}
            << "3 hops, 2 answered, destination reached"
            << Opening(trace, "10.8.0.3") + QStringList{"Looking for a second IP Address ...", Hop(1), Hop(1, looking),
                   Hop(1, " Got reply, resolving IP address ... Done"), Hop(2), Hop(2, " No reply!"), Hop(3),
                   Hop(3, looking), Hop(3, " Got reply, resolving IP address ... Done"), "Ready"};
        QTest::newRow("a router answers last") << trace << "10.8.0.9" << v4 << 0u << false << Times{1, 2, 3}
                                               << Rows{at("10.8.0.1", 1), at("10.8.0.2", 2), at("10.8.0.3", 3)}
                                               << "3 hops, 3 answered, destination not reached" << QStringList{};
        QTest::newRow("the destination answers before the limit")
            << trace << "10.8.0.2" << v4 << 0u << false << Times{1, 2, 3, 4}
            << Rows{at("10.8.0.1", 1), at("10.8.0.2", 2)} << "2 hops, 2 answered, destination reached" << QStringList{};
        QTest::newRow("silent from hop 2 to the limit")
            << trace << "10.3.0.3" << v4 << 0u << false << Times{1, -1, -1, -1}
            << Rows{at("10.8.0.1", 1), silent, silent, silent} << "4 hops, 1 answered, destination not reached"
            << QStringList{};
        // clang-format on
    }

    void runRowsSummaryAndStatuses()
    {
        QFETCH(FunctionId, function);
        QFETCH(QString, host);
        QFETCH(QList<int>, times);
        QFETCH(QList<QStringList>, rows);
        QFETCH(QStringList, statuses);
        const IpAddress v6 = *ParseIpv6Literal("fd00:7::7");
        const QHash<QString, HostEntry> entries{{"far.example", {{}, {}, {Address("10.9.8.7")}}},
                                                {"v6only.example", {{}, {}, {v6}}},
                                                {"both.example", {{}, {}, {Address("10.7.0.7"), v6}}},
                                                {"10.9.8.7", {"far.example.net", {}, {}}},
                                                {"10.8.0.1", {"gateway.example", {}, {}}}};
        auto service = AnsweringService(TimedReplies(times, function == FunctionId::TraceRoute));
        auto window = OpenIcmpWindow(service, ScriptedLookups(entries));
        QFETCH(AddressPreference, preference);
        QFETCH(unsigned, delay);
        QFETCH(bool, resolve);
        SetPing(*window.dialog, host, unsigned(times.size()), delay, resolve);
        SetTraceRoute(*window.dialog, host, unsigned(times.size()), resolve);
        window.dialog->SelectFunction(function);
        RunInputs inputs = window.dialog->ReadInputs(function);
        inputs.preference = preference;
        const ShownLog shown(*window.dialog);
        // A trace with its hops probed together (silent hops with no later answer wait out a
        // second) gives the same rows and summary; asked for AS numbers, it shows their column,
        // empty for private addresses, which are never looked up.
        const bool trace = function == FunctionId::TraceRoute;
        for (const bool oneHopAtATime : trace ? QList<bool>{true, false} : QList<bool>{true}) {
            inputs.probeOneHopAtATime = oneHopAtATime;
            inputs.timeout = oneHopAtATime ? inputs.timeout : 1;
            inputs.showAsNumbers = !oneHopAtATime;
            window.dialog->Runs().Go(inputs);
            QTRY_COMPARE_WITH_TIMEOUT(service.use_count(), kHoldersWithoutWorker, 10000);
            QTRY_VERIFY(!window.dialog->Runs().IsBusy());
            const QTreeWidget* list = window.dialog->ResultList(function);
            const int asColumn = ColumnIndex(ResultColumn::AutonomousSystem);
            QCOMPARE(list->isColumnHidden(asColumn), oneHopAtATime);
            QCOMPARE(list->topLevelItemCount(), rows.size());
            for (int row = 0; row < rows.size(); ++row) {
                QCOMPARE(RowTexts(list, row), QStringList{QString::number(row + 1)} + rows.at(row));
                QCOMPARE(list->topLevelItem(row)->text(asColumn), QString());
            }
            QTEST(window.dialog->RunSummaryText(), "summary");
            if (!statuses.isEmpty() && oneHopAtATime)
                QCOMPARE(shown.Texts(), statuses);
        }
        QCOMPARE(window.dialog->Page(function)->RecentHosts().value(0), host);
        QCOMPARE(shown.Boxes(), statuses.filter(QStringLiteral("box: ")));
    }

    void stopWhileRequestWaits_data()
    {
        // clang-format off
        QTest::addColumn<FunctionId>("function");
        QTest::addColumn<int>("probesBefore");
        QTest::addColumn<bool>("together");
        QTest::newRow("Ping") << FunctionId::Ping << 0 << false;
        // TraceRoute's first probe looks for a second address on a time-out of its own.
        QTest::newRow("TraceRoute") << FunctionId::TraceRoute << 1 << false;
        // All five hops and the second address's probe wait together.
        QTest::newRow("TraceRoute, hops together") << FunctionId::TraceRoute << 5 << true;
        // clang-format on
    }

    // A request held on a minute's time-out: Stop wakes it, the worker lets go
    // at once, no row is added and the window is idle. Twenty more runs stopped
    // the same way leave no worker and no thread behind (the first run starts
    // what Qt keeps).
    void stopWhileRequestWaits()
    {
        QFETCH(FunctionId, function);
        QFETCH(int, probesBefore);
        QFETCH(bool, together);
        WriteFlagSetting(SettingKey::TraceRouteOneHopAtATime, !together);
        auto service = AnsweringService(TimedReplies({1}));
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, QStringLiteral("10.0.0.3"), 3, 0, false, 60);
        SetTraceRoute(*window.dialog, QStringLiteral("10.0.0.3"), 5, false, 60);
        window.dialog->SelectFunction(function);
        service->HoldRequests(true);
        window.dialog->OnGo();
        for (int probe = 1; probe <= probesBefore && !together; ++probe) {
            QVERIFY(WaitForRequests(service, std::size_t(probe)));
            service->ReleaseHeld();
        }
        QVERIFY(WaitForRequests(service, std::size_t(probesBefore + 1)));
        QCOMPARE(service->Requests().back().timeoutMs, together ? 0u : 60000u);

        const qint64 ms = MillisecondsUntilReleased([&] { window.dialog->OnStop(); },
                                                    [&] { return service.use_count() == kHoldersWithoutWorker; });
        qInfo("worker let go %lld ms after Stop", ms);
        QVERIFY2(ms < 50, "Stop did not wake the waiting request");
        QVERIFY(Control<QPushButton>(window.dialog.get(), kGoControl)->isEnabled());
        QVERIFY(window.dialog->Page(function)->HostCombo()->isEnabled());
        QCoreApplication::processEvents();
        QCOMPARE(service->Requests().size(), std::size_t(probesBefore + 1));
        QCOMPARE(window.dialog->ResultList(function)->topLevelItemCount(), 0);
        QCOMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));

        QTRY_COMPARE(window.dialog->Runs().WorkerCount(), std::size_t{0});
        const qsizetype threadsBefore = ThreadCount();
        for (std::size_t run = 1; run <= 20; ++run) {
            window.dialog->OnGo();
            const std::size_t perRun = together ? std::size_t(probesBefore + 1) : 1;
            QVERIFY(WaitForRequests(service, std::size_t(probesBefore + 1) + perRun * run));
            window.dialog->OnStop();
        }
        QTRY_COMPARE(window.dialog->Runs().WorkerCount(), std::size_t{0});
        QTRY_VERIFY2(ThreadCount() <= threadsBefore, qPrintable(QString::number(ThreadCount())));
    }

    void repeatedTrace_data()
    {
        // clang-format off
        QTest::addColumn<bool>("oneHopAtATime");
        QTest::newRow("hops together") << false;
        QTest::newRow("one hop at a time") << true;
        // clang-format on
    }

    // Three rounds to 10.8.0.3: hop n's k-th probe answers after n x k ms, but
    // hop 2's second is lost. The statistics columns show, each hop's row keeps
    // its latest answer. Then Repeat probes until Stop, which ends it at once.
    void repeatedTrace()
    {
        QFETCH(bool, oneHopAtATime);
        auto probes = std::make_shared<std::array<std::atomic<int>, 4>>();
        auto service = AnsweringService([probes](const EchoRequest& sent) {
            const int hop = sent.ttl.value_or(0);
            const int probe = hop >= 1 && hop <= 3 ? ++(*probes)[std::size_t(hop)] : 0;
            if (probe == 0 || (hop == 2 && probe == 2))
                return EchoReply{};
            return ReplyFrom(qPrintable(QString("10.8.0.%1").arg(hop)), std::uint32_t(hop * probe));
        });
        auto window = OpenIcmpWindow(service);
        SetTraceRoute(*window.dialog, "10.8.0.3", 5, false, 1);
        RunInputs inputs = window.dialog->ReadInputs(FunctionId::TraceRoute);
        std::tie(inputs.rounds, inputs.roundIntervalMs, inputs.probeOneHopAtATime) = std::tuple(3u, 50u, oneHopAtATime);
        window.dialog->Runs().Go(inputs);
        QTRY_VERIFY_WITH_TIMEOUT(!window.dialog->Runs().IsBusy(), 10000);
        const QTreeWidget* list = window.dialog->ResultList(FunctionId::TraceRoute);
        QVERIFY(!list->isColumnHidden(ColumnIndex(ResultColumn::StandardDeviation)));
        const QList<QStringList> expected{{"10.8.0.1", "3 ms", "0.0%", "3", "3.0", "2.0", "1.0", "3.0", "1.0"},
                                          {"10.8.0.2", "6 ms", "33.3%", "3", "6.0", "4.0", "2.0", "6.0", "2.8"},
                                          {"10.8.0.3", "9 ms", "0.0%", "3", "9.0", "6.0", "3.0", "9.0", "3.0"}};
        QCOMPARE(list->topLevelItemCount(), 3);
        for (int row = 0; row < 3; ++row) {
            QStringList cells{list->topLevelItem(row)->text(ColumnIndex(ResultColumn::Address))};
            for (int column = ColumnIndex(ResultColumn::ResponseTime); column < kResultColumnCount; ++column)
                cells << list->topLevelItem(row)->text(column);
            cells.removeAt(2); // the AS column, not shown
            QCOMPARE(cells, expected.at(row));
        }

        window.dialog->TraceRouteTab()->m_repeat = true;
        window.dialog->TraceRouteTab()->DoDataExchange(false);
        window.dialog->OnGo();
        const auto sent = [list] { return list->topLevelItem(0)->text(ColumnIndex(ResultColumn::Sent)); };
        QVERIFY(QTest::qWaitFor([&] { return list->topLevelItemCount() == 3 && sent() == "2"; }, 10000));
        const qint64 ms = MillisecondsUntilReleased([&] { window.dialog->OnStop(); },
                                                    [&] { return service.use_count() == kHoldersWithoutWorker; });
        QVERIFY2(ms < 50, qPrintable(QString::number(ms)));
        QCOMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
    }

    void failuresReport_data()
    {
        // clang-format off
        QTest::addColumn<FunctionId>("function");
        QTest::addColumn<QString>("host");
        QTest::addColumn<State>("state");
        QTest::addColumn<QStringList>("shown");
        const auto ping = FunctionId::Ping, trace = FunctionId::TraceRoute;
        const auto refused = State::HandleRefused, none = State::NotLoaded;
        const QStringList noApi{"Trying to locating API functions", "Ready",
                                "box: Cannot locate the required API functions in ICMP.DLL."};
        // A host can still arrive without a service, from the command line or the phonebook.
        QTest::newRow("Ping, no service") << ping << "10.0.0.5" << none << noApi;
        QTest::newRow("TraceRoute, no service") << trace << "10.0.0.5" << none << noApi;
        QTest::newRow("Ping, no handle")
            << ping << "10.0.0.6" << refused
            << Opening(ping, "10.0.0.6") + QStringList{"box: Unable to access Ping service!", "Ready"};
        QTest::newRow("TraceRoute, no handle")
            << trace << "10.0.0.6" << refused
            << Opening(trace, "10.0.0.6") + QStringList{"box: Unable to access TraceRoute service!", "Ready"};
        QTest::newRow("Ping, IPv6 without its socket")
            << ping << "fd00::6" << State::OnlyIPv4
            << Opening(ping, "fd00::6") + QStringList{"box: Unable to access Ping service! scripted: no ICMPv6 socket "
                                                      "(ping_group_range, setcap cap_net_raw+ep)", "Ready"};
        // clang-format on
    }

    // A failure of a loaded service is reported while the run still shows busy,
    // and the end-run step follows; without a service the run ends first, and
    // the page says why.
    void failuresReport()
    {
        QFETCH(FunctionId, function);
        QFETCH(QString, host);
        QFETCH(State, state);
        auto service = AnsweringService(TimedReplies({}), state);
        auto window = OpenIcmpWindow(service);
        const bool loaded = state != State::NotLoaded;
        const PropertyPage* page = window.dialog->Page(function);
        const QString none = "scripted: no ICMP%1 socket (ping_group_range, setcap cap_net_raw+ep)";
        QCOMPARE(page->HostCombo()->toolTip(), loaded ? QString()
                                                      : "Ping and TraceRoute need an ICMP socket, and none "
                                                        "can be opened here. IPv4: "
                                                            + none.arg("") + "\r\nIPv6: " + none.arg("v6"));
        SetPing(*window.dialog, host, 1, 0);
        SetTraceRoute(*window.dialog, host, 1);
        window.dialog->SelectFunction(function);
        const ShownLog shown(*window.dialog);
        QVERIFY(RunToEnd(*window.dialog, service));
        QTRY_VERIFY(!window.dialog->Runs().IsBusy());
        QTEST(shown.Texts(), "shown");
        QVERIFY(service->Requests().empty());
        QCOMPARE(window.dialog->ResultList(function)->topLevelItemCount(), 0);
        QCOMPARE(page->HostCombo()->isEnabled(), loaded);
    }

    void doubleClickLooksUpTheRowsAddress_data()
    {
        // clang-format off
        QTest::addColumn<FunctionId>("function");
        QTest::addColumn<QString>("address");
        QTest::newRow("TraceRoute") << FunctionId::TraceRoute << "10.5.0.5";
        QTest::newRow("Ping, IPv6") << FunctionId::Ping << "fd00:5::5";
        // clang-format on
    }

    // Only a row with a response can be looked up; Stop makes a pending
    // lookup's completion stale; a failed lookup shows "Unavailable", and a
    // lookup that cannot start is reported.
    void doubleClickLooksUpTheRowsAddress()
    {
        QFETCH(FunctionId, function);
        QFETCH(QString, address);
        const QByteArray answerer = address.toLatin1();
        auto pings = std::make_shared<int>(0);
        // Hop 1 and the first ping answer; TraceRoute's host does not.
        auto service = AnsweringService([answerer, pings](const EchoRequest& sent) {
            const bool answers = sent.ttl ? *sent.ttl == 1 : sent.destination != Address("10.5.0.9") && ++*pings == 1;
            return answers ? ReplyFrom(answerer.constData(), 1) : EchoReply{};
        });
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, address, 2, 0);
        SetTraceRoute(*window.dialog, QStringLiteral("10.5.0.9"), 2);
        window.dialog->SelectFunction(function);
        QVERIFY(RunToEnd(*window.dialog, service));
        QTreeWidget* list = window.dialog->ResultList(function);
        QCOMPARE(list->topLevelItemCount(), 2);
        const auto doubleClick = [list](int row) {
            list->setCurrentItem(list->topLevelItem(row));
            Q_EMIT list->itemDoubleClicked(list->topLevelItem(row), 1);
        };

        const ShownLog shown(*window.dialog);
        doubleClick(1);
        QCOMPARE(shown.Boxes(), QStringList{"box: Sorry, cannot resolve this host"});
        QVERIFY(window.resolver->Requests().isEmpty());

        doubleClick(0);
        QCOMPARE(window.dialog->StatusText(), "Resolving IP address " + address);
        QCOMPARE(window.resolver->Requests().size(), 1);
        const ScriptedRequest first = window.resolver->Requests().at(0);
        QVERIFY(first.byAddress);
        QCOMPARE(first.address, *ParseAddressLiteral(address.toStdString()));

        window.dialog->OnStop();
        doubleClick(0);
        QCOMPARE(window.resolver->Requests().size(), 2);
        const HostEntry stale{QStringLiteral("stale.example"), {}, {}};
        first.done(first.handle, stale);
        QCOMPARE(list->topLevelItem(0)->text(2), QString());
        QCOMPARE(window.dialog->StatusText(), "Resolving IP address " + address);

        const HostEntry found{QStringLiteral("found.example"), {}, {}};
        window.resolver->Complete(window.resolver->Requests().at(1).handle, kLookupSucceeded, found);
        QTRY_COMPARE(list->topLevelItem(0)->text(2), QStringLiteral("found.example"));
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
        QVERIFY(list->isEnabled());

        doubleClick(0);
        window.resolver->Complete(window.resolver->Requests().at(2).handle, kLookupHostNotFound);
        QTRY_COMPARE(list->topLevelItem(0)->text(2), QStringLiteral("Unavailable"));
        QCOMPARE(shown.Boxes().size(), 1);

        window.resolver->RefuseNextRequest();
        doubleClick(0);
        QCOMPARE(shown.Boxes().value(1), QStringLiteral("box: Unable to resolve IP Address"));
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
        QVERIFY(!window.dialog->Runs().HasPendingRequests());
    }

    // Stop in Ping's pause ends the run long before the pause would, and nothing more is sent.
    // Each function shows its own summary; an idle Stop keeps it; the next run
    // of the function takes it away, a stopped trace did not reach its
    // destination, and Clear takes every summary away. The trace's first probe
    // is answered from another address of the host: the trace ends where that
    // address answers.
    void summaryBelongsToItsFunction()
    {
        auto service = AnsweringService([](const EchoRequest& request) {
            return request.ttl == std::uint8_t{1} ? ReplyFrom("10.6.0.1", 1) : ReplyFrom("10.6.1.1", 3);
        });
        auto window = OpenIcmpWindow(service);
        MainDialog& dialog = *window.dialog;
        SetPing(dialog, QStringLiteral("10.6.1.1"), 3, 10000);
        dialog.OnGo();
        QTRY_COMPARE(dialog.StatusText(), QStringLiteral("Waiting for 10000 ms"));
        dialog.OnStop();
        QTRY_COMPARE_WITH_TIMEOUT(service.use_count(), kHoldersWithoutWorker, 5000);
        QCOMPARE(service->Requests().size(), std::size_t{1});
        QCOMPARE(dialog.ResultList(FunctionId::Ping)->topLevelItemCount(), 1);
        QTRY_COMPARE(dialog.StatusText(), QStringLiteral("Ready"));
        const QString ping = QStringLiteral("1 sent, 1 received, 0% loss, min/avg/max 3.0/3.0/3.0 ms");
        QTRY_COMPARE(dialog.RunSummaryText(), ping);
        dialog.OnStop();
        QCOMPARE(dialog.RunSummaryText(), ping);

        SetTraceRoute(dialog, QStringLiteral("10.6.1.9"), 5);
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

    // Until stopped, Ping goes on past its Number of Pings (disabled meanwhile) until Stop. The
    // list keeps the newest rows, numbered on; the summary, live while it runs, and the graph,
    // which the Graph box swaps for the list, cover the whole run.
    void untilStoppedKeepsTheNewestRows()
    {
        auto service = AnsweringService([](const EchoRequest& sent) { return EchoReply{1, sent.destination, 2}; });
        auto window = OpenIcmpWindow(service);
        MainDialog& dialog = *window.dialog;
        dialog.PingTab()->m_untilStopped = true;
        SetPing(dialog, QStringLiteral("10.0.4.4"), 3, 0);
        QVERIFY(!Control<QWidget>(dialog.PingTab(), kPingCountControl)->isEnabled());
        ResultPane* pane = dialog.ResultPaneOf(FunctionId::Ping);
        pane->GraphBox()->setChecked(true);
        dialog.OnGo();
        QVERIFY(WaitForRequests(service, kMaxPingRows + 100));
        QTRY_VERIFY(dialog.RunSummaryText().endsWith(QStringLiteral(" received, 0% loss, min/avg/max 2.0/2.0/2.0 ms")));
        dialog.OnStop();
        QTRY_COMPARE_WITH_TIMEOUT(service.use_count(), kHoldersWithoutWorker, 10000);
        QTRY_VERIFY(!dialog.Runs().IsBusy());
        QVERIFY(!Control<QWidget>(dialog.PingTab(), kPingCountControl)->isEnabled());
        const qint64 sent = pane->Probes().StatisticsOf(0).Sent();
        const QTreeWidget* list = pane->List();
        QCOMPARE(list->topLevelItemCount(), kMaxPingRows);
        QCOMPARE(list->topLevelItem(0)->text(0), QString::number(sent - kMaxPingRows + 1));
        QCOMPARE(list->topLevelItem(kMaxPingRows - 1)->text(0), QString::number(sent));
        QCOMPARE(dialog.RunSummaryText(),
                 QStringLiteral("%1 sent, %1 received, 0% loss, min/avg/max 2.0/2.0/2.0 ms").arg(sent));
        QCOMPARE(qint64(pane->Probes().SeriesOf(0)->Count()), std::min<qint64>(sent, kRoundTripSeriesCapacity));
        QVERIFY(pane->Graph()->isVisibleTo(pane) && !list->isVisibleTo(pane));
        pane->GraphBox()->setChecked(false);
        QVERIFY(!pane->Graph()->isVisibleTo(pane) && list->isVisibleTo(pane));
    }

    // The list as drawn: no bar for the row without response, and the first row's bar against
    // the longest time, which came after it. Widening the window then gives both Address
    // columns room for the longest IPv6 address, and no more; the other columns keep their widths.
    void listAsDrawn()
    {
        auto service = AnsweringService(TimedReplies({10, -1, 40}));
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, QStringLiteral("10.0.2.2"), 3, 0);
        QVERIFY(RunToEnd(*window.dialog, service));
        QTreeWidget* list = window.dialog->ResultList(FunctionId::Ping);
        QTRY_VERIFY(list->isEnabled());
        const int timeColumn = ColumnIndex(ResultColumn::ResponseTime);
        const auto* delegate = qobject_cast<ResponseTimeDelegate*>(list->itemDelegateForColumn(timeColumn));
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

        const int hostName = list->header()->sectionSize(ColumnIndex(ResultColumn::HostName));
        const int longest = QFontMetrics(list->font()).horizontalAdvance(kLongestAddressSample) + 15;
        QVERIFY(list->header()->sectionSize(ColumnIndex(ResultColumn::Address)) < longest);
        window.dialog->resize(window.dialog->width() + 20, window.dialog->height());
        window.dialog->resize(window.dialog->width() + 1000, window.dialog->height());
        for (FunctionId id : {FunctionId::Ping, FunctionId::TraceRoute})
            QCOMPARE(window.dialog->ResultList(id)->header()->sectionSize(ColumnIndex(ResultColumn::Address)), longest);
        QCOMPARE(list->header()->sectionSize(ColumnIndex(ResultColumn::HostName)), hostName);
    }
};

QTEST_MAIN(TestPingTrace)
#include "tst_pingtrace.moc"
