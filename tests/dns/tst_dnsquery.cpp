// SPDX-License-Identifier: GPL-3.0-or-later
// The query message: header, query name, QTYPE and QCLASS, and refusals.

#include "DnsMessageBuilder.h"

#include "dns/DnsQuery.h"

#include <QDateTime>
#include <QTest>

using namespace netsonde;
using netsonde::test::operator""_wire;

namespace {

const QString kTypeA = QStringLiteral("A - Host address");
const QString kTypePtr = QStringLiteral("PTR - Domain name pointer");

// Header of a query with ID 0x1234: RD set, one question.
const QByteArray kHeader1234 = "\x12\x34\x01\x00\x00\x01\x00\x00\x00\x00\x00\x00"_wire;
const QByteArray kTypeAClassIn = "\x00\x01\x00\x01"_wire;

QString Repeated(char c, int count) { return QString(count, QLatin1Char(c)); }

// The query name of a dotted name: each label after its length byte.
QByteArray EncodedName(const QByteArray& dotted)
{
    QByteArray encoded;
    for (const QByteArray& label : dotted.split('.'))
        encoded.append(static_cast<char>(label.size())).append(label);
    return encoded.append('\0');
}

const QByteArray kTypePtrClassIn = "\x00\x0C\x00\x01"_wire;

// The query of ID 0x1234 for a dotted name.
QByteArray Query(const QByteArray& dotted, const QByteArray& typeAndClass = kTypeAClassIn)
{
    return kHeader1234 + EncodedName(dotted) + typeAndClass;
}

// 15 labels of 63 bytes, each with its dot: 960 bytes of query name.
QString FifteenLongLabels()
{
    QString name;
    for (int i = 0; i < 15; ++i)
        name += Repeated('x', 63) + '.';
    return name;
}

} // namespace

class TestDnsQuery : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void builtQuery_data();
    void builtQuery();
    void reverseNameIs23Bytes();
    void refused_data();
    void refused();
    void idFromTime();
};

void TestDnsQuery::builtQuery_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("searchType");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("name, A")
        << "www.example.com" << kTypeA
        << kHeader1234 + "\x03" "www" "\x07" "example" "\x03" "com" "\x00"_wire + kTypeAClassIn;
    QTest::newRow("trailing dot adds nothing") << "www.example.com." << kTypeA << Query("www.example.com");
    QTest::newRow("leading dot gives the empty name")
        << ".www.example.com" << kTypeA << kHeader1234 + "\x00"_wire + kTypeAClassIn;
    QTest::newRow("two dots end the name")
        << "www..example.com" << kTypeA << kHeader1234 + "\x03" "www" "\x00"_wire + kTypeAClassIn;
    QTest::newRow("case kept") << "WwW.ExAmPlE.CoM" << kTypeA << Query("WwW.ExAmPlE.CoM");
    QTest::newRow("dotted address reversed")
        << "10.1.2.3" << kTypePtr
        << kHeader1234
               + "\x01" "3" "\x01" "2" "\x01" "1" "\x02" "10" "\x07" "IN-ADDR" "\x04" "ARPA" "\x00"_wire
               + kTypePtrClassIn;
    QTest::newRow("short address reversed as written")
        << "10.1" << kTypePtr << Query("1.10.IN-ADDR.ARPA", kTypePtrClassIn);
    QTest::newRow("hexadecimal address reversed as written")
        << "0x7f.1" << kTypePtr << Query("1.0x7f.IN-ADDR.ARPA", kTypePtrClassIn);
    QTest::newRow("255.255.255.255 not reversed") << "255.255.255.255" << kTypeA << Query("255.255.255.255");
    QTest::newRow("five parts is a name") << "1.2.3.4.5" << kTypeA << Query("1.2.3.4.5");
    QTest::newRow("UTF-8 bytes of the text")
        << QString::fromUtf8("b\xC3\xBC" "cher.de") << kTypeA
        << kHeader1234 + "\x07" "b\xC3\xBC" "cher" "\x02" "de" "\x00"_wire + kTypeAClassIn;
    QTest::newRow("ALL") << "a" << "ALL - All records" << Query("a", "\x00\xFF\x00\x01"_wire);
    QTest::newRow("MAILB") << "a" << "MAILB - Mailbox related records" << Query("a", "\x00\xFD\x00\x01"_wire);
    QTest::newRow("MX") << "a" << "MX - Mail exchange" << Query("a", "\x00\x0F\x00\x01"_wire);
    QTest::newRow("WKS") << "a" << "WKS - Well known service description" << Query("a", "\x00\x0B\x00\x01"_wire);
    QTest::newRow("AAAA") << "a" << "AAAA - IPv6 host address" << Query("a", "\x00\x1C\x00\x01"_wire);
    QTest::newRow("SRV") << "_sip._udp.a" << "SRV - Service location" << Query("_sip._udp.a", "\x00\x21\x00\x01"_wire);
    QTest::newRow("IPv6 address reversed by nibbles")
        << "2001:db8::1" << kTypePtr
        << Query("1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa", kTypePtrClassIn);
    QTest::newRow("IPv6 address in upper case, nibbles in lower case")
        << "FE80::ABCD" << kTypePtr
        << Query("d.c.b.a.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.e.f.ip6.arpa", kTypePtrClassIn);
    QTest::newRow("IPv4-mapped IPv6 address reversed by nibbles")
        << "::ffff:10.1.2.3" << kTypePtr
        << Query("3.0.2.0.1.0.a.0.f.f.f.f.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.ip6.arpa", kTypePtrClassIn);
    QTest::newRow("not an IPv6 address is a name")
        << "2001:db8::1::2" << kTypePtr << Query("2001:db8::1::2", kTypePtrClassIn);
    QTest::newRow("63-byte label")
        << Repeated('x', 63) + ".de" << kTypeA
        << kHeader1234 + "\x3F"_wire + QByteArray(63, 'x') + "\x02" "de" "\x00"_wire + kTypeAClassIn;
    const QString fullName = FifteenLongLabels() + Repeated('y', 46);
    QTest::newRow("query of 1024 bytes") << fullName << kTypeA << Query(fullName.toLatin1());
    QTest::newRow("64-byte part after the end of the name")
        << "a.." + Repeated('x', 64) << kTypeA
        << kHeader1234 + "\x01" "a" "\x00"_wire + kTypeAClassIn;
}

void TestDnsQuery::builtQuery()
{
    QFETCH(QString, host);
    QFETCH(QString, searchType);
    QFETCH(QByteArray, expected);

    const DnsQuery query = BuildDnsQuery(host, searchType, 0x1234);
    QVERIFY2(query.Succeeded(), qPrintable(query.failure));
    QCOMPARE(query.bytes.toHex(' '), expected.toHex(' '));
    QVERIFY(query.bytes.size() <= kDnsMessageBufferSize);
}

void TestDnsQuery::reverseNameIs23Bytes()
{
    const DnsQuery query = BuildDnsQuery(QStringLiteral("10.1.2.3"), kTypePtr, 0xABCD);
    QCOMPARE(query.bytes.size(), 12 + 23 + 4);
    QCOMPARE(static_cast<quint8>(query.bytes[0]), 0xABu);
    QCOMPARE(static_cast<quint8>(query.bytes[1]), 0xCDu);
}

void TestDnsQuery::refused_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("searchType");
    QTest::addColumn<QString>("failure");

    const QString undefined =
        QStringLiteral("Internal Error: Undefined record type in NameServerLookUp");
    const QString labelTooLong = QStringLiteral("A part of the host name is longer than 63 bytes");
    const QString queryTooLong = QStringLiteral("The host name is too long to fit in a query");

    QTest::newRow("resolver entry") << "a" << "Use Winsock Function GetHostByX" << undefined;
    QTest::newRow("unknown text") << "a" << "AAAA - IPv6 address" << undefined;
    QTest::newRow("case differs") << "a" << "a - Host address" << undefined;
    QTest::newRow("trailing blank") << "a" << "A - Host address " << undefined;
    QTest::newRow("empty type") << "a" << "" << undefined;
    QTest::newRow("undefined type wins over a long label")
        << Repeated('x', 64) << "Bogus" << undefined;
    QTest::newRow("64-byte label") << Repeated('x', 64) + ".de" << kTypeA << labelTooLong;
    QTest::newRow("64-byte last label") << "de." + Repeated('x', 64) << kTypeA << labelTooLong;
    QTest::newRow("64 two-byte characters") << QString(32, QChar(0xE9)) << kTypeA << labelTooLong;

    // One label of 47 after 960 bytes makes the query 12 + 960 + 48 + 1 + 4 = 1025 bytes.
    QTest::newRow("query of 1025 bytes") << FifteenLongLabels() + Repeated('y', 47) << kTypeA << queryTooLong;
    QString endless;
    for (int i = 0; i < 200; ++i)
        endless += QStringLiteral("label.");
    QTest::newRow("many short labels") << endless << kTypeA << queryTooLong;
}

void TestDnsQuery::refused()
{
    QFETCH(QString, host);
    QFETCH(QString, searchType);
    QFETCH(QString, failure);

    const DnsQuery query = BuildDnsQuery(host, searchType, 1);
    QVERIFY(!query.Succeeded());
    QCOMPARE(query.failure, failure);
    QVERIFY(query.bytes.isEmpty());
}

void TestDnsQuery::idFromTime()
{
    QCOMPARE(DnsQueryIdForTime(0), quint16{0});
    QCOMPARE(DnsQueryIdForTime(0x12345678), quint16{0x5678});
    QCOMPARE(DnsQueryIdForTime(0x1FFFF), quint16{0xFFFF});
    QCOMPARE(DnsQueryIdForTime(0x20000), quint16{0});

    const qint64 before = QDateTime::currentSecsSinceEpoch();
    const quint16 id = CurrentDnsQueryId();
    const qint64 after = QDateTime::currentSecsSinceEpoch();
    QVERIFY(id == DnsQueryIdForTime(before) || id == DnsQueryIdForTime(after));
}

QTEST_GUILESS_MAIN(TestDnsQuery)
#include "tst_dnsquery.moc"
