// SPDX-License-Identifier: GPL-3.0-or-later
// Echo requests as built, and which received packets count as answers to a probe;
// the origin AS numbers of a hop, and the lookups that run beside the trace.

#include "icmp/AsnLookup.h"
#include "icmp/BackgroundLookups.h"
#include "platform/echo/EchoPacket.h"

#include <QtTest>

#include <arpa/inet.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

using namespace netsonde;
using namespace netsonde::echo;

using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(EchoProbe)
Q_DECLARE_METATYPE(IpFamily)

namespace {

const std::uint32_t kSource = inet_addr("10.200.1.2");
const std::uint32_t kDestination = inet_addr("10.200.3.2");
const std::uint32_t kRouter = inet_addr("10.200.1.1");
constexpr std::uint16_t kIdentifier = 0x4A21;
constexpr std::uint16_t kSequence = 0x0102;
const EchoProbe kProbe{IpAddress::FromIPv4(kDestination), kIdentifier, kSequence};
const IpAddress kSource6 = *ParseIpv6Literal("fd00:200:1::2");
const IpAddress kDestination6 = *ParseIpv6Literal("fd00:200:3::2");
const IpAddress kRouter6 = *ParseIpv6Literal("fd00:200:1::1");
const EchoProbe kProbe6{kDestination6, kIdentifier, kSequence};
constexpr std::uint8_t kNextHeaderIcmpv6 = 58;

void PutBigEndian16(Bytes& bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = static_cast<std::uint8_t>(value >> 8);
    bytes[offset + 1] = static_cast<std::uint8_t>(value);
}

Bytes IcmpMessage(std::uint8_t type, std::uint16_t identifier, std::uint16_t sequence, const Bytes& body = {})
{
    Bytes message(kIcmpHeaderSize, 0);
    message[0] = type;
    PutBigEndian16(message, 4, identifier);
    PutBigEndian16(message, 6, sequence);
    message.insert(message.end(), body.begin(), body.end());
    return message;
}

Bytes IpPacket(std::uint32_t from, std::uint32_t to, const Bytes& payload, std::size_t headerWords = 5,
               std::uint8_t protocol = 1, std::uint8_t version = 4)
{
    Bytes packet(headerWords * 4, 0);
    packet[0] = static_cast<std::uint8_t>((version << 4) | headerWords);
    PutBigEndian16(packet, 2, static_cast<std::uint16_t>(packet.size() + payload.size()));
    packet[8] = 64;
    packet[9] = protocol;
    std::memcpy(&packet[12], &from, 4);
    std::memcpy(&packet[16], &to, 4);
    packet.insert(packet.end(), payload.begin(), payload.end());
    return packet;
}

Bytes Ipv6Packet(const IpAddress& from, const IpAddress& to, const Bytes& payload,
                 std::uint8_t nextHeader = kNextHeaderIcmpv6, std::uint8_t version = 6)
{
    Bytes packet(kIpv6HeaderSize, 0);
    packet[0] = static_cast<std::uint8_t>(version << 4);
    PutBigEndian16(packet, 4, static_cast<std::uint16_t>(payload.size()));
    packet[6] = nextHeader;
    packet[7] = 64;
    std::copy(from.Bytes().begin(), from.Bytes().end(), packet.begin() + 8);
    std::copy(to.Bytes().begin(), to.Bytes().end(), packet.begin() + 24);
    packet.insert(packet.end(), payload.begin(), payload.end());
    return packet;
}

// A router's report as a raw socket reads it: over IPv4 with the router's own header, over
// IPv6 without; then the start of the packet it refused.
Bytes Report(bool v6, std::uint8_t type, const Bytes& quotedPacket)
{
    const Bytes report = IcmpMessage(type, 0, 0, quotedPacket);
    return v6 ? report : IpPacket(kRouter, kSource, report);
}

// An ICMP message sent from the source, to the destination or the router.
Bytes OurPacket(bool v6, const Bytes& icmp, bool toRouter = false)
{
    return v6 ? Ipv6Packet(kSource6, toRouter ? kRouter6 : kDestination6, icmp)
              : IpPacket(kSource, toRouter ? kRouter : kDestination, icmp);
}

Bytes OurRequest(bool v6 = false)
{
    return OurPacket(v6, IcmpMessage(v6 ? kIcmpv6EchoRequest : kIcmpEchoRequest, kIdentifier, kSequence));
}

Bytes Prefix(Bytes bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

constexpr int kPatience = 30000; // ms; only a hung lookup waits this long
const AsnZones kTestZones{"origin.example", "origin6.example"};

bool Readable(int fd, int timeoutMs)
{
    pollfd watch{fd, POLLIN, 0};
    return ::poll(&watch, 1, timeoutMs) == 1;
}

// Jobs that note how many of them run at once and block until the test opens the gate.
class JobGate {
public:
    std::optional<QString> Pass(int key)
    {
        std::unique_lock lock(m_mutex);
        m_peak = std::max(m_peak, ++m_inside);
        m_changed.wait(lock, [this] { return m_open; });
        --m_inside;
        return QString("job %1").arg(key);
    }
    void Open()
    {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    int Inside()
    {
        const std::lock_guard lock(m_mutex);
        return m_inside;
    }
    int Peak()
    {
        const std::lock_guard lock(m_mutex);
        return m_peak;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    int m_inside = 0;
    int m_peak = 0;
};

} // namespace

class TestEchoPacket : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Checksums worked by hand: the header's words 0800 + beef + fffe carry into a 17th bit
    // (1c6ed, folded c6ee); the RFC 1071 example bytes sum to ddf2. The kernel fills in the
    // ICMPv6 checksum: an ICMPv6 request leaves it 0.
    void builtRequestCarriesIdsDataAndChecksum_data()
    {
        // clang-format off
        QTest::addColumn<IpFamily>("family");
        QTest::addColumn<Bytes>("data");
        QTest::addColumn<int>("checksum");
        QTest::newRow("no data, carry folded") << IpFamily::IPv4 << Bytes{} << 0x3911;
        QTest::newRow("odd length") << IpFamily::IPv4 << Bytes{1, 2, 3, 4, 5} << 0x300B;
        QTest::newRow("RFC 1071 example") << IpFamily::IPv4 << Bytes{0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7}
                                          << 0x5B1E;
        QTest::newRow("ICMPv6, ping data") << IpFamily::IPv6 << Bytes(64, 0xAA) << 0;
        // clang-format on
    }

    void builtRequestCarriesIdsDataAndChecksum()
    {
        QFETCH(IpFamily, family);
        QFETCH(Bytes, data);
        const Bytes request = BuildEchoRequest(family, 0xBEEF, 0xFFFE, data);
        const bool ipv6 = family == IpFamily::IPv6;
        QCOMPARE(request[0], ipv6 ? kIcmpv6EchoRequest : kIcmpEchoRequest);
        QCOMPARE(Bytes(request.begin() + 4, request.begin() + 8), (Bytes{0xBE, 0xEF, 0xFF, 0xFE}));
        QCOMPARE(request[1], 0);
        QCOMPARE(Bytes(request.begin() + kIcmpHeaderSize, request.end()), data);
        QTEST(request[2] << 8 | request[3], "checksum");
    }

    // What a raw socket of each family reads (an ICMPv6 socket: the message without the
    // IPv6 header), then the cases of one family only.
    void rawPacketAnswersProbe_data()
    {
        // clang-format off
        QTest::addColumn<EchoProbe>("probe");
        QTest::addColumn<Bytes>("packet");
        QTest::addColumn<bool>("answers");

        for (const bool v6 : {false, true}) {
            const EchoProbe probe = v6 ? kProbe6 : kProbe;
            const std::uint8_t request = v6 ? kIcmpv6EchoRequest : kIcmpEchoRequest;
            const std::uint8_t reply = v6 ? kIcmpv6EchoReply : kIcmpEchoReply;
            const std::uint8_t exceeded = v6 ? kIcmpv6TimeExceeded : kIcmpTimeExceeded;
            const std::uint8_t unreachable = v6 ? kIcmpv6DestinationUnreachable : kIcmpDestinationUnreachable;
            const auto answer = [v6, reply](std::uint16_t identifier, std::uint16_t sequence) {
                const Bytes message = IcmpMessage(reply, identifier, sequence, Bytes(64, 0xAA));
                return v6 ? message : IpPacket(kDestination, kSource, message);
            };
            const auto report = [v6](std::uint8_t type, std::uint8_t quoted, bool toRouter = false) {
                const Bytes icmp = IcmpMessage(quoted, kIdentifier, kSequence);
                return Report(v6, type, OurPacket(v6, icmp, toRouter));
            };
            const char* f = v6 ? "ICMPv6, " : "";
            QTest::addRow("%secho reply", f) << probe << answer(kIdentifier, kSequence) << true;
            QTest::addRow("%secho reply, other identifier", f) << probe << answer(kIdentifier + 1, kSequence) << false;
            QTest::addRow("%secho reply, other sequence", f) << probe << answer(kIdentifier, kSequence - 1) << false;
            QTest::addRow("%stime exceeded", f) << probe << report(exceeded, request) << true;
            QTest::addRow("%sunreachable", f) << probe << report(unreachable, request) << true;
            QTest::addRow("%sreport for another destination", f) << probe << report(exceeded, request, true)
                                                                  << false;
            QTest::addRow("%sreport quoting an echo reply", f) << probe << report(exceeded, reply) << false;
        }

        QTest::newRow("our own request looped back") << kProbe << OurRequest() << false;
        const auto reply = [](std::size_t headerWords = 5, std::uint8_t protocol = 1, std::uint8_t version = 4) {
            const Bytes message = IcmpMessage(kIcmpEchoReply, kIdentifier, kSequence);
            return IpPacket(kDestination, kSource, message, headerWords, protocol, version);
        };
        QTest::newRow("echo reply after header options") << kProbe << reply(7) << true;
        QTest::newRow("parameter problem") << kProbe << Report(false, 12, OurRequest()) << false;
        Bytes headerTooLong = reply();
        headerTooLong[0] = 0x4F;
        QTest::newRow("header longer than the packet") << kProbe << headerTooLong << false;
        QTest::newRow("not IPv4") << kProbe << reply(5, 1, 6) << false;
        QTest::newRow("not ICMP") << kProbe << reply(5, 6) << false;

        QTest::newRow("ICMPv6 packet too big") << kProbe6 << Report(true, 2, OurRequest(true)) << false;
        const Bytes request6 = IcmpMessage(kIcmpv6EchoRequest, kIdentifier, kSequence);
        QTest::newRow("ICMPv6 report quoting an extension header")
            << kProbe6 << Report(true, kIcmpv6TimeExceeded, Ipv6Packet(kSource6, kDestination6, request6, 0)) << false;
        QTest::newRow("ICMPv6 report quoting an IPv4 header")
            << kProbe6 << Report(true, kIcmpv6TimeExceeded, Ipv6Packet(kSource6, kDestination6, request6, 58, 4))
            << false;
        // clang-format on
    }

    void rawPacketAnswersProbe()
    {
        QFETCH(EchoProbe, probe);
        QFETCH(Bytes, packet);
        QFETCH(bool, answers);
        QCOMPARE(RawReadAnswersProbe(packet, probe), answers);
    }

    // A report counts only when it holds both headers of the quoted request (the whole one
    // does: the rows "time exceeded"); any shorter cut is refused without reading past its end.
    void cutReportsAreNeverRead()
    {
        for (const bool v6 : {false, true}) {
            const EchoProbe& probe = v6 ? kProbe6 : kProbe;
            const Bytes report = Report(v6, v6 ? kIcmpv6TimeExceeded : kIcmpTimeExceeded, OurRequest(v6));
            for (std::size_t size = 0; size < report.size(); ++size)
                QVERIFY2(!RawReadAnswersProbe(Prefix(report, size), probe), qPrintable(QString::number(size)));
        }
    }

    // A datagram socket's message answering the probe, and a report's quoted
    // request matching it. The kernel chose the identifier and delivers only
    // its socket's: it is not compared.
    void messageMatchesSequence_data()
    {
        // clang-format off
        QTest::addColumn<bool>("quotedRequest");
        QTest::addColumn<IpFamily>("family");
        QTest::addColumn<Bytes>("message");
        QTest::addColumn<bool>("matches");
        const auto v4 = IpFamily::IPv4;
        const auto v6 = IpFamily::IPv6;
        const auto message = [](std::uint8_t type, int sequence = kSequence) {
            return IcmpMessage(type, 777, std::uint16_t(sequence));
        };
        const auto cut = [&message](std::uint8_t type) { return Prefix(message(type), kIcmpHeaderSize - 1); };
        QTest::newRow("echo reply") << false << v4 << IcmpMessage(kIcmpEchoReply, 777, kSequence, Bytes(64, 0xAA))
                                    << true;
        QTest::newRow("other sequence") << false << v4 << message(kIcmpEchoReply, kSequence + 1) << false;
        QTest::newRow("cut header") << false << v4 << cut(kIcmpEchoReply) << false;
        QTest::newRow("ICMPv6 echo reply") << false << v6 << message(kIcmpv6EchoReply) << true;
        QTest::newRow("ICMP reply on ICMPv6") << false << v6 << message(kIcmpEchoReply) << false;
        QTest::newRow("quoted: our request") << true << v4 << message(kIcmpEchoRequest) << true;
        QTest::newRow("quoted: other sequence") << true << v4 << message(kIcmpEchoRequest, kSequence - 1) << false;
        QTest::newRow("quoted: cut header") << true << v4 << cut(kIcmpEchoRequest) << false;
        QTest::newRow("quoted: ICMPv6 request") << true << v6 << message(kIcmpv6EchoRequest) << true;
        QTest::newRow("quoted: ICMP request on ICMPv6") << true << v6 << message(kIcmpEchoRequest) << false;
        // clang-format on
    }

    void messageMatchesSequence()
    {
        QFETCH(bool, quotedRequest);
        QFETCH(IpFamily, family);
        QFETCH(Bytes, message);
        const bool matches = quotedRequest ? QuotedRequestMatches(message, family, kSequence)
                                           : DatagramMessageAnswersProbe(message, family, kSequence);
        QTEST(matches, "matches");
    }

    // The edges of every range left out; documentation ranges are asked about.
    void originQueryName_data()
    {
        // clang-format off
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("name"); // empty: not asked about
        QTest::newRow("IPv4") << "198.51.100.4" << QByteArray("4.100.51.198.origin.example");
        QTest::newRow("private 10/8") << "10.255.0.1" << QByteArray();
        QTest::newRow("below 172.16/12") << "172.15.255.255" << QByteArray("255.255.15.172.origin.example");
        QTest::newRow("private 172.16/12") << "172.31.255.255" << QByteArray();
        QTest::newRow("above 172.16/12") << "172.32.0.0" << QByteArray("0.0.32.172.origin.example");
        QTest::newRow("private 192.168/16") << "192.168.3.4" << QByteArray();
        QTest::newRow("shared 100.64/10") << "100.127.255.255" << QByteArray();
        QTest::newRow("above 100.64/10") << "100.128.0.0" << QByteArray("0.0.128.100.origin.example");
        QTest::newRow("loopback") << "127.8.0.1" << QByteArray();
        QTest::newRow("link-local") << "169.254.1.1" << QByteArray();
        QTest::newRow("multicast") << "239.1.2.3" << QByteArray();
        QTest::newRow("unspecified") << "0.0.0.0" << QByteArray();
        QTest::newRow("IPv6") << "2001:db8:1:2a::1" << QByteArray("a.2.0.0.1.0.0.0.8.b.d.0.1.0.0.2.origin6.example");
        QTest::newRow("IPv6 loopback") << "::1" << QByteArray();
        QTest::newRow("IPv6 unspecified") << "::" << QByteArray();
        QTest::newRow("IPv6 link-local") << "febf::1" << QByteArray();
        QTest::newRow("above fe80::/10") << "fec0::1" << QByteArray("0.0.0.0.0.0.0.0.0.0.0.0.0.c.e.f.origin6.example");
        QTest::newRow("unique-local") << "fdff::1" << QByteArray();
        QTest::newRow("IPv6 multicast") << "ff02::1" << QByteArray();
        QTest::newRow("IPv4-mapped") << "::ffff:198.51.100.4" << QByteArray();
        // clang-format on
    }

    void originQueryName()
    {
        QFETCH(QString, address);
        QFETCH(QByteArray, name);
        const IpAddress hop = *ParseAddressLiteral(address.toStdString());
        QCOMPARE(IsAsnLookupAllowed(hop), !name.isEmpty());
        QCOMPARE(OriginQueryName(hop, kTestZones).value_or(QByteArray()), name);
        QVERIFY(!OriginQueryName(hop, AsnZones{}));
    }

    void originAsText_data()
    {
        // clang-format off
        QTest::addColumn<QList<QByteArray>>("txt");
        QTest::addColumn<QString>("text"); // empty: none
        QTest::newRow("one number") << QList<QByteArray>{"64500 | 198.51.100.0/24 | ZZ | arin | 2001-01-01"} << "AS64500";
        QTest::newRow("two, later records unread") << QList<QByteArray>{"64500 64501 | 198.51.100.0/24", "x"} << "AS64500 AS64501";
        QTest::newRow("range ends") << QList<QByteArray>{"0  4294967295|"} << "AS0 AS4294967295";
        QTest::newRow("eight") << QList<QByteArray>{"1 2 3 4 5 6 7 8 | x"} << "AS1 AS2 AS3 AS4 AS5 AS6 AS7 AS8";
        QTest::newRow("nine") << QList<QByteArray>{"1 2 3 4 5 6 7 8 9 | x"} << "";
        QTest::newRow("too large") << QList<QByteArray>{"4294967296 | x"} << "";
        QTest::newRow("signed") << QList<QByteArray>{"+64500 | x"} << "";
        QTest::newRow("not a number") << QList<QByteArray>{"AS64500 | x"} << "";
        QTest::newRow("empty field") << QList<QByteArray>{" | 64500"} << "";
        QTest::newRow("no record") << QList<QByteArray>{} << "";
        // clang-format on
    }

    void originAsText()
    {
        QFETCH(QList<QByteArray>, txt);
        QTEST(OriginAsText({txt.begin(), txt.end()}).value_or(QString()), "text");
    }

    // Ten jobs with room for four: never more than four run at once, the
    // descriptor is readable only while results wait, and each result is taken
    // once with its key.
    void backgroundLookupsRunAtMostMaxAtOnce()
    {
        const auto gate = std::make_shared<JobGate>();
        BackgroundLookups lookups(4);
        for (int key = 0; key < 10; ++key)
            QVERIFY(lookups.Submit(key, [gate, key] { return gate->Pass(key); }));
        QTRY_COMPARE(gate->Inside(), 4);
        QVERIFY(!Readable(lookups.PollDescriptor(), 0) && !lookups.IsIdle());
        gate->Open();
        QMap<int, QString> taken;
        while (taken.size() < 10 && Readable(lookups.PollDescriptor(), kPatience)) {
            for (const auto& [key, text] : lookups.TakeFinished()) {
                QVERIFY(!taken.contains(key));
                taken.insert(key, text.value_or(QString()));
            }
        }
        QCOMPARE(taken.size(), 10);
        for (int key = 0; key < 10; ++key)
            QCOMPARE(taken.value(key), QString("job %1").arg(key));
        QCOMPARE(gate->Peak(), 4);
        QVERIFY(!Readable(lookups.PollDescriptor(), 0) && lookups.IsIdle());
    }

    // Destroyed while its one job blocks, the owner returns at once and drops
    // the queued job; the blocked job ends later on its own.
    void backgroundLookupsDestroyedWhileBlocked()
    {
        const auto gate = std::make_shared<JobGate>();
        const auto queuedRan = std::make_shared<std::atomic_bool>(false);
        auto lookups = std::make_unique<BackgroundLookups>(1);
        QVERIFY(lookups->Submit(1, [gate] { return gate->Pass(1); }));
        QVERIFY(lookups->Submit(2, [queuedRan]() -> std::optional<QString> {
            *queuedRan = true;
            return std::nullopt;
        }));
        QTRY_COMPARE(gate->Inside(), 1);
        lookups.reset();
        QCOMPARE(queuedRan.use_count(), 1L);
        gate->Open();
        QTRY_COMPARE_WITH_TIMEOUT(gate.use_count(), 1L, kPatience);
        QVERIFY(!*queuedRan);
    }
};

QTEST_GUILESS_MAIN(TestEchoPacket)
#include "tst_echopacket.moc"
