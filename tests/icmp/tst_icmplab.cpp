// SPDX-License-Identifier: GPL-3.0-or-later
// Ping and TraceRoute in the main window over the real echo service, through
// the routers of the namespace lab, with each socket kind forced in turn; and
// Ping against echo peers of the test's own: a destination that answers after
// a chosen delay, and another program on the same machine whose echo traffic
// arrives while Ping waits for its own answers.

#include "icmp/IcmpWindowFixture.h"
#include "icmp/LabEchoPeers.h"
#include "netns/LabEnvironment.h"

#include "platform/MessageBox.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

using namespace netsonde;
using namespace netsonde::test;
using echo::EchoSocketChoice;

Q_DECLARE_METATYPE(EchoSocketChoice)
Q_DECLARE_METATYPE(IpFamily)

namespace {

// A lab address of the family: NETSONDE_LAB_DESTINATION6, NETSONDE_LAB_ROUTER1_6.
QString LabText(const char* variable, IpFamily family = IpFamily::IPv4)
{
    QByteArray name(variable);
    if (family == IpFamily::IPv6)
        name += std::isdigit(static_cast<unsigned char>(name.back())) ? "_6" : "6";
    return QString::fromLatin1(qgetenv(name.constData()));
}

// The hop addresses that traceroute lists (one probe per hop, numeric);
// none when it cannot be run.
std::optional<QStringList> SystemTraceRoute(const QString& destination, IpFamily family)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("traceroute"));
    if (program.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(program, {family == IpFamily::IPv6 ? "-6" : "-4", "-I", "-n", "-q", "1", "-w", "2", destination});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return std::nullopt;
    QStringList hops;
    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    for (const QByteArray& line : lines.mid(1)) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 2)
            hops << QString::fromLatin1(fields[1]);
    }
    return hops;
}

// Sockets open in the process: descriptors that link to "socket:[inode]".
qsizetype SocketCount()
{
    qsizetype sockets = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        if (std::filesystem::read_symlink(entry.path(), error).string().starts_with("socket:["))
            ++sockets;
    }
    return sockets;
}

} // namespace

// The window over the row's socket kind, message boxes noted in `boxes`.
#define OPEN_LAB_WINDOW(window)                                                                         \
    QFETCH(EchoSocketChoice, choice);                                                                   \
    QFETCH(IpFamily, family);                                                                           \
    CMessageBoxRecorder boxes;                                                                          \
    const auto service = echo::LoadEchoService(choice);                                                 \
    QVERIFY2(service->IsLoaded(family), service->Description(family).c_str());                         \
    auto window = OpenIcmpWindow(service)

#define RUN_TO_END(window, ms)                                                                          \
    (window).dialog->OnGo();                                                                            \
    QTRY_VERIFY_WITH_TIMEOUT(!(window).dialog->Runs().IsBusy(), ms)

class TestIcmpLab : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    // The hops agree with the system's traceroute, where it is installed.
    void traceRouteListsTheRoutersAndStopsAtTheHost_data() { AddKinds(true); }
    void traceRouteListsTheRoutersAndStopsAtTheHost()
    {
        OPEN_LAB_WINDOW(window);
        SetTraceRoute(*window.dialog, LabText("NETSONDE_LAB_DESTINATION", family), 15, false, 5);
        RUN_TO_END(window, 30000);
        const QTreeWidget* list = window.dialog->ResultList(FunctionId::TraceRoute);
        QCOMPARE(list->topLevelItemCount(), 3);
        const char* hops[] = {"NETSONDE_LAB_ROUTER1", "NETSONDE_LAB_ROUTER2", "NETSONDE_LAB_DESTINATION"};
        QStringList listed;
        for (int row = 0; row < 3; ++row) {
            const QStringList cells = RowTexts(list, row);
            QCOMPARE(cells.mid(0, 3), (QStringList{QString::number(row + 1), LabText(hops[row], family), ""}));
            QVERIFY2(RoundTripMsOf(cells.value(3)) >= 0 && RoundTripMsOf(cells.value(3)) < 5000, qPrintable(cells[3]));
            listed << cells.value(1);
        }
        QVERIFY(boxes.Texts().isEmpty());
        const std::optional<QStringList> system = SystemTraceRoute(LabText("NETSONDE_LAB_DESTINATION", family), family);
        if (!system)
            QSKIP("traceroute is not installed or cannot run here: no comparison with it");
        QCOMPARE(*system, listed);
    }

    void pingGivesRowsWithPlausibleTimes_data() { AddKinds(true); }
    void pingGivesRowsWithPlausibleTimes()
    {
        OPEN_LAB_WINDOW(window);
        SetPing(*window.dialog, LabText("NETSONDE_LAB_DESTINATION", family), 3, 10, false, 5);
        QElapsedTimer timer;
        timer.start();
        RUN_TO_END(window, 30000);
        const QTreeWidget* list = window.dialog->ResultList(FunctionId::Ping);
        QCOMPARE(list->topLevelItemCount(), 3);
        for (int row = 0; row < 3; ++row) {
            const QStringList cells = RowTexts(list, row);
            QCOMPARE(cells.value(1), LabText("NETSONDE_LAB_DESTINATION", family));
            // No reply can take longer than the whole run did.
            const int ms = RoundTripMsOf(cells.value(3));
            QVERIFY2(ms >= 0 && ms <= timer.elapsed(), qPrintable(cells.value(3)));
        }
    }

    // Each Stop comes while a Ping probe to the silent address waits on a
    // minute's time-out: its worker is joined at once, and no thread or
    // socket is left behind (the first run opens what stays for the next).
    void stopReleasesTheWaitingProbe_data() { AddKinds(false); }
    void stopReleasesTheWaitingProbe()
    {
        OPEN_LAB_WINDOW(window);
        SetPing(*window.dialog, LabText("NETSONDE_LAB_SILENT", family), 3, 10, false, 60);
        qsizetype threadsBefore = 0;
        qsizetype socketsBefore = 0;
        std::vector<qint64> releaseMs;
        for (int run = 0; run <= 20; ++run) {
            window.dialog->OnGo();
            QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Waiting for response ..."));
            QTest::qWait(100); // the probe is under way
            releaseMs.push_back(MillisecondsUntilReleased([&] { window.dialog->OnStop(); },
                                                          [&] { return window.dialog->Runs().WorkerCount() == 0; }));
            QVERIFY2(releaseMs.back() < 1000, "Stop did not wake the waiting probe");
            if (run == 0) {
                threadsBefore = ThreadCount();
                socketsBefore = SocketCount();
            }
        }
        // The typical Stop: a busy machine may delay one now and then.
        std::ranges::sort(releaseMs);
        const qint64 medianMs = releaseMs[releaseMs.size() / 2];
        qInfo("release after Stop: median %lld ms, slowest %lld ms", medianMs, releaseMs.back());
        QVERIFY(medianMs < 50);
        QTRY_VERIFY2(ThreadCount() <= threadsBefore, qPrintable(QString::number(ThreadCount())));
        QCOMPARE(SocketCount(), socketsBefore);
        QVERIFY(boxes.Texts().isEmpty());
    }

    void pingTimesFollowTheAnswerDelay_data()
    {
        QTest::addColumn<EchoSocketChoice>("choice");
        QTest::addColumn<IpFamily>("family");
        QTest::addColumn<int>("delayMs");
        for (const int delay : {40, 120}) {
            QTest::addRow("datagram, %d ms", delay) << EchoSocketChoice::DatagramOnly << IpFamily::IPv4 << delay;
            QTest::addRow("raw, %d ms", delay) << EchoSocketChoice::RawOnly << IpFamily::IPv4 << delay;
        }
    }
    // Every reply left the destination no sooner than the delay after the request
    // came in, so a time below it is wrong; the upper bound only keeps out nonsense.
    void pingTimesFollowTheAnswerDelay()
    {
        QFETCH(int, delayMs);
        OPEN_LAB_WINDOW(window);
        const CDelayedEchoResponder responder(LabText("NETSONDE_LAB_NS_DESTINATION"),
                                              std::chrono::milliseconds(delayMs));
        QVERIFY2(responder.IsRunning(), "the responder could not start in the destination namespace");
        SetPing(*window.dialog, LabText("NETSONDE_LAB_DESTINATION"), 4, 0, false, 5);
        RUN_TO_END(window, 30000);
        const QTreeWidget* list = window.dialog->ResultList(FunctionId::Ping);
        QCOMPARE(list->topLevelItemCount(), 4);
        QStringList times;
        for (int row = 0; row < 4; ++row) {
            const QStringList cells = RowTexts(list, row);
            QCOMPARE(cells.value(1), LabText("NETSONDE_LAB_DESTINATION"));
            const int rtt = RoundTripMsOf(cells.value(3));
            QVERIFY2(rtt >= delayMs && rtt <= delayMs + 50, qPrintable(cells.value(3)));
            times << cells.value(3);
        }
        qInfo("answers delayed by %d ms: %s", delayMs, qPrintable(times.join(QStringLiteral(", "))));
        QCOMPARE(responder.Answered(), 4);
        QVERIFY(boxes.Texts().isEmpty());
    }

    // Ping waits on the silent address while another program's requests to the
    // destination draw thousands of echo replies into the same machine, with
    // sequence numbers that run through every value: each is somebody else's.
    void pingTakesNoReplyOfAnotherProgram_data() { AddKinds(false); }
    void pingTakesNoReplyOfAnotherProgram()
    {
        OPEN_LAB_WINDOW(window);
        const CEchoRequestFlood other(LabText("NETSONDE_LAB_NS_SOURCE"), LabAddress("NETSONDE_LAB_DESTINATION"), 8);
        QVERIFY2(other.IsRunning(), "the other program's socket could not be opened");
        QTRY_VERIFY_WITH_TIMEOUT(other.Replies() > 0, 10000);
        SetPing(*window.dialog, LabText("NETSONDE_LAB_SILENT"), 3, 0, false, 3);
        const int repliesBefore = other.Replies();
        RUN_TO_END(window, 30000);
        QVERIFY2(other.Replies() > repliesBefore, "no reply of the other program arrived during the run");
        qInfo("the other program sent %d requests and got %d replies", other.Sent(), other.Replies());
        const QTreeWidget* list = window.dialog->ResultList(FunctionId::Ping);
        QCOMPARE(list->topLevelItemCount(), 3);
        for (int row = 0; row < 3; ++row)
            QCOMPARE(RowTexts(list, row), (QStringList{QString::number(row + 1), "", "No response", ""}));
        QVERIFY(boxes.Texts().isEmpty());
    }

private:
    // Each socket kind over IPv4, and over IPv6 too when asked.
    static void AddKinds(bool withIPv6)
    {
        QTest::addColumn<EchoSocketChoice>("choice");
        QTest::addColumn<IpFamily>("family");
        for (IpFamily family : {IpFamily::IPv4, IpFamily::IPv6}) {
            if (family == IpFamily::IPv6 && !withIPv6)
                break;
            const char* suffix = family == IpFamily::IPv6 ? ", IPv6" : "";
            QTest::addRow("datagram%s", suffix) << EchoSocketChoice::DatagramOnly << family;
            QTest::addRow("raw%s", suffix) << EchoSocketChoice::RawOnly << family;
        }
    }
};

int main(int argc, char** argv)
{
    netsonde::test::RunInsideLab(argc, argv);
    QApplication application(argc, argv);
    TestIcmpLab test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_icmplab.moc"
