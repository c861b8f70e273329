// SPDX-License-Identifier: GPL-3.0-or-later
// Echo requests as built, and which received packets count as answers to a probe.

#include "platform/echo/EchoPacket.h"

#include <QtTest>

#include <arpa/inet.h>

#include <cstring>
#include <vector>

using namespace netsonde::echo;

using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

const std::uint32_t kSource = inet_addr("10.200.1.2");
const std::uint32_t kDestination = inet_addr("10.200.3.2");
const std::uint32_t kRouter = inet_addr("10.200.1.1");
constexpr std::uint16_t kIdentifier = 0x4A21;
constexpr std::uint16_t kSequence = 0x0102;
const EchoProbe kProbe{kDestination, kIdentifier, kSequence};

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

// A router's report: its own header, then the start of the packet it refused.
Bytes Report(std::uint8_t type, const Bytes& quotedPacket)
{
    return IpPacket(kRouter, kSource, IcmpMessage(type, 0, 0, quotedPacket));
}

Bytes OurRequest(std::uint32_t to = kDestination, std::uint16_t sequence = kSequence, std::size_t headerWords = 5)
{
    return IpPacket(kSource, to, IcmpMessage(kIcmpEchoRequest, kIdentifier, sequence), headerWords);
}

Bytes Prefix(Bytes bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

} // namespace

class TestEchoPacket : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void checksum_data();
    void checksum();
    void builtRequestCarriesIdsDataAndChecksum_data();
    void builtRequestCarriesIdsDataAndChecksum();
    void rawPacketAnswersProbe_data();
    void rawPacketAnswersProbe();
    void cutReportsAreNeverRead();
    void datagramMessageAnswersProbe_data();
    void datagramMessageAnswersProbe();
    void quotedRequestMatches_data();
    void quotedRequestMatches();
};

void TestEchoPacket::checksum_data()
{
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<quint16>("expected");
    QTest::newRow("empty") << Bytes{} << quint16(0xFFFF);
    QTest::newRow("one's complement example") << Bytes{0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7} << quint16(0x220D);
    QTest::newRow("odd length pads with zero") << Bytes{0x01} << quint16(0xFEFF);
    QTest::newRow("carries fold back") << Bytes{0xFF, 0xFF, 0xFF, 0xFF} << quint16(0x0000);
}

void TestEchoPacket::checksum()
{
    QFETCH(Bytes, bytes);
    QFETCH(quint16, expected);
    QCOMPARE(InternetChecksum(bytes), expected);
}

void TestEchoPacket::builtRequestCarriesIdsDataAndChecksum_data()
{
    QTest::addColumn<Bytes>("data");
    QTest::newRow("no data") << Bytes{};
    QTest::newRow("ping data") << Bytes(64, 0xAA);
    QTest::newRow("odd length") << Bytes{1, 2, 3, 4, 5};
}

void TestEchoPacket::builtRequestCarriesIdsDataAndChecksum()
{
    QFETCH(Bytes, data);
    const Bytes request = BuildEchoRequest(0xBEEF, 0xFFFE, data);
    QCOMPARE(request.size(), kIcmpHeaderSize + data.size());
    QCOMPARE(request[0], kIcmpEchoRequest);
    QCOMPARE(request[1], 0);
    QCOMPARE(request[4], 0xBE);
    QCOMPARE(request[5], 0xEF);
    QCOMPARE(request[6], 0xFF);
    QCOMPARE(request[7], 0xFE);
    QVERIFY(std::equal(data.begin(), data.end(), request.begin() + kIcmpHeaderSize));
    QCOMPARE(InternetChecksum(request), 0);
}

void TestEchoPacket::rawPacketAnswersProbe_data()
{
    QTest::addColumn<Bytes>("packet");
    QTest::addColumn<bool>("answers");

    const auto reply = [](std::uint16_t identifier, std::uint16_t sequence) {
        return IpPacket(kDestination, kSource, IcmpMessage(kIcmpEchoReply, identifier, sequence, Bytes(64, 0xAA)));
    };
    QTest::newRow("echo reply") << reply(kIdentifier, kSequence) << true;
    QTest::newRow("echo reply, other identifier") << reply(kIdentifier + 1, kSequence) << false;
    QTest::newRow("echo reply, other sequence") << reply(kIdentifier, kSequence - 1) << false;
    QTest::newRow("our own request looped back")
        << IpPacket(kSource, kDestination, IcmpMessage(kIcmpEchoRequest, kIdentifier, kSequence)) << false;
    QTest::newRow("echo reply after header options")
        << IpPacket(kDestination, kSource, IcmpMessage(kIcmpEchoReply, kIdentifier, kSequence), 7) << true;

    QTest::newRow("time exceeded") << Report(kIcmpTimeExceeded, OurRequest()) << true;
    QTest::newRow("unreachable") << Report(kIcmpDestinationUnreachable, OurRequest()) << true;
    QTest::newRow("report quoting header options") << Report(kIcmpTimeExceeded, OurRequest(kDestination, kSequence, 6))
                                                   << true;
    QTest::newRow("parameter problem") << Report(12, OurRequest()) << false;
    QTest::newRow("report for another destination") << Report(kIcmpTimeExceeded, OurRequest(kRouter)) << false;
    QTest::newRow("report for another sequence") << Report(kIcmpTimeExceeded, OurRequest(kDestination, kSequence + 1))
                                                 << false;
    QTest::newRow("report quoting an echo reply")
        << Report(kIcmpTimeExceeded,
                  IpPacket(kSource, kDestination, IcmpMessage(kIcmpEchoReply, kIdentifier, kSequence)))
        << false;
    QTest::newRow("report quoting a UDP packet")
        << Report(kIcmpTimeExceeded,
                  IpPacket(kSource, kDestination, IcmpMessage(kIcmpEchoRequest, kIdentifier, kSequence), 5, 17))
        << false;

    Bytes headerTooLong = reply(kIdentifier, kSequence);
    headerTooLong[0] = 0x4F;
    QTest::newRow("header longer than the packet") << headerTooLong << false;
    Bytes headerTooShort = reply(kIdentifier, kSequence);
    headerTooShort[0] = 0x44;
    QTest::newRow("header shorter than 20 bytes") << headerTooShort << false;
    QTest::newRow("not IPv4")
        << IpPacket(kDestination, kSource, IcmpMessage(kIcmpEchoReply, kIdentifier, kSequence), 5, 1, 6) << false;
    QTest::newRow("not ICMP")
        << IpPacket(kDestination, kSource, IcmpMessage(kIcmpEchoReply, kIdentifier, kSequence), 5, 6) << false;
    QTest::newRow("empty") << Bytes{} << false;
}

void TestEchoPacket::rawPacketAnswersProbe()
{
    QFETCH(Bytes, packet);
    QFETCH(bool, answers);
    QCOMPARE(RawPacketAnswersProbe(packet, kProbe), answers);
}

// A report counts only when it holds both headers of the quoted request; any shorter
// cut is refused without reading past its end.
void TestEchoPacket::cutReportsAreNeverRead()
{
    const Bytes report = Report(kIcmpTimeExceeded, OurRequest());
    const std::size_t whole = 20 + kIcmpHeaderSize + 20 + kIcmpHeaderSize;
    QCOMPARE(report.size(), whole);
    for (std::size_t size = 0; size < whole; ++size)
        QVERIFY2(!RawPacketAnswersProbe(Prefix(report, size), kProbe), qPrintable(QString::number(size)));
    QVERIFY(RawPacketAnswersProbe(report, kProbe));
}

void TestEchoPacket::datagramMessageAnswersProbe_data()
{
    QTest::addColumn<Bytes>("message");
    QTest::addColumn<bool>("answers");
    // The kernel chose the identifier and delivers only its socket's: it is not compared.
    QTest::newRow("echo reply") << IcmpMessage(kIcmpEchoReply, 777, kSequence, Bytes(64, 0xAA)) << true;
    QTest::newRow("other sequence") << IcmpMessage(kIcmpEchoReply, 777, kSequence + 1) << false;
    QTest::newRow("echo request") << IcmpMessage(kIcmpEchoRequest, 777, kSequence) << false;
    QTest::newRow("cut header") << Prefix(IcmpMessage(kIcmpEchoReply, 777, kSequence), kIcmpHeaderSize - 1) << false;
}

void TestEchoPacket::datagramMessageAnswersProbe()
{
    QFETCH(Bytes, message);
    QFETCH(bool, answers);
    QCOMPARE(DatagramMessageAnswersProbe(message, kSequence), answers);
}

void TestEchoPacket::quotedRequestMatches_data()
{
    QTest::addColumn<Bytes>("quoted");
    QTest::addColumn<bool>("matches");
    QTest::newRow("our request") << IcmpMessage(kIcmpEchoRequest, 777, kSequence) << true;
    QTest::newRow("other sequence") << IcmpMessage(kIcmpEchoRequest, 777, kSequence - 1) << false;
    QTest::newRow("not a request") << IcmpMessage(kIcmpEchoReply, 777, kSequence) << false;
    QTest::newRow("cut header") << Prefix(IcmpMessage(kIcmpEchoRequest, 777, kSequence), kIcmpHeaderSize - 1) << false;
}

void TestEchoPacket::quotedRequestMatches()
{
    QFETCH(Bytes, quoted);
    QFETCH(bool, matches);
    QCOMPARE(QuotedRequestMatches(quoted, kSequence), matches);
}

QTEST_GUILESS_MAIN(TestEchoPacket)
#include "tst_echopacket.moc"
