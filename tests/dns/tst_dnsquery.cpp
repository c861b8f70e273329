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

QString Repeated(char c, int count) { return QString(count, QLatin1Char(c)); }

// The query of ID 0x1234 (RD set, one question) for a dotted name, each
// label after its length byte; QTYPE as given, QCLASS IN. "" is the root.
QByteArray Query(const QByteArray& dotted, int qtype = 1)
{
    QByteArray query = "\x12\x34\x01\x00\x00\x01\x00\x00\x00\x00\x00\x00"_wire;
    for (const QByteArray& label : dotted.split('.'))
        if (!label.isEmpty())
            query.append(static_cast<char>(label.size())).append(label);
    return query.append('\0').append(char(qtype >> 8)).append(char(qtype)).append("\x00\x01"_wire);
}

// 15 labels of 63 bytes, each with its dot: 960 bytes of query name.
QString FifteenLongLabels() { return QStringList(15, Repeated('x', 63)).join('.') + '.'; }

} // namespace

class TestDnsQuery : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void builtQuery_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("searchType");
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char* tag, const QString& host, const QString& type, const QByteArray& expected) {
            QTest::newRow(tag) << host << type << expected;
        };
        row("name, A", "www.example.com", kTypeA,
            "\x12\x34\x01\x00\x00\x01\x00\x00\x00\x00\x00\x00"
            "\x03" "www" "\x07" "example" "\x03" "com" "\x00\x00\x01\x00\x01"_wire);
        row("trailing dot adds nothing", "www.example.com.", kTypeA, Query("www.example.com"));
        row("leading dot gives the empty name", ".www.example.com", kTypeA, Query(""));
        row("two dots end the name", "www..example.com", kTypeA, Query("www"));
        row("case kept", "WwW.ExAmPlE.CoM", kTypeA, Query("WwW.ExAmPlE.CoM"));
        row("dotted address reversed", "10.1.2.3", kTypePtr, Query("3.2.1.10.IN-ADDR.ARPA", 12));
        row("short address reversed as written", "10.1", kTypePtr, Query("1.10.IN-ADDR.ARPA", 12));
        row("hexadecimal address reversed as written", "0x7f.1", kTypePtr, Query("1.0x7f.IN-ADDR.ARPA", 12));
        row("255.255.255.255 not reversed", "255.255.255.255", kTypeA, Query("255.255.255.255"));
        row("five parts is a name", "1.2.3.4.5", kTypeA, Query("1.2.3.4.5"));
        row("UTF-8 bytes of the text", QString::fromUtf8("b\xC3\xBC" "cher.de"), kTypeA, Query("b\xC3\xBC" "cher.de"));
        for (const auto& [type, qtype] : {std::pair{"ALL - All records", 255}, {"MAILB - Mailbox related records", 253},
                                          {"MX - Mail exchange", 15}, {"WKS - Well known service description", 11},
                                          {"AAAA - IPv6 host address", 28}, {"SRV - Service location", 33}})
            row(type, "_sip._udp.a", type, Query("_sip._udp.a", qtype));
        row("IPv6 address reversed by nibbles", "2001:db8::1", kTypePtr,
            Query("1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa", 12));
        row("IPv6 address in upper case, nibbles in lower case", "FE80::ABCD", kTypePtr,
            Query("d.c.b.a.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.e.f.ip6.arpa", 12));
        row("IPv4-mapped IPv6 address reversed by nibbles", "::ffff:10.1.2.3", kTypePtr,
            Query("3.0.2.0.1.0.a.0.f.f.f.f.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.ip6.arpa", 12));
        row("not an IPv6 address is a name", "2001:db8::1::2", kTypePtr, Query("2001:db8::1::2", 12));
        row("63-byte label", Repeated('x', 63) + ".de", kTypeA, Query(QByteArray(63, 'x') + ".de"));
        const QString fullName = FifteenLongLabels() + Repeated('y', 46);
        row("query of 1024 bytes", fullName, kTypeA, Query(fullName.toLatin1()));
        row("64-byte part after the end of the name", "a.." + Repeated('x', 64), kTypeA, Query("a"));
    }
    void builtQuery()
    {
        QFETCH(QString, host);
        QFETCH(QString, searchType);
        QFETCH(QByteArray, expected);
        const DnsQuery query = BuildDnsQuery(host, searchType, 0x1234);
        QVERIFY2(query.Succeeded(), qPrintable(query.failure));
        QCOMPARE(query.bytes.toHex(' '), expected.toHex(' '));
        QVERIFY(query.bytes.size() <= kDnsMessageBufferSize);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("searchType");
        QTest::addColumn<QString>("failure");
        const QString undefined = QStringLiteral("Internal Error: Undefined record type in NameServerLookUp");
        const QString labelTooLong = QStringLiteral("A part of the host name is longer than 63 bytes");
        const QString queryTooLong = QStringLiteral("The host name is too long to fit in a query");
        QTest::newRow("resolver entry") << "a" << "Use Winsock Function GetHostByX" << undefined;
        QTest::newRow("unknown text") << "a" << "AAAA - IPv6 address" << undefined;
        QTest::newRow("case differs") << "a" << "a - Host address" << undefined;
        QTest::newRow("trailing blank") << "a" << "A - Host address " << undefined;
        QTest::newRow("empty type") << "a" << "" << undefined;
        QTest::newRow("undefined type wins over a long label") << Repeated('x', 64) << "Bogus" << undefined;
        QTest::newRow("64-byte label") << Repeated('x', 64) + ".de" << kTypeA << labelTooLong;
        QTest::newRow("64-byte last label") << "de." + Repeated('x', 64) << kTypeA << labelTooLong;
        QTest::newRow("64 two-byte characters") << QString(32, QChar(0xE9)) << kTypeA << labelTooLong;
        // One label of 47 after 960 bytes makes the query 12 + 960 + 48 + 1 + 4 = 1025 bytes.
        QTest::newRow("query of 1025 bytes") << FifteenLongLabels() + Repeated('y', 47) << kTypeA << queryTooLong;
        QTest::newRow("many short labels") << QString("label.").repeated(200) << kTypeA << queryTooLong;
    }
    void refused()
    {
        QFETCH(QString, host);
        QFETCH(QString, searchType);
        const DnsQuery query = BuildDnsQuery(host, searchType, 1);
        QVERIFY(!query.Succeeded() && query.bytes.isEmpty());
        QTEST(query.failure, "failure");
    }

    void idFromTime()
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
};

QTEST_GUILESS_MAIN(TestDnsQuery)
#include "tst_dnsquery.moc"
