// SPDX-License-Identifier: GPL-3.0-or-later
// The echo service against real routers and hosts of the namespace lab, with each
// socket kind forced in turn.

#include "platform/echo/EchoPacket.h"
#include "platform/echo/EchoService.h"
#include "platform/posix/ShutdownSignal.h"
#include "platform/posix/UniqueFd.h"
#include "support/FileHelpers.h"
#include "support/LabEnvironment.h"

#include <QtTest>

#include <linux/icmp.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <map>
#include <thread>
#include <vector>

using namespace netsonde::echo;
using namespace netsonde;
using netsonde::test::LabAddress;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(EchoSocketChoice)
Q_DECLARE_METATYPE(IpFamily)

namespace {

const std::vector<std::uint8_t> kPingData(64, 0xAA);
const std::vector<std::uint8_t> kHopData(48, 0xAA);
const char* const kPingGroupRange = "/proc/sys/net/ipv4/ping_group_range";

// The reply and the milliseconds the request took.
std::pair<EchoReply, qint64> TimedSend(EchoHandle& handle, const IpAddress& destination,
                                       std::span<const std::uint8_t> data, std::optional<std::uint8_t> ttl,
                                       std::uint32_t timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    return {handle.SendEcho(destination, data, ttl, timeoutMs), timer.elapsed()};
}

QByteArray Text(const IpAddress& address)
{
    return QByteArray::fromStdString(netsonde::IpAddressText(address));
}

// A lab address of the family: NETSONDE_LAB_SILENT, or NETSONDE_LAB_SILENT6 and NETSONDE_LAB_ROUTER1_6
// over IPv6.
IpAddress LabIp(IpFamily family, QByteArray name)
{
    name.prepend("NETSONDE_LAB_");
    if (family == IpFamily::IPv4)
        return IpAddress::FromIPv4(LabAddress(name.constData()));
    name += std::isdigit(static_cast<unsigned char>(name.back())) ? "_6" : "6";
    return netsonde::ParseIpv6Literal(qgetenv(name.constData()).toStdString()).value_or(IpAddress());
}

// The lab's hosts as seen over one family.
struct LabHosts {
    IpAddress router1, destination, silent, absent;
};

// Whether the raw ICMP socket `watch` has seen a report that `address` is unreachable:
// the report quotes the refused packet, whose destination it names.
bool UnreachableReportSeen(const UniqueFd& watch, IpFamily family, const IpAddress& address)
{
    const bool v6 = family == IpFamily::IPv6;
    std::uint8_t packet[2048];
    for (ssize_t size = 0; (size = ::recv(watch.Get(), packet, sizeof packet, MSG_DONTWAIT)) > 0;) {
        const std::size_t icmp = v6 ? 0 : (packet[0] & 0x0Fu) * 4u;
        const std::size_t quoted = icmp + kIcmpHeaderSize + (v6 ? 24 : 16);
        if (quoted + address.Bytes().size() <= std::size_t(size)
            && packet[icmp] == (v6 ? kIcmpv6DestinationUnreachable : kIcmpDestinationUnreachable)
            && std::ranges::equal(address.Bytes(), std::span(packet + quoted, address.Bytes().size())))
            return true;
    }
    return false;
}

// A row for each socket kind of each family (IPv4 only when asked), named
// by the kind then `what`, with the given values after the kind's.
template <typename... Values>
void AddKindRows(bool ipv4Only, const char* what, Values... values)
{
    struct Kind {
        const char* name;
        EchoSocketChoice choice;
        IpFamily family;
    };
    constexpr Kind kinds[] = {{"datagram", EchoSocketChoice::DatagramOnly, IpFamily::IPv4},
                              {"raw", EchoSocketChoice::RawOnly, IpFamily::IPv4},
                              {"datagram, IPv6", EchoSocketChoice::DatagramOnly, IpFamily::IPv6},
                              {"raw, IPv6", EchoSocketChoice::RawOnly, IpFamily::IPv6}};
    for (const Kind& kind : kinds) {
        if (ipv4Only && kind.family != IpFamily::IPv4)
            continue;
        QTestData& row = QTest::addRow("%s%s", kind.name, what) << kind.choice << kind.family;
        ((row << values), ...);
    }
}

// Another program on this machine (the lab's source): echo requests from a raw socket of
// its own to `destination` (network order), `burst` of them every millisecond, every
// sequence number under identifiers of its own, so that each reply it draws is one that
// only it asked for.
class EchoRequestFlood {
public:
    EchoRequestFlood(std::uint32_t destination, int burst)
    {
        if (m_socket.IsValid())
            m_thread = std::thread([=, this] { Flood(destination, static_cast<std::uint32_t>(burst)); });
    }
    ~EchoRequestFlood()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

    int Replies() const { return m_replies; }

private:
    void Flood(std::uint32_t destination, std::uint32_t burst)
    {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = destination;
        const std::vector<std::uint8_t> data(56, 0x5A);
        auto next = Clock::now();
        for (std::uint32_t count = 0; !m_stop; ++count) {
            const auto identifier = static_cast<std::uint16_t>(0x4E00 + (count >> 16));
            const auto request = BuildEchoRequest(IpFamily::IPv4, identifier, std::uint16_t(count), data);
            ::sendto(m_socket.Get(), request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
            if (count % burst != 0)
                continue;
            // A machine that fell behind starts afresh rather than catching up at once.
            next = std::max(next + 1ms, Clock::now() - 10ms);
            std::this_thread::sleep_until(next);
            CountReplies();
        }
    }

    // Reads (and counts) the echo replies that came in meanwhile.
    void CountReplies()
    {
        std::uint8_t packet[2048];
        for (ssize_t size = 0; (size = ::recv(m_socket.Get(), packet, sizeof packet, MSG_DONTWAIT)) > 0;) {
            const std::size_t headerSize = (packet[0] & 0x0F) * 4u;
            if (headerSize < static_cast<std::size_t>(size) && packet[headerSize] == kIcmpEchoReply)
                ++m_replies;
        }
    }

    UniqueFd m_socket{::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP)};
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_replies{0};
    std::thread m_thread;
};

} // namespace

// The row's service, loaded for its family, and the lab's hosts of that family.
#define LOAD_SERVICE(service)                                                                                          \
    QFETCH(EchoSocketChoice, choice);                                                                                  \
    QFETCH(IpFamily, family);                                                                                          \
    const LabHosts lab{LabIp(family, "ROUTER1"), LabIp(family, "DESTINATION"), LabIp(family, "SILENT"),                \
                       LabIp(family, "ABSENT")};                                                                       \
    const auto service = LoadEchoService(choice);                                                                      \
    QVERIFY2(service->IsLoaded(family), service->Description(family).c_str())

// The row's service and a handle of it for the row's family.
#define OPEN_HANDLE(handle)                                                                                            \
    LOAD_SERVICE(service);                                                                                             \
    const auto handle = service->CreateHandle(family);                                                                 \
    QVERIFY(handle)

#define COMPARE_ADDRESS(actual, expected) QCOMPARE(Text(actual), Text(expected))

class TestEchoLab : public QObject {
    Q_OBJECT

    static void AddKinds()
    {
        QTest::addColumn<EchoSocketChoice>("choice");
        QTest::addColumn<IpFamily>("family");
    }
    static void KindsOnly()
    {
        AddKinds();
        AddKindRows(false, "");
    }

private Q_SLOTS:
    void firstRequestAndTwoMore_data()
    {
        // clang-format off
        AddKinds();
        QTest::addColumn<std::size_t>("dataSize");
        QTest::addColumn<int>("ttl"); // -1: none
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("answerer"); // none: no reply
        QTest::addColumn<std::uint32_t>("timeoutMs");
        const std::size_t ping = kPingData.size(), hop = kHopData.size();
        AddKindRows(false, ", no data", std::size_t{0}, -1, "DESTINATION", "DESTINATION", 5000u);
        AddKindRows(false, ", largest data", kMaxEchoDataSize, -1, "DESTINATION", "DESTINATION", 5000u);
        AddKindRows(false, ", ttl 1: router1", hop, 1, "DESTINATION", "ROUTER1", 5000u);
        AddKindRows(false, ", ttl 3: destination", hop, 3, "DESTINATION", "DESTINATION", 5000u);
        // An address without a host is reported only once ARP (or neighbour discovery) gives up, after about 3 s.
        AddKindRows(false, ", no host on the link", ping, -1, "ABSENT", "ROUTER2", 10000u);
        AddKindRows(false, ", silent destination: its time-out", ping, -1, "SILENT", "", 800u);
        // IPv6 sends a hop limit of 0 as it is, and the first router answers it.
        AddKindRows(true, ", ttl 0: refused at once", ping, 0, "DESTINATION", "", 30000u);
        AddKindRows(false, ", data beyond the largest packet: refused at once", kMaxEchoDataSize + 1, 64,
                    "DESTINATION", "", 30000u);
        // clang-format on
    }

    // The first request's answer and how long it took (a report of the absent host comes
    // after about 3 s: its round trip is at least 2 s, and never more than the time waited);
    // its Ttl holds for it only, and the handle works on: two more requests without one reach
    // the destination.
    void firstRequestAndTwoMore()
    {
        QFETCH(std::size_t, dataSize);
        QFETCH(int, ttl);
        QFETCH(QString, target);
        QFETCH(QString, answerer);
        QFETCH(std::uint32_t, timeoutMs);
        OPEN_HANDLE(handle);
        const std::vector<std::uint8_t> data(dataSize, 0xAA);
        const auto hopLimit = ttl < 0 ? std::nullopt : std::optional(static_cast<std::uint8_t>(ttl));
        const auto [reply, elapsedMs] = TimedSend(*handle, LabIp(family, target.toLatin1()), data, hopLimit, timeoutMs);
        const QString timing = QStringLiteral("%1 ms reported, %2 ms elapsed").arg(reply.roundTripMs).arg(elapsedMs);
        QCOMPARE(reply.replyCount, answerer.isEmpty() ? 0u : 1u);
        if (answerer.isEmpty()) {
            const bool silent = target == "SILENT";
            QVERIFY2(silent ? elapsedMs >= timeoutMs && elapsedMs < timeoutMs + 5000 : elapsedMs < timeoutMs / 2,
                     qPrintable(timing));
        } else {
            COMPARE_ADDRESS(reply.address, LabIp(family, answerer.toLatin1()));
            const qint64 leastMs = target == "ABSENT" ? 2000 : 0;
            QVERIFY2(reply.roundTripMs <= elapsedMs && reply.roundTripMs >= leastMs, qPrintable(timing));
        }
        for (int request = 0; request < 2; ++request) {
            const auto [next, nextMs] = TimedSend(*handle, lab.destination, kPingData, std::nullopt, 5000);
            QCOMPARE(next.replyCount, 1u);
            COMPARE_ADDRESS(next.address, lab.destination);
            QVERIFY(next.roundTripMs <= nextMs);
        }
    }

    void handlesTakeOnlyTheirOwnAnswers_data() { KindsOnly(); }

    // While a handle waits on the silent address, answers it did not ask for must not end its
    // wait: router2's report for the handle's own earlier request to the absent host (about 3 s
    // later; the watch proves it came), another handle's echo replies and time-exceeded reports
    // (all sent to this host), and over IPv4 another program's, thousands of echo replies with
    // sequence numbers that run through every value. Answers to the handle's earlier requests
    // wait in the socket (or, for reports, as a pending socket error that fails the next send):
    // a later request neither takes them nor fails on them.
    void handlesTakeOnlyTheirOwnAnswers()
    {
        OPEN_HANDLE(waiting);
        const auto busy = service->CreateHandle(family);
        QVERIFY(busy);
        const bool v6 = family == IpFamily::IPv6;
        const int protocol = v6 ? int(IPPROTO_ICMPV6) : int(IPPROTO_ICMP);
        const UniqueFd watch(::socket(v6 ? AF_INET6 : AF_INET, SOCK_RAW | SOCK_CLOEXEC, protocol));
        QVERIFY(watch.IsValid());
        const std::uint32_t reportsOnly = ~(1u << ICMP_DEST_UNREACH); // not the other program's replies
        QVERIFY(v6 || ::setsockopt(watch.Get(), SOL_RAW, ICMP_FILTER, &reportsOnly, sizeof reportsOnly) == 0);
        std::optional<EchoRequestFlood> other;
        if (!v6)
            other.emplace(LabAddress("NETSONDE_LAB_DESTINATION"), 8);
        QTRY_VERIFY_WITH_TIMEOUT(!other || other->Replies() > 0, 10000);
        const int repliesBefore = other ? other->Replies() : 0;
        const auto waitsOutSilentHost = [&](std::uint32_t timeoutMs) {
            const auto [reply, elapsedMs] = TimedSend(*waiting, lab.silent, kPingData, std::nullopt, timeoutMs);
            return reply.replyCount == 0 && elapsedMs >= timeoutMs;
        };
        QCOMPARE(waiting->SendEcho(lab.absent, kPingData, std::nullopt, 0).replyCount, 0u);
        bool waitedOut = false;
        std::thread waiter([&] { waitedOut = waitsOutSilentHost(other ? 9000 : 4500); });
        std::vector<EchoReply> busyReplies;
        for (int round = 0; round < 5; ++round) {
            busyReplies.push_back(busy->SendEcho(lab.destination, kPingData, std::nullopt, 2000));
            busyReplies.push_back(busy->SendEcho(lab.destination, kHopData, std::uint8_t{1}, 2000));
        }
        waiter.join();
        QVERIFY2(waitedOut, "an answer not asked for ended the wait");
        QVERIFY2(UnreachableReportSeen(watch, family, lab.absent), "the router's report never arrived");
        QVERIFY2(!other || other->Replies() > repliesBefore, "no reply of the other program came during the wait");
        for (std::size_t i = 0; i < busyReplies.size(); ++i) {
            QCOMPARE(busyReplies[i].replyCount, 1u);
            COMPARE_ADDRESS(busyReplies[i].address, i % 2 == 0 ? lab.destination : lab.router1);
        }

        QCOMPARE(waiting->SendEcho(lab.destination, kPingData, std::nullopt, 0).replyCount, 0u);
        QCOMPARE(waiting->SendEcho(lab.destination, kHopData, std::uint8_t{1}, 0).replyCount, 0u);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        QVERIFY2(waitsOutSilentHost(500), "an answer to an earlier request ended the wait");
    }

    void requestsOutstandingTogether_data() { KindsOnly(); }

    // Requests kept outstanding together on one handle, each answer taken once with its own
    // request's sequence: two Ttl 1 requests that router1 answers for different destinations
    // (told apart by the destination its report quotes), router2, the destination with and
    // without a Ttl, and the silent address, which never answers.
    void requestsOutstandingTogether()
    {
        OPEN_HANDLE(handle);
        const IpAddress router2 = LabIp(family, "ROUTER2");
        const std::pair<IpAddress, std::optional<std::uint8_t>> requests[] = {
            {lab.silent, std::nullopt}, {lab.destination, 3},           {lab.destination, 1}, {lab.silent, 1},
            {lab.destination, 2},       {lab.destination, std::nullopt}};
        const IpAddress expected[] = {{}, lab.destination, lab.router1, lab.router1, router2, lab.destination};
        std::map<std::uint16_t, std::size_t> sent;
        for (std::size_t i = 0; i < std::size(requests); ++i) {
            const auto sequence = handle->SendRequest(requests[i].first, kHopData, requests[i].second);
            QVERIFY(sequence && sent.emplace(*sequence, i).second);
        }
        QStringList answered(std::size(requests), QStringLiteral("none"));
        const auto deadline = Clock::now() + 1500ms;
        while (const auto answer = handle->AwaitAnswer(deadline, -1)) {
            QVERIFY(sent.contains(answer->sequence));
            QString& cell = answered[qsizetype(sent.at(answer->sequence))];
            QCOMPARE(cell, QStringLiteral("none"));
            cell = QString::fromLatin1(Text(answer->address));
        }
        QStringList wanted;
        for (const IpAddress& address : expected)
            wanted << (address == IpAddress() ? QStringLiteral("none") : QString::fromLatin1(Text(address)));
        QCOMPARE(answered, wanted);
    }

    void wakesEndWaits_data() { KindsOnly(); }

    // A raised run wake releases its handle's worker within 50 ms while a
    // handle of another run waits on; ShutdownAll then ends the waits of every
    // handle of the service, and of the service only. A woken handle sends
    // nothing more, and a handle gone leaves no descriptor behind.
    void wakesEndWaits()
    {
        LOAD_SERVICE(service);
        const auto otherService = LoadEchoService(choice);
        const auto runWake = std::make_shared<ShutdownSignal>();
        QVERIFY(runWake->IsValid());
        const qsizetype descriptors = netsonde::test::OpenDescriptorCount();
        std::unique_ptr<EchoHandle> handles[] = {service->CreateHandle(family, runWake),
                                                 service->CreateHandle(family, std::make_shared<ShutdownSignal>()),
                                                 service->CreateHandle(family)};
        QVERIFY(handles[0] && handles[1] && handles[2]);
        EchoReply replies[3];
        Clock::time_point returnedAt[3];
        std::vector<std::thread> waiters;
        for (std::size_t i = 0; i < 3; ++i)
            waiters.emplace_back([&, i] {
                replies[i] = handles[i]->SendEcho(lab.silent, kPingData, std::nullopt, 60000);
                returnedAt[i] = Clock::now();
            });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const auto raisedAt = Clock::now();
        runWake->Raise();
        waiters[0].join();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const auto shutdownAt = Clock::now();
        service->ShutdownAll();
        waiters[1].join();
        waiters[2].join();

        const auto ms = [](Clock::duration d) { return std::chrono::floor<std::chrono::milliseconds>(d).count(); };
        QVERIFY2(ms(returnedAt[0] - raisedAt) < 50, qPrintable(QString::number(ms(returnedAt[0] - raisedAt))));
        for (std::size_t i : {1, 2}) {
            QVERIFY2(returnedAt[i] >= shutdownAt, "the run wake ended another run's wait");
            QVERIFY2(ms(returnedAt[i] - shutdownAt) < 10000, "ShutdownAll did not end the wait");
        }
        for (std::size_t i = 0; i < 3; ++i) {
            QCOMPARE(replies[i].replyCount, 0u);
            QCOMPARE(handles[i]->SendEcho(lab.destination, kPingData, std::nullopt, 5000).replyCount, 0u);
            handles[i].reset();
        }
        QCOMPARE(netsonde::test::OpenDescriptorCount(), descriptors);
        const auto otherHandle = otherService->CreateHandle(family);
        QVERIFY(otherHandle);
        QCOMPARE(otherHandle->SendEcho(lab.destination, kPingData, std::nullopt, 5000).replyCount, 1u);
    }

    void loadPrefersDatagramAndExplainsRefusal_data()
    {
        // clang-format off
        QTest::addColumn<IpFamily>("family");
        QTest::addColumn<QByteArray>("protocol");
        QTest::newRow("IPv4") << IpFamily::IPv4 << QByteArray("ICMP ");
        QTest::newRow("IPv6") << IpFamily::IPv6 << QByteArray("ICMPv6 ");
        // clang-format on
    }

    // The lab's source starts with every group inside ping_group_range, which rules the
    // datagram sockets of both families; the test closes the range for a moment to see
    // the raw fallback and the reason given, which names the family.
    void loadPrefersDatagramAndExplainsRefusal()
    {
        QFETCH(IpFamily, family);
        QFETCH(QByteArray, protocol);
        const auto open = LoadEchoService(EchoSocketChoice::Any);
        QCOMPARE(open->SocketKind(family), std::optional{EchoSocketKind::Datagram});
        QVERIFY(QByteArray::fromStdString(open->Description(family)).startsWith(protocol + "datagram"));

        if (netsonde::test::IsInsideUserNamespace())
            QSKIP("the lab's user namespace maps one group: ping_group_range cannot be closed there");
        QVERIFY(netsonde::test::WriteFile(kPingGroupRange, "1 0"));
        const auto datagramOnly = LoadEchoService(EchoSocketChoice::DatagramOnly);
        const auto fallback = LoadEchoService(EchoSocketChoice::Any);
        const bool restored = netsonde::test::WriteFile(kPingGroupRange, "0 2147483647");

        QVERIFY(!datagramOnly->IsLoaded(family));
        QVERIFY(datagramOnly->CreateHandle(family) == nullptr);
        const QByteArray reason = QByteArray::fromStdString(datagramOnly->Description(family));
        QVERIFY2(reason.startsWith("No " + protocol + "socket") && reason.contains("ping_group_range")
                     && reason.contains("\"1 0\""),
                 reason.constData());
        QCOMPARE(fallback->SocketKind(family), std::optional{EchoSocketKind::Raw});
        QVERIFY(QByteArray::fromStdString(fallback->Description(family)).startsWith("raw " + protocol));
        QVERIFY(restored);
    }
};

int main(int argc, char** argv)
{
    netsonde::test::RunInsideLab(argc, argv);
    QCoreApplication application(argc, argv);
    TestEchoLab test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_echolab.moc"
