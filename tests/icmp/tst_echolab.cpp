// SPDX-License-Identifier: GPL-3.0-or-later
// The echo service against real routers and hosts of the namespace lab, with each
// socket kind forced in turn.

#include "netns/LabEnvironment.h"
#include "platform/echo/EchoPacket.h"
#include "platform/echo/EchoService.h"
#include "platform/echo/ShutdownSignal.h"

#include <QtTest>

#include <cctype>
#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

using namespace netsonde::echo;
using netsonde::test::LabAddress;
using netsonde::CIpAddress;
using netsonde::IpAddressText;
using netsonde::IpFamily;

Q_DECLARE_METATYPE(EchoSocketChoice)
Q_DECLARE_METATYPE(IpFamily)

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

// A lab address of the family: NETSONDE_LAB_DESTINATION6, NETSONDE_LAB_ROUTER1_6.
CIpAddress LabIp(const char* variable, IpFamily family)
{
    if (family == IpFamily::IPv4)
        return CIpAddress::FromIPv4(LabAddress(variable));
    QByteArray name(variable);
    name += std::isdigit(static_cast<unsigned char>(name.back())) ? "_6" : "6";
    return netsonde::ParseIpv6Literal(qgetenv(name.constData()).toStdString()).value_or(CIpAddress());
}

// The lab's hosts as seen over one family.
struct LabHosts {
    CIpAddress router1;
    CIpAddress router2;
    CIpAddress destination;
    CIpAddress silent;
    CIpAddress unreachable;
    CIpAddress absent;
};

LabHosts HostsOf(IpFamily family)
{
    return {LabIp("NETSONDE_LAB_ROUTER1", family),     LabIp("NETSONDE_LAB_ROUTER2", family),
            LabIp("NETSONDE_LAB_DESTINATION", family), LabIp("NETSONDE_LAB_SILENT", family),
            LabIp("NETSONDE_LAB_UNREACHABLE", family), LabIp("NETSONDE_LAB_ABSENT", family)};
}

bool WriteSysctl(const char* path, const char* value)
{
    std::ofstream file(path);
    file << value;
    file.close();
    return !file.fail();
}

struct SocketKindRow {
    const char* name;
    EchoSocketChoice choice;
    IpFamily family;
};

constexpr SocketKindRow kKindRows[] = {{"datagram", EchoSocketChoice::DatagramOnly, IpFamily::IPv4},
                                       {"raw", EchoSocketChoice::RawOnly, IpFamily::IPv4},
                                       {"datagram, IPv6", EchoSocketChoice::DatagramOnly, IpFamily::IPv6},
                                       {"raw, IPv6", EchoSocketChoice::RawOnly, IpFamily::IPv6}};

void AddKindColumns()
{
    QTest::addColumn<EchoSocketChoice>("choice");
    QTest::addColumn<IpFamily>("family");
}

// A row for each socket kind of each family (IPv4 only when asked), named
// by the kind then `what`, with the given values after the kind's.
template <typename... Values>
void AddKindRows(bool ipv4Only, const char* what, Values... values)
{
    for (const SocketKindRow& kind : kKindRows) {
        if (ipv4Only && kind.family != IpFamily::IPv4)
            continue;
        (QTest::addRow("%s%s", kind.name, what) << kind.choice << kind.family << ... << values);
    }
}

void AddKindRowsOnly()
{
    AddKindColumns();
    AddKindRows(false, "");
}

} // namespace

// The row's service, loaded for its family, and the lab's hosts of that family.
#define LOAD_SERVICE(service)                                                                           \
    QFETCH(EchoSocketChoice, choice);                                                                   \
    QFETCH(IpFamily, family);                                                                           \
    const LabHosts& lab = m_hosts[family == IpFamily::IPv6 ? 1 : 0];                                    \
    const auto service = LoadEchoService(choice);                                                       \
    QVERIFY2(service->IsLoaded(family), service->Description(family).c_str())

// The row's service and a handle of it for the row's family.
#define OPEN_HANDLE(handle)                                                                             \
    LOAD_SERVICE(service);                                                                              \
    const auto handle = service->CreateHandle(family);                                                  \
    QVERIFY(handle)

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
    void requestWithoutReply_data();
    void requestWithoutReply();
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
    void loadPrefersDatagramAndExplainsRefusal_data();
    void loadPrefersDatagramAndExplainsRefusal();

private:
    LabHosts m_hosts[2]; // IPv4, IPv6
};

void TestEchoLab::initTestCase()
{
    m_hosts[0] = HostsOf(IpFamily::IPv4);
    m_hosts[1] = HostsOf(IpFamily::IPv6);
    for (const LabHosts& lab : m_hosts) {
        for (const auto& address : {lab.router1, lab.router2, lab.destination, lab.silent, lab.unreachable, lab.absent})
            QVERIFY2(address != CIpAddress(), "the lab's addresses are missing from the environment");
    }
}

void TestEchoLab::echoReachesDestination_data()
{
    AddKindColumns();
    QTest::addColumn<std::size_t>("dataSize");
    AddKindRows(false, ", no data", std::size_t{0});
    AddKindRows(false, ", ping data", kPingData.size());
    AddKindRows(false, ", longer than the link's MTU", std::size_t{4000});
    AddKindRows(false, ", largest data", kMaxEchoDataSize);
}

void TestEchoLab::echoReachesDestination()
{
    QFETCH(std::size_t, dataSize);
    OPEN_HANDLE(handle);
    const std::vector<std::uint8_t> data(dataSize, 0xAA);
    for (int request = 0; request < 3; ++request) {
        const auto [reply, elapsedMs] = TimedSend(*handle, lab.destination, data, std::nullopt, 5000);
        QCOMPARE(reply.replyCount, 1u);
        COMPARE_ADDRESS(reply.address, lab.destination);
        QVERIFY2(reply.roundTripMs <= elapsedMs, qPrintable(QStringLiteral("%1 ms reported, %2 ms elapsed")
                                                                .arg(reply.roundTripMs)
                                                                .arg(elapsedMs)));
    }
}

void TestEchoLab::eachTtlStopsAtItsHop_data()
{
    AddKindColumns();
    QTest::addColumn<int>("ttl");
    AddKindRows(false, ", ttl 1: router1", 1);
    AddKindRows(false, ", ttl 2: router2", 2);
    AddKindRows(false, ", ttl 3: destination", 3);
}

// The Ttl holds for one request: the next one without a Ttl reaches the destination.
void TestEchoLab::eachTtlStopsAtItsHop()
{
    QFETCH(int, ttl);
    LOAD_SERVICE(service);
    const CIpAddress hops[] = {lab.router1, lab.router2, lab.destination};
    const auto handle = service->CreateHandle(family);
    QVERIFY(handle);

    const auto [hop, hopElapsedMs] =
        TimedSend(*handle, lab.destination, kHopData, static_cast<std::uint8_t>(ttl), 5000);
    QCOMPARE(hop.replyCount, 1u);
    COMPARE_ADDRESS(hop.address, hops[ttl - 1]);
    QVERIFY(hop.roundTripMs <= hopElapsedMs);

    const EchoReply after = handle->SendEcho(lab.destination, kPingData, std::nullopt, 5000);
    QCOMPARE(after.replyCount, 1u);
    COMPARE_ADDRESS(after.address, lab.destination);
}

void TestEchoLab::unreachableReportCountsAsReply_data()
{
    AddKindColumns();
    QTest::addColumn<bool>("noRoute");
    AddKindRows(false, ", no route", true);
    AddKindRows(false, ", no host on the link", false);
}

void TestEchoLab::unreachableReportCountsAsReply()
{
    QFETCH(bool, noRoute);
    OPEN_HANDLE(handle);
    // An address without a host is reported only once ARP (or neighbour discovery)
    // gives up, after about 3 s.
    const EchoReply reply = handle->SendEcho(noRoute ? lab.unreachable : lab.absent, kPingData, std::nullopt, 10000);
    QCOMPARE(reply.replyCount, 1u);
    COMPARE_ADDRESS(reply.address, lab.router2);
}

void TestEchoLab::requestWithoutReply_data()
{
    AddKindColumns();
    QTest::addColumn<std::size_t>("dataSize");
    QTest::addColumn<int>("ttl");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<std::uint32_t>("timeoutMs");
    AddKindRows(false, ", silent destination: its time-out", kPingData.size(), -1, true, std::uint32_t{800});
    // IPv6 sends a hop limit of 0 as it is, and the first router answers it.
    AddKindRows(true, ", ttl 0: refused at once", kPingData.size(), 0, false, std::uint32_t{30000});
    AddKindRows(false, ", data beyond the largest packet: refused at once", kMaxEchoDataSize + 1, 64, false,
                std::uint32_t{30000});
}

// The handle works on after a request that got no reply.
void TestEchoLab::requestWithoutReply()
{
    QFETCH(std::size_t, dataSize);
    QFETCH(int, ttl);
    QFETCH(bool, silent);
    QFETCH(std::uint32_t, timeoutMs);
    OPEN_HANDLE(handle);
    const std::vector<std::uint8_t> data(dataSize, 0xAA);
    const auto hopLimit = ttl < 0 ? std::nullopt : std::optional(static_cast<std::uint8_t>(ttl));
    const auto [reply, elapsedMs] = TimedSend(*handle, silent ? lab.silent : lab.destination, data, hopLimit, timeoutMs);
    QCOMPARE(reply.replyCount, 0u);
    const bool inTime = silent ? elapsedMs >= timeoutMs && elapsedMs < timeoutMs + 5000 : elapsedMs < timeoutMs / 2;
    QVERIFY2(inTime, qPrintable(QStringLiteral("returned after %1 ms").arg(elapsedMs)));
    QCOMPARE(handle->SendEcho(lab.destination, kPingData, std::nullopt, 5000).replyCount, 1u);
}

void TestEchoLab::handlesTakeOnlyTheirOwnAnswers_data()
{
    AddKindRowsOnly();
}

// While one handle waits on the silent address, another one's answers (echo replies
// and time-exceeded reports, all sent to this host) must not end its wait.
void TestEchoLab::handlesTakeOnlyTheirOwnAnswers()
{
    LOAD_SERVICE(service);
    const auto waiting = service->CreateHandle(family);
    const auto busy = service->CreateHandle(family);
    QVERIFY(waiting && busy);

    EchoReply waitingReply;
    std::thread waiter([&] { waitingReply = waiting->SendEcho(lab.silent, kPingData, std::nullopt, 2000); });
    std::vector<EchoReply> busyReplies;
    for (int round = 0; round < 5; ++round) {
        busyReplies.push_back(busy->SendEcho(lab.destination, kPingData, std::nullopt, 2000));
        busyReplies.push_back(busy->SendEcho(lab.destination, kHopData, std::uint8_t{1}, 2000));
    }
    waiter.join();

    QCOMPARE(waitingReply.replyCount, 0u);
    for (std::size_t i = 0; i < busyReplies.size(); ++i) {
        QCOMPARE(busyReplies[i].replyCount, 1u);
        COMPARE_ADDRESS(busyReplies[i].address, i % 2 == 0 ? lab.destination : lab.router1);
    }
}

void TestEchoLab::lateAnswerIsNotTakenForLaterRequest_data()
{
    AddKindRowsOnly();
}

// Answers to earlier requests wait in the socket (or, for reports, as a pending socket
// error that fails the next send): a later request neither takes them nor fails on them.
void TestEchoLab::lateAnswerIsNotTakenForLaterRequest()
{
    OPEN_HANDLE(handle);

    QCOMPARE(handle->SendEcho(lab.destination, kPingData, std::nullopt, 0).replyCount, 0u);
    QCOMPARE(handle->SendEcho(lab.destination, kHopData, std::uint8_t{1}, 0).replyCount, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    constexpr std::uint32_t timeoutMs = 500;
    const auto [silent, elapsedMs] = TimedSend(*handle, lab.silent, kPingData, std::nullopt, timeoutMs);
    QCOMPARE(silent.replyCount, 0u);
    QVERIFY2(elapsedMs >= timeoutMs, qPrintable(QStringLiteral("returned after %1 ms").arg(elapsedMs)));

    QCOMPARE(handle->SendEcho(lab.destination, kHopData, std::uint8_t{1}, 0).replyCount, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const EchoReply fresh = handle->SendEcho(lab.destination, kHopData, std::uint8_t{2}, 5000);
    QCOMPARE(fresh.replyCount, 1u);
    COMPARE_ADDRESS(fresh.address, lab.router2);
}

// The report for an earlier request arrives while a later one waits.
void TestEchoLab::reportArrivingForEarlierRequestIsIgnored_data()
{
    AddKindRowsOnly();
}

void TestEchoLab::reportArrivingForEarlierRequestIsIgnored()
{
    OPEN_HANDLE(handle);

    QCOMPARE(handle->SendEcho(lab.absent, kPingData, std::nullopt, 0).replyCount, 0u);
    // Router2 reports the absent host about 3 s later, in the middle of this wait.
    constexpr std::uint32_t timeoutMs = 4500;
    const auto [reply, elapsedMs] = TimedSend(*handle, lab.silent, kPingData, std::nullopt, timeoutMs);
    QCOMPARE(reply.replyCount, 0u);
    QVERIFY2(elapsedMs >= timeoutMs, qPrintable(QStringLiteral("returned after %1 ms").arg(elapsedMs)));
}

void TestEchoLab::shutdownWakesEveryWaitingRequest_data()
{
    AddKindRowsOnly();
}

// Shutdown ends the waits of every handle of the service, and of the service only.
void TestEchoLab::shutdownWakesEveryWaitingRequest()
{
    LOAD_SERVICE(service);
    const auto otherService = LoadEchoService(choice);
    std::vector<std::unique_ptr<EchoHandle>> handles;
    for (int i = 0; i < 2; ++i) {
        handles.push_back(service->CreateHandle(family));
        QVERIFY(handles.back());
    }

    constexpr std::uint32_t longTimeoutMs = 60000;
    std::vector<TimedReply> replies(handles.size());
    std::vector<std::thread> waiters;
    for (std::size_t i = 0; i < handles.size(); ++i)
        waiters.emplace_back([&, i] { replies[i] = TimedSend(*handles[i], lab.silent, kPingData, std::nullopt, longTimeoutMs); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    service->ShutdownAll();
    for (auto& waiter : waiters)
        waiter.join();

    for (const auto& [reply, elapsedMs] : replies) {
        QCOMPARE(reply.replyCount, 0u);
        QVERIFY2(elapsedMs < longTimeoutMs / 6, qPrintable(QStringLiteral("woken after %1 ms").arg(elapsedMs)));
    }
    QCOMPARE(handles[0]->SendEcho(lab.destination, kPingData, std::nullopt, 5000).replyCount, 0u);
    const auto otherHandle = otherService->CreateHandle(family);
    QVERIFY(otherHandle);
    QCOMPARE(otherHandle->SendEcho(lab.destination, kPingData, std::nullopt, 5000).replyCount, 1u);
}

void TestEchoLab::runWakeEndsWaitsOfItsHandleOnly_data()
{
    AddKindRowsOnly();
}

// A stopped run's worker is released within 50 ms of the raise; a handle of another
// run keeps waiting, and the woken handle sends nothing more.
void TestEchoLab::runWakeEndsWaitsOfItsHandleOnly()
{
    using Clock = std::chrono::steady_clock;
    LOAD_SERVICE(service);
    const auto runWake = std::make_shared<ShutdownSignal>();
    QVERIFY(runWake->IsValid());
    const auto stopped = service->CreateHandle(family, runWake);
    const auto other = service->CreateHandle(family, std::make_shared<ShutdownSignal>());
    QVERIFY(stopped && other);

    constexpr std::uint32_t otherTimeoutMs = 1000;
    EchoReply stoppedReply;
    Clock::time_point returnedAt;
    TimedReply otherReply;
    std::thread waiter([&] {
        stoppedReply = stopped->SendEcho(lab.silent, kPingData, std::nullopt, 60000);
        returnedAt = Clock::now();
    });
    std::thread otherWaiter([&] { otherReply = TimedSend(*other, lab.silent, kPingData, std::nullopt, otherTimeoutMs); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto raisedAt = Clock::now();
    runWake->Raise();
    waiter.join();
    otherWaiter.join();

    const auto wokenAfterMs = std::chrono::duration_cast<std::chrono::milliseconds>(returnedAt - raisedAt).count();
    QCOMPARE(stoppedReply.replyCount, 0u);
    QVERIFY2(wokenAfterMs < 50, qPrintable(QStringLiteral("returned %1 ms after the raise").arg(wokenAfterMs)));
    QCOMPARE(stopped->SendEcho(lab.destination, kPingData, std::nullopt, 5000).replyCount, 0u);
    QCOMPARE(otherReply.reply.replyCount, 0u);
    QVERIFY2(otherReply.elapsedMs >= otherTimeoutMs,
             qPrintable(QStringLiteral("other run's wait ended after %1 ms").arg(otherReply.elapsedMs)));
}

void TestEchoLab::loadPrefersDatagramAndExplainsRefusal_data()
{
    QTest::addColumn<IpFamily>("family");
    QTest::addColumn<QByteArray>("protocol");
    QTest::newRow("IPv4") << IpFamily::IPv4 << QByteArray("ICMP ");
    QTest::newRow("IPv6") << IpFamily::IPv6 << QByteArray("ICMPv6 ");
}

// The lab's source starts with every group inside ping_group_range, which rules the
// datagram sockets of both families; the test closes the range for a moment to see
// the raw fallback and the reason given, which names the family.
void TestEchoLab::loadPrefersDatagramAndExplainsRefusal()
{
    QFETCH(IpFamily, family);
    QFETCH(QByteArray, protocol);
    const auto open = LoadEchoService(EchoSocketChoice::Any);
    QCOMPARE(open->SocketKind(family), std::optional{EchoSocketKind::Datagram});
    QVERIFY(QByteArray::fromStdString(open->Description(family)).startsWith(protocol + "datagram"));

    if (netsonde::test::IsInsideUserNamespace())
        QSKIP("the lab's user namespace maps one group: ping_group_range cannot be closed there");
    QVERIFY(WriteSysctl(kPingGroupRange, "1 0"));
    const auto datagramOnly = LoadEchoService(EchoSocketChoice::DatagramOnly);
    const auto fallback = LoadEchoService(EchoSocketChoice::Any);
    const bool restored = WriteSysctl(kPingGroupRange, "0 2147483647");

    QVERIFY(!datagramOnly->IsLoaded(family));
    QCOMPARE(datagramOnly->SocketKind(family), std::nullopt);
    QVERIFY(datagramOnly->CreateHandle(family) == nullptr);
    const QByteArray reason = QByteArray::fromStdString(datagramOnly->Description(family));
    QVERIFY2(reason.startsWith("No " + protocol + "socket") && reason.contains("ping_group_range")
                 && reason.contains("\"1 0\""),
             reason.constData());
    QCOMPARE(fallback->SocketKind(family), std::optional{EchoSocketKind::Raw});
    QVERIFY(QByteArray::fromStdString(fallback->Description(family)).startsWith("raw " + protocol));
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
