// SPDX-License-Identifier: GPL-3.0-or-later
// The echo service against real routers and hosts of the namespace lab, with each
// socket kind forced in turn.

#include "netns/LabEnvironment.h"
#include "platform/echo/EchoPacket.h"
#include "platform/echo/EchoService.h"
#include "platform/echo/ShutdownSignal.h"

#include <QtTest>

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

using namespace netsonde::echo;
using netsonde::test::LabAddress;
using netsonde::CIpAddress;
using netsonde::IpAddressText;

Q_DECLARE_METATYPE(EchoSocketChoice)

namespace {

const std::vector<std::uint8_t> kPingData(64, 0xAA);
const std::vector<std::uint8_t> kHopData(48, 0xAA);
const char* const kPingGroupRange = "/proc/sys/net/ipv4/ping_group_range";

struct TimedReply {
    EchoReply reply;
    qint64 elapsedMs = 0;
};

TimedReply TimedSend(EchoHandle& handle, const CIpAddress& destination, std::span<const std::uint8_t> data,
                     std::optional<std::uint8_t> ttl, std::uint32_t timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    const EchoReply reply = handle.SendEcho(destination, data, ttl, timeoutMs);
    return {reply, timer.elapsed()};
}

QByteArray Dotted(const CIpAddress& address)
{
    return QByteArray::fromStdString(IpAddressText(address));
}

CIpAddress LabIp(const char* variable)
{
    return CIpAddress::FromIPv4(LabAddress(variable));
}

bool WriteSysctl(const char* path, const char* value)
{
    std::ofstream file(path);
    file << value;
    file.close();
    return !file.fail();
}

void AddKindRows(const char* column)
{
    QTest::addColumn<EchoSocketChoice>(column);
    QTest::newRow("datagram") << EchoSocketChoice::DatagramOnly;
    QTest::newRow("raw") << EchoSocketChoice::RawOnly;
}

} // namespace

#define LOAD_SERVICE(service, choice)                                                                   \
    const auto service = LoadEchoService(choice);                                                       \
    QVERIFY2(service->IsLoaded(), service->Description().c_str())

#define COMPARE_ADDRESS(actual, expected) QCOMPARE(Dotted(actual), Dotted(expected))

class TestEchoLab : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void echoReachesDestination_data();
    void echoReachesDestination();
    void eachTtlStopsAtItsHop_data();
    void eachTtlStopsAtItsHop();
    void unreachableReportCountsAsReply_data();
    void unreachableReportCountsAsReply();
    void silentDestinationTimesOut_data();
    void silentDestinationTimesOut();
    void refusedRequestGetsNoReplyAtOnce_data();
    void refusedRequestGetsNoReplyAtOnce();
    void handlesTakeOnlyTheirOwnAnswers_data();
    void handlesTakeOnlyTheirOwnAnswers();
    void lateAnswerIsNotTakenForLaterRequest_data();
    void lateAnswerIsNotTakenForLaterRequest();
    void reportArrivingForEarlierRequestIsIgnored_data();
    void reportArrivingForEarlierRequestIsIgnored();
    void shutdownWakesEveryWaitingRequest_data();
    void shutdownWakesEveryWaitingRequest();
    void runWakeEndsWaitsOfItsHandleOnly_data();
    void runWakeEndsWaitsOfItsHandleOnly();
    void loadPrefersDatagramAndExplainsRefusal();

private:
    CIpAddress m_router1;
    CIpAddress m_router2;
    CIpAddress m_destination;
    CIpAddress m_silent;
    CIpAddress m_unreachable;
    CIpAddress m_absent;
};

void TestEchoLab::initTestCase()
{
    m_router1 = LabIp("NETSONDE_LAB_ROUTER1");
    m_router2 = LabIp("NETSONDE_LAB_ROUTER2");
    m_destination = LabIp("NETSONDE_LAB_DESTINATION");
    m_silent = LabIp("NETSONDE_LAB_SILENT");
    m_unreachable = LabIp("NETSONDE_LAB_UNREACHABLE");
    m_absent = LabIp("NETSONDE_LAB_ABSENT");
    for (const auto address : {m_router1, m_router2, m_destination, m_silent, m_unreachable, m_absent})
        QVERIFY2(address != CIpAddress(), "the lab's addresses are missing from the environment");
}

void TestEchoLab::echoReachesDestination_data()
{
    QTest::addColumn<EchoSocketChoice>("choice");
    QTest::addColumn<std::size_t>("dataSize");
    for (const auto& [kind, choice] : {std::pair{"datagram", EchoSocketChoice::DatagramOnly},
                                       std::pair{"raw", EchoSocketChoice::RawOnly}}) {
        QTest::addRow("%s, no data", kind) << choice << std::size_t{0};
        QTest::addRow("%s, ping data", kind) << choice << kPingData.size();
        QTest::addRow("%s, longer than the link's MTU", kind) << choice << std::size_t{4000};
        QTest::addRow("%s, largest data", kind) << choice << kMaxEchoDataSize;
    }
}

void TestEchoLab::echoReachesDestination()
{
    QFETCH(EchoSocketChoice, choice);
    QFETCH(std::size_t, dataSize);
    LOAD_SERVICE(service, choice);
    const auto handle = service->CreateHandle();
    QVERIFY(handle);
    const std::vector<std::uint8_t> data(dataSize, 0xAA);
    for (int request = 0; request < 3; ++request) {
        const auto [reply, elapsedMs] = TimedSend(*handle, m_destination, data, std::nullopt, 5000);
        QCOMPARE(reply.replyCount, 1u);
        COMPARE_ADDRESS(reply.address, m_destination);
        QVERIFY2(reply.roundTripMs <= elapsedMs, qPrintable(QStringLiteral("%1 ms reported, %2 ms elapsed")
                                                                .arg(reply.roundTripMs)
                                                                .arg(elapsedMs)));
    }
}

void TestEchoLab::eachTtlStopsAtItsHop_data()
{
    QTest::addColumn<EchoSocketChoice>("choice");
    QTest::addColumn<int>("ttl");
    QTest::addColumn<QByteArray>("expectedVariable");
    for (const auto& [kind, choice] : {std::pair{"datagram", EchoSocketChoice::DatagramOnly},
                                       std::pair{"raw", EchoSocketChoice::RawOnly}}) {
        QTest::addRow("%s, ttl 1: router1", kind) << choice << 1 << QByteArray("NETSONDE_LAB_ROUTER1");
        QTest::addRow("%s, ttl 2: router2", kind) << choice << 2 << QByteArray("NETSONDE_LAB_ROUTER2");
        QTest::addRow("%s, ttl 3: destination", kind) << choice << 3 << QByteArray("NETSONDE_LAB_DESTINATION");
    }
}

// The Ttl holds for one request: the next one without a Ttl reaches the destination.
void TestEchoLab::eachTtlStopsAtItsHop()
{
    QFETCH(EchoSocketChoice, choice);
    QFETCH(int, ttl);
    QFETCH(QByteArray, expectedVariable);
    LOAD_SERVICE(service, choice);
    const auto handle = service->CreateHandle();
    QVERIFY(handle);

    const auto [hop, hopElapsedMs] =
        TimedSend(*handle, m_destination, kHopData, static_cast<std::uint8_t>(ttl), 5000);
    QCOMPARE(hop.replyCount, 1u);
    COMPARE_ADDRESS(hop.address, LabIp(expectedVariable.constData()));
    QVERIFY(hop.roundTripMs <= hopElapsedMs);

    const EchoReply after = handle->SendEcho(m_destination, kPingData, std::nullopt, 5000);
    QCOMPARE(after.replyCount, 1u);
    COMPARE_ADDRESS(after.address, m_destination);
}

void TestEchoLab::unreachableReportCountsAsReply_data()
{
    QTest::addColumn<EchoSocketChoice>("choice");
    QTest::addColumn<QByteArray>("targetVariable");
    for (const auto& [kind, choice] : {std::pair{"datagram", EchoSocketChoice::DatagramOnly},
                                       std::pair{"raw", EchoSocketChoice::RawOnly}}) {
        QTest::addRow("%s, no route", kind) << choice << QByteArray("NETSONDE_LAB_UNREACHABLE");
        QTest::addRow("%s, no host on the link", kind) << choice << QByteArray("NETSONDE_LAB_ABSENT");
    }
}

void TestEchoLab::unreachableReportCountsAsReply()
{
    QFETCH(EchoSocketChoice, choice);
    QFETCH(QByteArray, targetVariable);
    LOAD_SERVICE(service, choice);
    const auto handle = service->CreateHandle();
    QVERIFY(handle);
    // An address without a host is reported only once ARP gives up, after about 3 s.
    const EchoReply reply = handle->SendEcho(LabIp(targetVariable.constData()), kPingData, std::nullopt, 10000);
    QCOMPARE(reply.replyCount, 1u);
    COMPARE_ADDRESS(reply.address, m_router2);
}

void TestEchoLab::silentDestinationTimesOut_data()
{
    AddKindRows("choice");
}

void TestEchoLab::silentDestinationTimesOut()
{
    QFETCH(EchoSocketChoice, choice);
    LOAD_SERVICE(service, choice);
    const auto handle = service->CreateHandle();
    QVERIFY(handle);
    constexpr std::uint32_t timeoutMs = 800;
    const auto [reply, elapsedMs] = TimedSend(*handle, m_silent, kPingData, std::nullopt, timeoutMs);
    QCOMPARE(reply.replyCount, 0u);
    QVERIFY2(elapsedMs >= timeoutMs, qPrintable(QStringLiteral("returned after %1 ms").arg(elapsedMs)));
    QVERIFY2(elapsedMs < timeoutMs + 5000, qPrintable(QStringLiteral("returned after %1 ms").arg(elapsedMs)));
}

void TestEchoLab::refusedRequestGetsNoReplyAtOnce_data()
{
    QTest::addColumn<EchoSocketChoice>("choice");
    QTest::addColumn<std::size_t>("dataSize");
    QTest::addColumn<int>("ttl");
    for (const auto& [kind, choice] : {std::pair{"datagram", EchoSocketChoice::DatagramOnly},
                                       std::pair{"raw", EchoSocketChoice::RawOnly}}) {
        QTest::addRow("%s, ttl 0", kind) << choice << kPingData.size() << 0;
        QTest::addRow("%s, data beyond the largest packet", kind) << choice << kMaxEchoDataSize + 1 << 64;
    }
}

void TestEchoLab::refusedRequestGetsNoReplyAtOnce()
{
    QFETCH(EchoSocketChoice, choice);
    QFETCH(std::size_t, dataSize);
    QFETCH(int, ttl);
    LOAD_SERVICE(service, choice);
    const auto handle = service->CreateHandle();
    QVERIFY(handle);
    const std::vector<std::uint8_t> data(dataSize, 0xAA);
    constexpr std::uint32_t timeoutMs = 30000;
    const auto [reply, elapsedMs] =
        TimedSend(*handle, m_destination, data, static_cast<std::uint8_t>(ttl), timeoutMs);
    QCOMPARE(reply.replyCount, 0u);
    QVERIFY2(elapsedMs < timeoutMs / 2, qPrintable(QStringLiteral("returned after %1 ms").arg(elapsedMs)));

    const EchoReply next = handle->SendEcho(m_destination, kPingData, std::nullopt, 5000);
    QCOMPARE(next.replyCount, 1u);
}

void TestEchoLab::handlesTakeOnlyTheirOwnAnswers_data()
{
    AddKindRows("choice");
}

// While one handle waits on the silent address, another one's answers (echo replies
// and time-exceeded reports, all sent to this host) must not end its wait.
void TestEchoLab::handlesTakeOnlyTheirOwnAnswers()
{
    QFETCH(EchoSocketChoice, choice);
    LOAD_SERVICE(service, choice);
    const auto waiting = service->CreateHandle();
    const auto busy = service->CreateHandle();
    QVERIFY(waiting && busy);

    EchoReply waitingReply;
    std::thread waiter([&] { waitingReply = waiting->SendEcho(m_silent, kPingData, std::nullopt, 2000); });
    std::vector<EchoReply> busyReplies;
    for (int round = 0; round < 5; ++round) {
        busyReplies.push_back(busy->SendEcho(m_destination, kPingData, std::nullopt, 2000));
        busyReplies.push_back(busy->SendEcho(m_destination, kHopData, std::uint8_t{1}, 2000));
    }
    waiter.join();

    QCOMPARE(waitingReply.replyCount, 0u);
    for (std::size_t i = 0; i < busyReplies.size(); ++i) {
        QCOMPARE(busyReplies[i].replyCount, 1u);
        COMPARE_ADDRESS(busyReplies[i].address, i % 2 == 0 ? m_destination : m_router1);
    }
}

void TestEchoLab::lateAnswerIsNotTakenForLaterRequest_data()
{
    AddKindRows("choice");
}

// Answers to earlier requests wait in the socket (or, for reports, as a pending socket
// error that fails the next send): a later request neither takes them nor fails on them.
void TestEchoLab::lateAnswerIsNotTakenForLaterRequest()
{
    QFETCH(EchoSocketChoice, choice);
    LOAD_SERVICE(service, choice);
    const auto handle = service->CreateHandle();
    QVERIFY(handle);

    QCOMPARE(handle->SendEcho(m_destination, kPingData, std::nullopt, 0).replyCount, 0u);
    QCOMPARE(handle->SendEcho(m_destination, kHopData, std::uint8_t{1}, 0).replyCount, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    constexpr std::uint32_t timeoutMs = 500;
    const auto [silent, elapsedMs] = TimedSend(*handle, m_silent, kPingData, std::nullopt, timeoutMs);
    QCOMPARE(silent.replyCount, 0u);
    QVERIFY2(elapsedMs >= timeoutMs, qPrintable(QStringLiteral("returned after %1 ms").arg(elapsedMs)));

    QCOMPARE(handle->SendEcho(m_destination, kHopData, std::uint8_t{1}, 0).replyCount, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const EchoReply fresh = handle->SendEcho(m_destination, kHopData, std::uint8_t{2}, 5000);
    QCOMPARE(fresh.replyCount, 1u);
    COMPARE_ADDRESS(fresh.address, m_router2);
}

// The report for an earlier request arrives while a later one waits.
void TestEchoLab::reportArrivingForEarlierRequestIsIgnored_data()
{
    AddKindRows("choice");
}

void TestEchoLab::reportArrivingForEarlierRequestIsIgnored()
{
    QFETCH(EchoSocketChoice, choice);
    LOAD_SERVICE(service, choice);
    const auto handle = service->CreateHandle();
    QVERIFY(handle);

    QCOMPARE(handle->SendEcho(m_absent, kPingData, std::nullopt, 0).replyCount, 0u);
    // Router2 reports the absent host about 3 s later, in the middle of this wait.
    constexpr std::uint32_t timeoutMs = 4500;
    const auto [reply, elapsedMs] = TimedSend(*handle, m_silent, kPingData, std::nullopt, timeoutMs);
    QCOMPARE(reply.replyCount, 0u);
    QVERIFY2(elapsedMs >= timeoutMs, qPrintable(QStringLiteral("returned after %1 ms").arg(elapsedMs)));
}

void TestEchoLab::shutdownWakesEveryWaitingRequest_data()
{
    AddKindRows("choice");
}

// Shutdown ends the waits of every handle of the service, and of the service only.
void TestEchoLab::shutdownWakesEveryWaitingRequest()
{
    QFETCH(EchoSocketChoice, choice);
    LOAD_SERVICE(service, choice);
    LOAD_SERVICE(otherService, choice);
    std::vector<std::unique_ptr<EchoHandle>> handles;
    for (int i = 0; i < 2; ++i) {
        handles.push_back(service->CreateHandle());
        QVERIFY(handles.back());
    }

    constexpr std::uint32_t longTimeoutMs = 60000;
    std::vector<TimedReply> replies(handles.size());
    std::vector<std::thread> waiters;
    for (std::size_t i = 0; i < handles.size(); ++i)
        waiters.emplace_back([&, i] { replies[i] = TimedSend(*handles[i], m_silent, kPingData, std::nullopt, longTimeoutMs); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    service->ShutdownAll();
    for (auto& waiter : waiters)
        waiter.join();

    for (const auto& [reply, elapsedMs] : replies) {
        QCOMPARE(reply.replyCount, 0u);
        QVERIFY2(elapsedMs < longTimeoutMs / 6, qPrintable(QStringLiteral("woken after %1 ms").arg(elapsedMs)));
    }
    QCOMPARE(handles[0]->SendEcho(m_destination, kPingData, std::nullopt, 5000).replyCount, 0u);
    const auto otherHandle = otherService->CreateHandle();
    QVERIFY(otherHandle);
    QCOMPARE(otherHandle->SendEcho(m_destination, kPingData, std::nullopt, 5000).replyCount, 1u);
}

void TestEchoLab::runWakeEndsWaitsOfItsHandleOnly_data()
{
    AddKindRows("choice");
}

// A stopped run's worker is released within 50 ms of the raise; a handle of another
// run keeps waiting, and the woken handle sends nothing more.
void TestEchoLab::runWakeEndsWaitsOfItsHandleOnly()
{
    using Clock = std::chrono::steady_clock;
    QFETCH(EchoSocketChoice, choice);
    LOAD_SERVICE(service, choice);
    const auto runWake = std::make_shared<ShutdownSignal>();
    QVERIFY(runWake->IsValid());
    const auto stopped = service->CreateHandle(runWake);
    const auto other = service->CreateHandle(std::make_shared<ShutdownSignal>());
    QVERIFY(stopped && other);

    constexpr std::uint32_t otherTimeoutMs = 1000;
    EchoReply stoppedReply;
    Clock::time_point returnedAt;
    TimedReply otherReply;
    std::thread waiter([&] {
        stoppedReply = stopped->SendEcho(m_silent, kPingData, std::nullopt, 60000);
        returnedAt = Clock::now();
    });
    std::thread otherWaiter([&] { otherReply = TimedSend(*other, m_silent, kPingData, std::nullopt, otherTimeoutMs); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto raisedAt = Clock::now();
    runWake->Raise();
    waiter.join();
    otherWaiter.join();

    const auto wokenAfterMs = std::chrono::duration_cast<std::chrono::milliseconds>(returnedAt - raisedAt).count();
    QCOMPARE(stoppedReply.replyCount, 0u);
    QVERIFY2(wokenAfterMs < 50, qPrintable(QStringLiteral("returned %1 ms after the raise").arg(wokenAfterMs)));
    QCOMPARE(stopped->SendEcho(m_destination, kPingData, std::nullopt, 5000).replyCount, 0u);
    QCOMPARE(otherReply.reply.replyCount, 0u);
    QVERIFY2(otherReply.elapsedMs >= otherTimeoutMs,
             qPrintable(QStringLiteral("other run's wait ended after %1 ms").arg(otherReply.elapsedMs)));
}

// The lab's source starts with every group inside ping_group_range; the test closes
// the range for a moment to see the raw fallback and the reason given.
void TestEchoLab::loadPrefersDatagramAndExplainsRefusal()
{
    const auto open = LoadEchoService(EchoSocketChoice::Any);
    QCOMPARE(open->SocketKind(), std::optional{EchoSocketKind::Datagram});
    QVERIFY(QByteArray::fromStdString(open->Description()).contains("datagram"));

    if (netsonde::test::IsInsideUserNamespace())
        QSKIP("the lab's user namespace maps one group: ping_group_range cannot be closed there");
    QVERIFY(WriteSysctl(kPingGroupRange, "1 0"));
    const auto datagramOnly = LoadEchoService(EchoSocketChoice::DatagramOnly);
    const auto fallback = LoadEchoService(EchoSocketChoice::Any);
    const bool restored = WriteSysctl(kPingGroupRange, "0 2147483647");

    QVERIFY(!datagramOnly->IsLoaded());
    QCOMPARE(datagramOnly->SocketKind(), std::nullopt);
    QVERIFY(datagramOnly->CreateHandle() == nullptr);
    const QByteArray reason = QByteArray::fromStdString(datagramOnly->Description());
    QVERIFY2(reason.contains("ping_group_range") && reason.contains("\"1 0\""), reason.constData());
    QCOMPARE(fallback->SocketKind(), std::optional{EchoSocketKind::Raw});
    QVERIFY(QByteArray::fromStdString(fallback->Description()).contains("raw"));
    QVERIFY(restored);
}

int main(int argc, char** argv)
{
    netsonde::test::RunInsideLab(argc, argv);
    QCoreApplication application(argc, argv);
    TestEchoLab test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_echolab.moc"
