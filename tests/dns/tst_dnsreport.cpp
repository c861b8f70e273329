// SPDX-License-Identifier: GPL-3.0-or-later
// DNS messages byte by byte: the query built, the wire cursor, the name
// decoder and the text of received bytes; the report of received messages,
// short and verbose, and their data form, on hand-built datagrams: every
// heading combination, compression pointers, and datagrams cut short or lying.

#include "support/DnsMessageBuilder.h"

#include "dns/DnsDomainName.h"
#include "dns/DnsMessageJson.h"
#include "dns/DnsQuery.h"
#include "dns/DnsReport.h"
#include "dns/DnsWireCursor.h"
#include "dns/Ipv6AddressText.h"
#include "platform/net/IpAddress.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace netsonde;
using namespace Qt::StringLiterals;
using netsonde::test::DnsMessageBuilder;
using netsonde::test::operator""_wire;

Q_DECLARE_METATYPE(netsonde::DnsWireError)
Q_DECLARE_METATYPE(netsonde::DnsQueryEdns)

namespace {

const QString kTypeA = QStringLiteral("A - Host address");
const QString kTypePtr = QStringLiteral("PTR - Domain name pointer");

QString Repeated(char c, int count)
{
    return QString(count, QLatin1Char(c));
}

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

// The query with ARCOUNT 1 and the OPT record given (root name onwards).
QByteArray WithOpt(QByteArray query, const QByteArray& opt)
{
    query[11] = 1;
    return query + opt;
}

// 15 labels of 63 bytes, each with its dot: 960 bytes of query name.
QString FifteenLongLabels()
{
    return QStringList(15, Repeated('x', 63)).join('.') + '.';
}

// The header of a reply with ID 0x1234, QR and RD and RA set.
DnsMessageBuilder ReplyHeader(int qd, int an, int ns, int ar)
{
    return DnsMessageBuilder().Header(0x1234, 0x81, 0x80, qd, an, ns, ar);
}

// That reply with one question for "example.com" (offsets 12..24), QTYPE A
// (25), QCLASS IN (27). Records start at offset 29.
DnsMessageBuilder Reply(int an, int ns, int ar)
{
    return ReplyHeader(1, an, ns, ar).Name({"example", "com"}).Question(1, 1);
}

// One answer named by a pointer to the question's name.
DnsMessageBuilder Answer(int type, const QByteArray& rdata)
{
    return Reply(1, 0, 0).Pointer(12).Fields(type, 1, 3600, rdata);
}

DnsMessageBuilder Rdata()
{
    return DnsMessageBuilder();
}

// A record of address 10.0.0.n with the root as its name, and its report lines.
QByteArray AddressRecord(int n)
{
    return Rdata().Root().Fields(1, 1, 0, QByteArray("\x0A\x00\x00"_wire) + char(n));
}
QString AddressRecordText(int n)
{
    return QStringLiteral("   Name=\r\n   Type=A, Class=1, TTL=0, RDLENGTH=4\r\n   IP Address=10.0.0.%1\r\n").arg(n);
}

const QByteArray kAddress1 = "\x0A\x00\x00\x01"_wire;
const char* const kValidatedNote =
    "Note: the name server claims to have validated this answer (AD flag); Netsonde itself validates nothing.\r\n";

// The answer section up to the RDATA lines, for a record of class 1 named by
// a pointer to the question's name.
QString AnswerHead(const char* type, int ttl, int rdLength)
{
    return QStringLiteral("Answer Section:\r\n   Name=example.com\r\n   Type=%1, Class=1, TTL=%2, RDLENGTH=%3\r\n")
        .arg(QLatin1String(type))
        .arg(ttl)
        .arg(rdLength);
}

// The verbose header of a reply of ReplyHeader() with the given counts.
QString VerboseHead(int qd, int an, int ns, int ar)
{
    return QStringLiteral("Header:\r\n   ID=4660, QR=Response, Opcode=QUERY, RCODE=NO ERROR\r\n"
                          "   Authoritative Answer=No, Truncation=No\r\n"
                          "   Recursion Desired=Yes, Recursion Available=Yes\r\n"
                          "   Authentic Data=No, Checking Disabled=No\r\n"
                          "   QDCOUNT=%1, ANCOUNT=%2, NSCOUNT=%3, ARCOUNT=%4\r\nQuestion:\r\n")
        .arg(qd)
        .arg(an)
        .arg(ns)
        .arg(ar);
}

QString CutShort(const char* where)
{
    return QStringLiteral("   Error: message cut short in the %1\r\n---\r\n").arg(where);
}

// A record's members in the data form up to RDLENGTH, then the row's own.
QByteArray JsonRecord(const char* name, const char* type, int number, int ttl, int rdLength, const char* rest)
{
    return QString(R"j({"name": "%1", "type": "%2", "type_number": %3, "class": 1, "ttl": %4, "rdlength": %5%6})j")
        .arg(QLatin1String(name), QLatin1String(type))
        .arg(number)
        .arg(ttl)
        .arg(rdLength)
        .arg(QString::fromUtf8(rest))
        .toUtf8();
}
// AddressRecord(n) in the data form.
QByteArray JsonAddress(int n)
{
    return JsonRecord("", "A", 1, 0, 4,
                      qPrintable(QStringLiteral(R"j(, "address": "10.0.0.%1", "presentation": "10.0.0.%1")j").arg(n)));
}

void Row(const char* tag, const QByteArray& message, const QString& expected, bool verbose = false,
         const QByteArray& json = {})
{
    QTest::newRow(tag) << message << verbose << expected << json;
}

} // namespace

class TestDnsMessage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void builtQuery_data()
    {
        // clang-format off
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("searchType");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<DnsQueryEdns>("edns");
        const auto row = [](const char* tag, const QString& host, const QString& type, const QByteArray& expected,
                            DnsQueryEdns edns = {}) {
            QTest::newRow(tag) << host << type << expected << edns;
        };
        row("name, A", "www.example.com", kTypeA, Query("www.example.com"));
        row("leading dot gives the empty name", ".www.example.com", kTypeA, Query(""));
        row("short address reversed as written", "10.1", kTypePtr, Query("1.10.IN-ADDR.ARPA", 12));
        row("IPv6 address in brackets, nibbles in lower case", "[FE80::ABCD]", kTypePtr,
            Query("d.c.b.a.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.e.f.ip6.arpa", 12));
        const QString fullName = FifteenLongLabels() + Repeated('y', 46);
        row("query of 1024 bytes", fullName, kTypeA, Query(fullName.toLatin1()));
        row("64-byte part after the end of the name", "a.." + Repeated('x', 64), kTypeA, Query("a"));
        row("international name as A-labels", u"B\u00fccher.Example"_s, kTypeA, Query("xn--bcher-kva.example"));
        row("OPT record", "www.example.com", kTypeA,
            WithOpt(Query("www.example.com"), "\x00\x00\x29\x04\xd0\x00\x00\x00\x00\x00\x00"_wire), {1232, false});
        row("OPT record with DO", "10.1", kTypePtr,
            WithOpt(Query("1.10.IN-ADDR.ARPA", 12), "\x00\x00\x29\x10\x00\x00\x00\x80\x00\x00\x00"_wire), {4096, true});
        // clang-format on
    }
    void builtQuery()
    {
        QFETCH(QString, host);
        QFETCH(QString, searchType);
        QFETCH(QByteArray, expected);
        QFETCH(DnsQueryEdns, edns);
        const DnsQuery query = BuildDnsQuery(host, searchType, 0x1234, edns);
        QVERIFY2(query.Succeeded(), qPrintable(query.failure));
        QCOMPARE(query.bytes.toHex(' '), expected.toHex(' '));
    }

    void refused_data()
    {
        // clang-format off
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("searchType");
        QTest::addColumn<QString>("failure");
        const QString undefined = QStringLiteral("Internal Error: Undefined record type in NameServerLookUp");
        const QString labelTooLong = QStringLiteral("A part of the host name is longer than 63 bytes");
        const QString queryTooLong = QStringLiteral("The host name is too long to fit in a query");
        QTest::newRow("resolver entry") << "a" << "Use Winsock Function GetHostByX" << undefined;
        QTest::newRow("case differs") << "a" << "a - Host address" << undefined;
        QTest::newRow("trailing blank") << "a" << "A - Host address " << undefined;
        QTest::newRow("undefined type wins over a long label") << Repeated('x', 64) << "Bogus" << undefined;
        QTest::newRow("64-byte label") << Repeated('x', 64) + ".de" << kTypeA << labelTooLong;
        QTest::newRow("64-byte last label") << "de." + Repeated('x', 64) << kTypeA << labelTooLong;
        QTest::newRow("A-label over 63 bytes") << QString(64, QChar(0xE9)) << kTypeA << QString(kNotAnIdnMessage);
        QTest::newRow("no A-label form") << u"\u2488x.example"_s << kTypeA << QString(kNotAnIdnMessage);
        // One label of 47 after 960 bytes makes the query 12 + 960 + 48 + 1 + 4 = 1025 bytes.
        QTest::newRow("query of 1025 bytes") << FifteenLongLabels() + Repeated('y', 47) << kTypeA << queryTooLong;
        // clang-format on
    }
    void refused()
    {
        QFETCH(QString, host);
        QFETCH(QString, searchType);
        const DnsQuery query = BuildDnsQuery(host, searchType, 1);
        QVERIFY(!query.Succeeded() && query.bytes.isEmpty());
        QTEST(query.failure, "failure");
    }

    // Hardly an ID twice in 200, and not counting up.
    void randomIds()
    {
        QList<quint16> ids;
        for (int i = 0; i < 200; ++i)
            ids << NewDnsQueryId();
        QVERIFY(!std::is_sorted(ids.cbegin(), ids.cend()));
        QVERIFY(QSet<quint16>(ids.cbegin(), ids.cend()).size() >= 195);
    }

    // The reads' values and a cursor's own end are the report and name rows', and so is a failed read
    // leaving the cursor where it was ("cut inside a label"). The error is sticky and the byte that is
    // there is not read once the cursor has failed. A cursor set beyond the message ends with it.
    void cursor()
    {
        const QByteArray message = "\x01\x02\x03\x04\x05\x06\x07\xFF\xFF\xFF\xFF"_wire;
        DnsWireCursor sticky(message, 9, 11);
        QCOMPARE(sticky.ReadU32(), quint32{0});
        QCOMPARE(sticky.Error(), DnsWireError::CutShort);
        QCOMPARE(sticky.ReadU8(), quint8{0});
        sticky.Fail(DnsWireError::BadPointer);
        QCOMPARE(sticky.Error(), DnsWireError::CutShort);
        DnsWireCursor negative(message, 0, 5);
        QVERIFY(negative.ReadBytes(-1).isEmpty());
        QVERIFY(negative.Failed());
        DnsWireCursor beyond(message, 19, 20);
        QCOMPARE(beyond.End(), 11);
        QCOMPARE(beyond.Position(), 11);
    }

    void decodeName_data()
    {
        // clang-format off
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end"); // of the cursor; the message's end when -1
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("after"); // past the name, or where it was found cut or its first pointer ended
        QTest::addColumn<DnsWireError>("error");
        const auto row = [](const char* tag, const QByteArray& message, int start, const QByteArray& name, int after,
                            DnsWireError error = DnsWireError::None, int end = -1) {
            QTest::newRow(tag) << message << start << end << name << after << error;
        };
        const auto cut = DnsWireError::CutShort;
        const auto bad = DnsWireError::BadPointer;
        // "example.com" at 0..12 (13 bytes), what each row adds from 13 on.
        const auto base = [] { return DnsMessageBuilder().Name({"example", "com"}); };
        row("label then pointer to the zero byte", base().Labels({"mail"}).Pointer(12), 13, "mail", 20);
        const auto one = [](const QByteArray& label) -> QByteArray { return DnsMessageBuilder().Name({label}); };
        row("length 0x40 is a label", one(QByteArray(0x40, 'x')), 0, QByteArray(0x40, 'x'), 0x42);
        row("length 0xBF is a label", one(QByteArray(0xBF, 'x')), 0, QByteArray(0xBF, 'x'), 0xC1);
        row("no zero byte", DnsMessageBuilder().Labels({"example", "com"}), 0, "example.com", 12, cut);
        row("cut inside a label", "\x07" "exa"_wire, 0, "", 1, cut);
        row("cut inside a pointer", base().Labels({"www"}).U8(0xC0), 13, "www", 18, cut);
        // A pointer must point backwards, before the name that holds it: otherwise a loop would hang the decoder.
        row("pointer to itself", base().Pointer(13), 13, "", 15, bad);
        row("pointer forward", base().Pointer(15).Root(), 13, "", 15, bad);
        row("label then pointer to its own start", base().Labels({"a"}).Pointer(13), 13, "a", 17, bad);
        // 13 = "a" -> 0; the name at 17 points to 13, and "b" at 19 points back to 17.
        row("chain that comes back", base().Labels({"a"}).Pointer(0).Pointer(13).Labels({"b"}).Pointer(17), 19,
            "b.a.example.com", 23);
        // The name at 4 points back to 0, whose labels run on into the pointer.
        row("labels reached again after a jump", "\x01" "a" "\x01" "b" "\x01" "c" "\xC0\x00"_wire, 4, "c.a.b", 8, bad);
        // The labels of the name at 13 need 4 bytes but its cursor ends after 3; its pointer may still reach 0.
        const QByteArray limited = base().Labels({"ab"}).Pointer(0).Root();
        row("labels past the cursor's end", limited, 13, "ab", 16, cut, 16);
        row("pointer behind the cursor's start", limited, 13, "ab.example.com", 18, DnsWireError::None, 18);
        // clang-format on
    }
    void decodeName()
    {
        QFETCH(QByteArray, message);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(int, after);
        DnsWireCursor cursor(message, start, end < 0 ? message.size() : end);
        QTEST(DecodeDomainName(cursor), "name");
        QTEST(cursor.Error(), "error");
        QCOMPARE(cursor.Position(), after);
    }

    void report_data()
    {
        // clang-format off
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<bool>("verbose");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QByteArray>("json"); // the data form's members the row checks, if any
        // One answer named by a pointer to the question's name, TTL 3600; its own members in the data form.
        const auto row = [](const char* tag, int type, const QByteArray& rdata, const char* word, const char* lines,
                            const char* json = nullptr) {
            const QByteArray record = JsonRecord("example.com", word, type, 3600, int(rdata.size()), json);
            Row(tag, Answer(type, rdata), AnswerHead(word, 3600, int(rdata.size())) + lines + "---\r\n", false,
                json ? R"j({"answers": [)j" + record + "]}" : QByteArray());
        };
        row("A with RDLENGTH 16", 1, "\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x80\xFF"_wire, "A",
            "   IP Address=0.1.2.3.4.5.6.7.8.9.10.11.12.13.128.255\r\n");
        row("SOA", 6,
            Rdata().Labels({"ns1"}).Pointer(12).Labels({"hostmaster"}).Pointer(12)
                .U32(2024010101).U32(7200).U32(0x80000000).U32(0xFFFFFFFF).U32(300), "SOA",
            "   Name Server=ns1.example.com, Mailbox=hostmaster.example.com\r\n"
            "   Serial=2024010101, Refresh=7200, Retry=-2147483648\r\n   Expire=-1, Minimum=300\r\n",
            R"j(, "mname": "ns1.example.com", "rname": "hostmaster.example.com", "serial": 2024010101,
                "refresh": 7200, "retry": -2147483648, "expire": -1, "minimum": 300, "presentation":
                "ns1.example.com. hostmaster.example.com. 2024010101 7200 2147483648 4294967295 300")j");
        row("WKS", 11, "\xC0\x00\x02\x01\x06"_wire, "WKS", "   IP Address=192.0.2.1, Protocol=6\r\n",
            R"j(, "address": "192.0.2.1", "protocol": 6, "presentation": "192.0.2.1 6")j");
        row("HINFO", 13, "\x06" "PDP-11" "\x04" "UNIX"_wire, "HINFO", "   CPU=PDP-11, OS=UNIX\r\n",
            ", \"cpu\": \"PDP-11\", \"os\": \"UNIX\", \"presentation\": \"\\\"PDP-11\\\" \\\"UNIX\\\"\"");
        row("MX preference 65535", 15, Rdata().U16(65535).Root(), "MX", "   Preference=65535, Mail Exchange=\r\n",
            R"j(, "preference": 65535, "exchange": "", "presentation": "65535 .")j");
        row("TXT with quotes, a newline and bytes above 127", 16,
            "\x0A" "say \"hi\",\n" "\x05" "\xC3\xA9\xFF\x01\x7F"_wire, "TXT",
            "   TXT=say \"hi\",\n\r\n   TXT=\xC3\xA9\xC3\xBF\x01\x7F\r\n",
            ", \"strings\": [\"say \\\"hi\\\",\\n\", \"\xC3\xA9\xC3\xBF\\u0001\x7F\"], \"presentation\":"
            " \"\\\"say \\\\\\\"hi\\\\\\\",\\\\010\\\" \\\"\\\\195\\\\169\\\\255\\\\001\\\\127\\\"\"");
        row("TXT with an empty string", 16, "\x00"_wire, "TXT", "   TXT=\r\n");
        row("TXT with RDLENGTH 0", 16, QByteArray(), "TXT", "");
        row("AAAA with RDLENGTH 17, the last byte not shown", 28, QByteArray(16, '\0') + "\x07"_wire, "AAAA",
            "   IPv6 Address=::\r\n");
        // The types beyond the first seventeen: one line, the RDATA as dig prints it, hex and base64 unbroken.
        const auto shown = [&row](const char* tag, int type, const QByteArray& rdata, const char* word,
                                  const QString& text, const char* json = nullptr) {
            row(tag, type, rdata, word, qPrintable("   " + QLatin1String(word) + '=' + text + "\r\n"), json);
        };
        shown("CAA, a quote and a byte above 127 escaped", 257, "\x00\x05" "issue" "a\"b\xFF"_wire, "CAA",
              "0 issue \"a\\\"b\\255\"");
        shown("DNSKEY, short form: no key id", 48, "\x01\x01\x03\x0D\x01\x02\x03\x04"_wire, "DNSKEY", "257 3 13 AQIDBA==",
              R"j(, "presentation": "257 3 13 AQIDBA==", "key_tag": 2068)j");
        shown("CDNSKEY of a deletion", 60, "\x00\x00\x03\x00\x00"_wire, "CDNSKEY", "0 3 0 AA==");
        shown("DS", 43, Rdata().U16(12345).U8(13).U8(2).Raw(QByteArray(32, '\xAB')), "DS",
              "12345 13 2 " + QString("AB").repeated(32));
        shown("CDS of a deletion", 59, "\x00\x00\x00\x00\x00"_wire, "CDS", "0 0 0 00");
        shown("HTTPS, parameters in wire order", 65, Rdata().U16(1).Root().U16(1).U16(6).Raw("\x02h2\x02h3"_wire)
              .U16(3).U16(2).U16(443).U16(4).U16(4).Raw(kAddress1).U16(65000).U16(0), "HTTPS",
              "1 . alpn=\"h2,h3\" port=443 ipv4hint=10.0.0.1 key65000");
        shown("SVCB, the other keys", 64, Rdata().U16(2).Labels({"svc"}).Pointer(12).U16(0).U16(4).U16(1).U16(3)
              .U16(2).U16(0).U16(5).U16(2).Raw("\x01\x02"_wire).U16(6).U16(16)
              .Raw(QByteArray::fromHex("20010db8000000000000000000000001")).U16(7).U16(2).Raw("/q"_wire), "SVCB",
              "2 svc.example.com. mandatory=alpn,port no-default-alpn ech=AQI= ipv6hint=2001:db8::1 key7=\"/q\"");
        shown("NAPTR", 35, Rdata().U16(100).U16(10).Raw("\x01S\x07SIP+D2U\x00"_wire).Labels({"_sip", "_udp"}).Pointer(12),
              "NAPTR", "100 10 \"S\" \"SIP+D2U\" \"\" _sip._udp.example.com.");
        shown("NSEC, an unknown type as TYPEn", 47, Rdata().Labels({"a"}).Pointer(12)
              .Raw("\x00\x06\x60\x00\x00\x00\x00\x03\x01\x01\xC0\xFF\x10"_wire).Raw(QByteArray(15, '\0')).U8(0x80),
              "NSEC", "a.example.com. A NS RRSIG NSEC URI CAA TYPE65400");
        shown("NSEC3PARAM without salt", 51, "\x01\x00\x00\x00\x00"_wire, "NSEC3PARAM", "1 0 0 -");
        shown("NSEC3", 50, "\x01\x01\x00\x0A\x01\xAB\x05\x01\x02\x03\x04\x05\x00\x01\x40"_wire, "NSEC3",
              "1 1 10 AB 04106105 A");
        shown("RRSIG", 46, Rdata().U16(1).U8(13).U8(2).U32(3600).U32(1798761600).U32(1796083200).U16(12345).Pointer(12)
              .Raw("\x01\x02\x03"_wire), "RRSIG", "A 13 2 3600 20270101000000 20261201000000 12345 example.com. AQID");
        shown("SSHFP", 44, "\x04\x02\x0A\x0B"_wire, "SSHFP", "4 2 0A0B");
        shown("TLSA", 52, "\x03\x01\x01\xC0\xFF"_wire, "TLSA", "3 1 1 C0FF");
        shown("SMIMEA", 53, "\x03\x00\x01\x01"_wire, "SMIMEA", "3 0 1 01");
        shown("URI", 256, "\x00\x0A\x00\x01" "https://x.example/a b"_wire, "URI", "10 1 \"https://x.example/a b\"");
        shown("DNAME, a dot and a blank inside labels", 39, Rdata().Labels({"a.b", "x y"}).Pointer(12), "DNAME",
              "a\\.b.x\\032y.example.com.");
        shown("LOC", 29, Rdata().U8(0).U8(0x12).U8(0x16).U8(0x13).U32(2336026648).U32(2165095648).U32(9999800), "LOC",
              "52 22 23.000 N 4 53 32.000 E -2.00m 1m 10000m 10m");
        shown("LOC south, west, sizes below a metre", 29, Rdata().U8(0).U8(0x10).U8(0x11).U8(0x99).U32(0x80000000 - 1000)
              .U32(0x80000000 - 648000000).U32(10000000), "LOC", "0 0 1.000 S 180 0 0.000 W 0.00m 0.01m 0.10m 90000000m");
        shown("OPENPGPKEY", 61, "\x01\x02\x03"_wire, "OPENPGPKEY", "AQID");
        shown("SPF", 99, "\x0Bv=spf1 -all"_wire, "SPF", "\"v=spf1 -all\"");
        shown("ZONEMD, private hash of 12 bytes", 63, Rdata().U32(2024).U8(1).U8(240).Raw(QByteArray(12, '\x01')), "ZONEMD",
              "2024 1 240 " + QString("01").repeated(12));
        Row("DNSKEY, verbose: its key id", Answer(48, "\x01\x01\x03\x0D\x01\x02\x03\x04"_wire),
            VerboseHead(1, 1, 0, 0) + "   Name=example.com, QTYPE=A, QCLASS=1\r\n" + AnswerHead("DNSKEY", 3600, 8)
                + "   DNSKEY=257 3 13 AQIDBA== ; key id = 2068\r\n---\r\n", true);
        // Type 0 shows UNDEFINED, any other type without a word TYPEn; their RDATA in the generic form of RFC 3597.
        row("TYPE 0", 0, "\x01"_wire, "UNDEFINED", "   RDATA=\\# 1 01\r\n", ", \"presentation\": \"\\\\# 1 01\"");
        Row("TYPE 10 then a record read from past its RDATA",
            Reply(2, 0, 0).Pointer(12).Fields(10, 1, 60, "\x00\x01\xC0"_wire).Pointer(12).Fields(1, 1, 60, kAddress1),
            AnswerHead("TYPE10", 60, 3) + "   RDATA=\\# 3 0001C0\r\n"
                + "   Name=example.com\r\n   Type=A, Class=1, TTL=60, RDLENGTH=4\r\n   IP Address=10.0.0.1\r\n---\r\n");
        Row("TYPE, CLASS and TTL at their largest", Reply(1, 0, 0).Pointer(12).Fields(65535, 65535, 0xFFFFFFFF, 0),
            "Answer Section:\r\n   Name=example.com\r\n   Type=TYPE65535, Class=65535, TTL=-1, RDLENGTH=0\r\n"
            "   RDATA=\\# 0\r\n---\r\n", false,
            "{\"answers\": [{\"name\": \"example.com\", \"type\": \"TYPE65535\", \"type_number\": 65535,"
            " \"class\": 65535, \"ttl\": -1, \"rdlength\": 0, \"presentation\": \"\\\\# 0\"}]}");

        // Which headings show, for the counts of the three sections.
        const QString answers = QStringLiteral("Answer Section:\r\n");
        const QString authority = QStringLiteral("Authority Records Section:\r\n");
        const QString additional = QStringLiteral("Additional Records Section:\r\n");
        const QString r1 = AddressRecordText(1), r2 = AddressRecordText(2), r3 = AddressRecordText(3);
        const QByteArray records = AddressRecord(1) + AddressRecord(2) + AddressRecord(3);
        Row("0 2 1", Reply(0, 2, 1).Raw(records), authority + r1 + r2 + additional + r3 + "---\r\n", false,
            R"j({"answers": [], "authority": [)j" + JsonAddress(1) + ", " + JsonAddress(2) + R"j(], "additional": [)j"
                + JsonAddress(3) + "]}");
        // SRV's target by a pointer to the question's name.
        Row("AAAA, SRV, AAAA",
            Reply(1, 1, 1).Pointer(12).Fields(28, 1, 60, QByteArray::fromHex("20010db8000000000000000000000001"))
                .Labels({"_sip", "_udp"}).Pointer(12)
                .Fields(33, 1, 60, Rdata().U16(10).U16(60).U16(5060).Labels({"sip"}).Pointer(12))
                .Root().Fields(28, 1, 60, QByteArray::fromHex("00000000000000000000ffffc0000201")),
            "Answer Section:\r\n   Name=example.com\r\n   Type=AAAA, Class=1, TTL=60, RDLENGTH=16\r\n"
            "   IPv6 Address=2001:db8::1\r\nAuthority Records Section:\r\n   Name=_sip._udp.example.com\r\n"
            "   Type=SRV, Class=1, TTL=60, RDLENGTH=12\r\n"
            "   Priority=10, Weight=60, Port=5060, Target=sip.example.com\r\n"
            "Additional Records Section:\r\n   Name=\r\n   Type=AAAA, Class=1, TTL=60, RDLENGTH=16\r\n"
            "   IPv6 Address=::ffff:192.0.2.1\r\n---\r\n", false,
            R"j({"answers": [)j" + JsonRecord("example.com", "AAAA", 28, 60, 16, R"j(, "address": "2001:db8::1", "presentation": "2001:db8::1")j")
                + R"j(], "authority": [)j" + JsonRecord("_sip._udp.example.com", "SRV", 33, 60, 12,
                                                    R"j(, "priority": 10, "weight": 60, "port": 5060,
                                                    "target": "sip.example.com", "presentation": "10 60 5060 sip.example.com.")j")
                + R"j(], "additional": [)j" + JsonRecord("", "AAAA", 28, 60, 16, R"j(, "address": "::ffff:192.0.2.1", "presentation": "::ffff:192.0.2.1")j")
                + "]}");
        // Every question is read: otherwise the answer would be read from the middle of the second question.
        Row("two questions, 1 0 0, verbose",
            ReplyHeader(2, 1, 0, 0).Name({"a"}).Question(0, 1).Name({"b"}).Question(253, 1).Raw(AddressRecord(1)),
            VerboseHead(2, 1, 0, 0) + "   Name=a, QTYPE=UNDEFINED, QCLASS=1\r\n   Name=b, QTYPE=MAILB, QCLASS=1\r\n"
                + answers + r1 + "---\r\n", true);

        // The verbose form: the header and the questions first.
        Row("verbose, root question, QTYPE ALL, QCLASS 255", ReplyHeader(1, 0, 0, 0).Root().Question(255, 255),
            VerboseHead(1, 0, 0, 0) + "   Name=, QTYPE=ALL, QCLASS=255\r\n---\r\n", true);
        Row("verbose, counts 65535", ReplyHeader(0, 0xFFFF, 0xFFFF, 0xFFFF),
            VerboseHead(0, 65535, 65535, 65535) + answers + CutShort("answer section, record 1 (NAME)"), true);

        // The first header line after its ID, then Yes or No for AA, TC, RD, RA, AD and CD; the short form shows
        // none of it, but for the note that AD brings.
        const auto head = [](const char* tag, int id, int flags, int flags2, const char* first, const char* bits) {
            const auto yes = [bits](int i) { return QString(bits[i] == 'y' ? "Yes" : "No"); };
            Row(tag, DnsMessageBuilder().Header(id, flags, flags2, 0, 0, 0, 0),
                QString("Header:\r\n   ID=%1, %2\r\n   Authoritative Answer=%3, Truncation=%4\r\n"
                        "   Recursion Desired=%5, Recursion Available=%6\r\n"
                        "   Authentic Data=%7, Checking Disabled=%8\r\n"
                        "   QDCOUNT=0, ANCOUNT=0, NSCOUNT=0, ARCOUNT=0\r\n%9Question:\r\n---\r\n")
                    .arg(QString::number(id), QLatin1String(first), yes(0), yes(1), yes(2), yes(3), yes(4), yes(5),
                         bits[4] == 'y' ? kValidatedNote : ""), true);
        };
        head("opcode 5, RCODE 9, AA and TC", 0xABCD, 0x80 | 5 << 3 | 0x04 | 0x02, 0x09,
            "QR=Response, Opcode=UNDEFINED, RCODE=UNDEFINED ERROR", "yynnnn");
        head("IQUERY, FORMAT ERROR, Z set", 1, 1 << 3, 0x71, "QR=Query, Opcode=IQUERY, RCODE=FORMAT ERROR", "nnnnyy");
        head("STATUS, SERVER FAILURE", 2, 2 << 3 | 0x01, 0x82, "QR=Query, Opcode=STATUS, RCODE=SERVER FAILURE", "nnyynn");
        head("opcode 3, NAME ERROR", 3, 3 << 3, 0x03, "QR=Query, Opcode=UNDEFINED, RCODE=NAME ERROR", "nnnnnn");
        head("opcode 15, NOT IMPLEMENTED", 4, 0xFF, 0x04, "QR=Response, Opcode=UNDEFINED, RCODE=NOT IMPLEMENTED",
            "yyynnn");
        head("REFUSED", 5, 0x80, 0x05, "QR=Response, Opcode=QUERY, RCODE=REFUSED", "nnnnnn");
        head("RCODE 6", 6, 0x80, 0x06, "QR=Response, Opcode=QUERY, RCODE=UNDEFINED ERROR", "nnnnnn");
        Row("header and question in the data form",
            DnsMessageBuilder().Header(0x1234, 0xAD, 0xF3, 1, 0, 0, 0).Name({"example", "com"}).Question(15, 1),
            kValidatedNote + QString("---\r\n"), false, R"j({"header": {"id": 4660, "qr": true, "opcode": 5, "aa": true, "tc": false, "rd": true,
                "ra": true, "z": 7, "ad": true, "cd": true, "rcode": 3, "qdcount": 1, "ancount": 0, "nscount": 0, "arcount": 0},
                "questions": [{"name": "example.com", "type": "MX", "type_number": 15, "class": 1}],
                "answers": [], "authority": [], "additional": []})j");

        // The OPT record is shown after the header, never as a record, and its extended bits join the RCODE
        // (1 over 0 is BADVERS); the additional section's heading comes with its first real record.
        const QByteArray options = Rdata().U16(3).U16(3).Raw("ns1").U16(10).U16(16)
            .Raw("\x01\x02\x03\x04\x05\x06\x07\x08\x11\x12\x13\x14\x15\x16\x17\x18"_wire)
            .U16(15).U16(9).U16(18).Raw("blocked").U16(15).U16(2).U16(3).U16(65001).U16(2).U16(0x0A0B);
        Row("OPT with every kind of option, verbose",
            Reply(1, 0, 2).Pointer(12).Fields(1, 1, 60, kAddress1).Root().Fields(41, 1232, 0x01008000, options)
                .Raw(AddressRecord(2)),
            VerboseHead(1, 1, 0, 2).replace("NO ERROR", "BADVERS").replace("Question:", "EDNS:\r\n"
                "   Version=0, Flags=do, UDP Size=1232\r\n   NSID=6e7331, Text=ns1\r\n"
                "   Client Cookie=0102030405060708, Server Cookie=1112131415161718\r\n"
                "   EDE=18, Name=Prohibited, Text=blocked\r\n   EDE=3, Name=Stale Answer\r\n"
                "   Option=65001, Data=0a0b\r\nQuestion:") + "   Name=example.com, QTYPE=A, QCLASS=1\r\n"
                + AnswerHead("A", 60, 4) + "   IP Address=10.0.0.1\r\n" + additional + AddressRecordText(2) + "---\r\n",
            true, R"j({"edns": {"version": 0, "flags": "do", "udp_size": 1232, "options": [
                {"code": 3, "nsid": "6e7331", "text": "ns1"},
                {"code": 10, "client": "0102030405060708", "server": "1112131415161718"},
                {"code": 15, "info_code": 18, "purpose": "Prohibited", "extra_text": "blocked"},
                {"code": 15, "info_code": 3, "purpose": "Stale Answer"}, {"code": 65001, "data": "0a0b"}]},
                "additional": [)j" + JsonAddress(2) + "]}");
        // 1 over 7 is 23 (BADCOOKIE); flags other than DO are shown as they are.
        Row("OPT alone, its option cut short", Reply(1, 0, 1).Pointer(12).Fields(1, 1, 60, kAddress1).Root()
                .Fields(41, 512, 0x01004001, Rdata().U16(3).U16(9).Raw("ab")),
            "EDNS:\r\n   Version=0, Flags=mbz=0x4001, UDP Size=512\r\n   Error: option cut short in the OPT record\r\n"
                + AnswerHead("A", 60, 4) + "   IP Address=10.0.0.1\r\n---\r\n", false,
            R"j({"edns": {"version": 0, "flags": "mbz=0x4001", "udp_size": 512, "options": [],
                "error": "Error: option cut short in the OPT record"}, "additional": []})j");

        // Names: labels as received; the decoder's own cases are in the wire test.
        Row("dot and control bytes in labels",
            Reply(1, 0, 0).Labels({"a.b", "x\ty"}).Pointer(12).Fields(1, 1, 0, kAddress1),
            "Answer Section:\r\n   Name=a.b.x\ty.example.com\r\n   Type=A, Class=1, TTL=0, RDLENGTH=4\r\n"
            "   IP Address=10.0.0.1\r\n---\r\n");
        // Record 1's RDATA at 41..45 reads as the labels "b" and "cd"; the additional record's name at 46
        // points to 41, so following it unchecked would run into that same pointer again and again.
        Row("labels run into the pointer again",
            Reply(1, 0, 1).Pointer(12).Fields(16, 1, 0, "\x01" "b" "\x02" "cd"_wire)
                .Pointer(41).Fields(1, 1, 0, kAddress1),
            AnswerHead("TXT", 0, 5) + "   TXT=b\r\n   TXT=cd\r\n" + additional
                + "   Error: bad compression pointer in the additional section, record 1 (NAME)\r\n---\r\n");

        // Datagrams cut short, said where.
        const QByteArray reply = Answer(1, kAddress1);
        Row("empty", QByteArray(), CutShort("header"));
        Row("11 bytes, verbose", reply.left(11), "Header:\r\n" + CutShort("header"), true,
            R"j({"header": null, "questions": [], "answers": [], "error": "Error: message cut short in the header"})j");
        Row("inside QCLASS, verbose", reply.left(28),
            VerboseHead(1, 1, 0, 0) + CutShort("question section, entry 1 (QTYPE, QCLASS)"), true);
        Row("RDLENGTH past the end", Reply(1, 0, 0).Pointer(12).Fields(16, 1, 0, 1000).Raw("\x03" "abc"_wire),
            AnswerHead("TXT", 0, 1000) + CutShort("answer section, record 1 (RDATA)"));
        Row("inside an authority record", Reply(0, 2, 0).Raw(AddressRecord(1)).Raw(AddressRecord(2).left(9)),
            authority + r1 + "   Name=\r\n" + CutShort("authority section, record 2 (TYPE, CLASS, TTL, RDLENGTH)"),
            false, "{\"authority\": [" + JsonAddress(1) + R"j(, {"name": ""}], "error":
                "Error: message cut short in the authority section, record 2 (TYPE, CLASS, TTL, RDLENGTH)"})j");
        Row("second question missing", ReplyHeader(2, 0, 0, 0).Name({"a"}).Question(1, 1),
            CutShort("question section, entry 2 (QNAME)"));

        // RDATA that breaks its form, with a good record after it: the RDLENGTH that tells where the next
        // record starts is still trusted, and RDATA is read only up to RDLENGTH (otherwise the NS name would
        // end at the next record's root name). The lines read whole, the error, then the RDATA in the generic form.
        const auto tooShort = [](const char* tag, int type, const QByteArray& rdata, const char* word,
                                 const char* shown = "", const char* error = "RDATA too short",
                                 const QByteArray& json = {}) {
            Row(tag, Reply(2, 0, 0).Pointer(12).Fields(type, 1, 0, rdata).Raw(AddressRecord(9)),
                AnswerHead(word, 0, int(rdata.size())) + shown + "   Error: " + error
                    + " in the answer section, record 1 (RDATA)\r\n   RDATA=\\# " + QString::number(rdata.size()) + ' '
                    + rdata.toHex().toUpper() + "\r\n" + AddressRecordText(9) + "---\r\n", false, json);
        };
        tooShort("MX with the preference only", 15, "\x00\x0A"_wire, "MX", "", "RDATA too short",
                 R"j({"answers": [)j" + JsonRecord("example.com", "MX", 15, 0, 2, R"j(, "error":
                     "Error: RDATA too short in the answer section, record 1 (RDATA)")j" ", \"presentation\": \"\\\\# 2 000A\"")
                     + ", " + JsonAddress(9) + "]}");
        tooShort("CNAME pointing to itself", 5, Rdata().Pointer(41), "CNAME", "", "bad compression pointer");
        tooShort("SOA without its last two fields", 6, Rdata().Root().Root().U32(1).U32(2).U32(3).U32(4), "SOA",
                 "   Name Server=, Mailbox=\r\n   Serial=1, Refresh=2, Retry=3\r\n");
        tooShort("SOA without RNAME", 6, Rdata().Root(), "SOA");
        tooShort("WKS without protocol", 11, kAddress1, "WKS");
        tooShort("HINFO string longer than RDATA", 13, "\x03" "x86" "\x09" "Linux"_wire, "HINFO");
        tooShort("MINFO with one name", 14, Rdata().Name({"a"}), "MINFO");
        tooShort("AAAA of 15 bytes", 28, QByteArray(15, '\x01'), "AAAA");
        tooShort("SRV target without its end", 33, Rdata().U16(1).U16(2).U16(3).Labels({"ab"}), "SRV");
        tooShort("TXT second string longer than RDATA", 16, "\x02" "ok" "\x05" "abc"_wire, "TXT", "   TXT=ok\r\n");
        tooShort("DS digest of the wrong length", 43, Rdata().U16(1).U8(13).U8(2).U32(0), "DS", "", "bad RDATA field");
        tooShort("NSEC3PARAM with a byte left over", 51, "\x01\x00\x00\x00\x00\x00"_wire, "NSEC3PARAM", "",
                 "RDATA too long");
        tooShort("SVCB keys out of order", 64, Rdata().U16(1).Root().U16(3).U16(2).U16(443).U16(1).U16(3).Raw("\x02h2"_wire),
                 "SVCB", "", "bad RDATA field");
        tooShort("NAPTR cut inside its strings", 35, Rdata().U16(1).U16(2).Raw("\x05" "ab"_wire), "NAPTR");
        tooShort("DNAME pointing to itself", 39, Rdata().Pointer(41), "DNAME", "", "bad compression pointer");
        // clang-format on
    }
    // The data form, where a row gives it: the members the row names; "error" must be there exactly when the
    // row names it.
    void report()
    {
        QFETCH(QByteArray, message);
        QFETCH(bool, verbose);
        QFETCH(QByteArray, json);
        QTEST(WriteDnsReport(message, DnsReportOptions{verbose}), "expected");
        if (json.isEmpty())
            return;
        QJsonParseError error;
        const QJsonObject wanted = QJsonDocument::fromJson(json, &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        const QJsonObject decoded = DnsMessageJson(message);
        const auto compact = [](const QJsonValue& value) {
            return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        };
        for (auto member = wanted.constBegin(); member != wanted.constEnd(); ++member)
            QCOMPARE(compact(decoded.value(member.key())), compact(member.value()));
        QCOMPARE(decoded.contains(QStringLiteral("error")), wanted.contains(QStringLiteral("error")));
    }

    // How the answer was got: notes before the report, and the exchange before the closing line when verbose.
    void exchangeNotes()
    {
        DnsExchange exchange{"fd00::1", 5353, DnsTransport::Udp, false, true, "Connection refused", 12, 12};
        const QByteArray message = ReplyHeader(0, 0, 0, 0);
        QCOMPARE(WriteDnsReport(message, {false, &exchange}),
                 "Note: the name server refused EDNS; the question was asked again without it.\r\n"
                 "Note: the answer over UDP was truncated, and asking again over TCP failed (Connection refused); "
                 "the truncated answer is shown.\r\n---\r\n");
        exchange = {"10.0.0.1", 53, DnsTransport::Tcp, true, false, {}, 7, 12};
        const QString verbose = WriteDnsReport(message, {true, &exchange});
        QVERIFY(verbose.startsWith("Note: the answer over UDP was truncated; the question was asked again over "
                                   "TCP.\r\nHeader:\r\n"));
        QVERIFY(verbose.endsWith("Question:\r\nExchange:\r\n   Server=10.0.0.1, Port=53, Transport=TCP, Query "
                                 "Time=7 ms, Answer Size=12 bytes\r\n---\r\n"));
    }

    void ipv6Text_data()
    {
        // clang-format off
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char* tag, QByteArray hex, QByteArray text) { QTest::newRow(tag) << hex << text; };
        row("run at the end", "fe800000000000000000000000000000", "fe80::");
        row("tie, the first run", "20010db8000000000001000000000001", "2001:db8::1:0:0:1");
        row("the longer run, not the first", "20010000000000010000000000000001", "2001:0:0:1::1");
        row("single zero group", "20010db8000000010001000100010001", "2001:db8:0:1:1:1:1:1");
        row("leading zeros dropped, lower case", "20010DB800AB0C0000010010ABCDEF01", "2001:db8:ab:c00:1:10:abcd:ef01");
        row("IPv4-compatible stays hex", "000000000000000000000000c0000201", "::c000:201");
        row("15 bytes", "000000000000000000000000000001", "");
        // clang-format on
    }
    void ipv6Text()
    {
        QFETCH(QByteArray, hex);
        QTEST(Ipv6AddressText(QByteArray::fromHex(hex)), "expected");
    }

    // A host text as an address literal: the address's text, empty for none.
    void addressLiteral_data()
    {
        // clang-format off
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char* tag, QByteArray text, QByteArray to) { QTest::newRow(tag) << text << to; };
        row("short form", "10.1", "10.0.0.1");
        row("255.255.255.255, the all-ones failure value", "255.255.255.255", "");
        row("five parts is a name", "1.2.3.4.5", "");
        row("IPv6 in brackets", "[::1]", "::1");
        row("zone index", "fe80::1%eth0", "");
        row("NUL after a dotted address", QByteArray("10.1.2.3\0x", 10), "");
        // clang-format on
    }
    void addressLiteral()
    {
        QFETCH(QByteArray, text);
        const std::optional<IpAddress> address = ParseAddressLiteral(std::string_view(text.constData(), text.size()));
        QTEST(address ? QByteArray::fromStdString(IpAddressText(*address)) : QByteArray(), "expected");
    }
};

QTEST_GUILESS_MAIN(TestDnsMessage)
#include "tst_dnsreport.moc"
