// SPDX-License-Identifier: GPL-3.0-or-later
// The report of received DNS messages, short and verbose, on hand-built
// datagrams: every RDATA form, every heading combination, compression
// pointers, and datagrams cut short or lying.

#include "DnsMessageBuilder.h"

#include "dns/DnsMessageJson.h"
#include "dns/DnsReport.h"
#include "dns/Ipv6AddressText.h"

#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>

#include <QRandomGenerator>
#include <QTest>

using namespace netsonde;
using netsonde::test::DnsMessageBuilder;
using netsonde::test::operator""_wire;

namespace {

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

DnsMessageBuilder Rdata() { return DnsMessageBuilder(); }

const char kVerboseHead[] =
    "Header:\r\n"
    "   ID=4660, QR=Response, Opcode=QUERY, RCODE=NO ERROR\r\n"
    "   Authoritative Answer=No, Truncation=No\r\n"
    "   Recursion Desired=Yes, Recursion Available=Yes\r\n";

// A record of address 10.0.0.n with the root as its name.
QByteArray AddressRecord(int n)
{
    return DnsMessageBuilder().Root().Fields(1, 1, 0, QByteArray("\x0A\x00\x00"_wire) + char(n));
}

// The report lines of AddressRecord(n).
QString AddressRecordText(int n)
{
    return QStringLiteral("   Name=\r\n   Type=A, Class=1, TTL=0, RDLENGTH=4\r\n   IP Address=10.0.0.%1\r\n").arg(n);
}

const QByteArray kAddress1 = "\x0A\x00\x00\x01"_wire;

// The answer section up to the RDATA lines, for a record of class 1 named by
// a pointer to the question's name.
QString AnswerHead(const char* type, int ttl, int rdLength)
{
    return QStringLiteral("Answer Section:\r\n   Name=example.com\r\n   Type=%1, Class=1, TTL=%2, RDLENGTH=%3\r\n")
        .arg(QLatin1String(type))
        .arg(ttl)
        .arg(rdLength);
}

const QByteArray kIpv6Bytes = QByteArray::fromHex("20010db8000000000000000000000001");

// AAAA in the answer section, SRV (target by pointer to the question's name)
// in the authority section, AAAA in the additional section.
QByteArray Ipv6AndServiceReply()
{
    return Reply(1, 1, 1)
        .Pointer(12).Fields(28, 1, 60, kIpv6Bytes)
        .Labels({"_sip", "_udp"}).Pointer(12)
        .Fields(33, 1, 60, DnsMessageBuilder().U16(10).U16(60).U16(5060).Labels({"sip"}).Pointer(12))
        .Root().Fields(28, 1, 60, QByteArray::fromHex("00000000000000000000ffffc0000201"));
}

const char kIpv6AndServiceRecords[] =
    "Answer Section:\r\n"
    "   Name=example.com\r\n"
    "   Type=AAAA, Class=1, TTL=60, RDLENGTH=16\r\n"
    "   IPv6 Address=2001:db8::1\r\n"
    "Authority Records Section:\r\n"
    "   Name=_sip._udp.example.com\r\n"
    "   Type=SRV, Class=1, TTL=60, RDLENGTH=12\r\n"
    "   Priority=10, Weight=60, Port=5060, Target=sip.example.com\r\n"
    "Additional Records Section:\r\n"
    "   Name=\r\n"
    "   Type=AAAA, Class=1, TTL=60, RDLENGTH=16\r\n"
    "   IPv6 Address=::ffff:192.0.2.1\r\n"
    "---\r\n";

} // namespace

class TestDnsReport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rdata_data();
    void rdata();
    void headings_data();
    void headings();
    void verbose_data();
    void verbose();
    void headerLines_data();
    void headerLines();
    void names_data();
    void names();
    void cutShort_data();
    void cutShort();
    void rdataTooShort_data();
    void rdataTooShort();
    void everyCutOfAReplyEndsTheReport();
    void damagedRepliesEndTheReport();
    void json_data();
    void json();
    void ipv6Text_data();
    void ipv6Text();

private:
    void AddColumns();
    void CheckReport(bool verbose);
};

void TestDnsReport::AddColumns()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("expected");
}

void TestDnsReport::CheckReport(bool verbose)
{
    QFETCH(QByteArray, message);
    QFETCH(QString, expected);
    QCOMPARE(WriteDnsReport(message, DnsReportOptions{verbose}), expected);
}

void TestDnsReport::rdata_data()
{
    AddColumns();
    // One answer named by a pointer to the question's name, TTL 3600.
    const auto row = [](const char* tag, int type, const QByteArray& rdata, const char* word, int rdLength,
                        const char* lines) {
        QTest::newRow(tag) << Answer(type, rdata).Bytes() << AnswerHead(word, 3600, rdLength) + lines + "---\r\n";
    };
    const char* const notImplemented = "   RDATA=Not yet implemented\r\n";

    row("A", 1, kAddress1, "A", 4, "   IP Address=10.0.0.1\r\n");
    row("A with RDLENGTH 16", 1, "\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x80\xFF"_wire, "A", 16,
        "   IP Address=0.1.2.3.4.5.6.7.8.9.10.11.12.13.128.255\r\n");
    row("A with RDLENGTH 0", 1, QByteArray(), "A", 0, "   IP Address=\r\n");
    row("NS", 2, Rdata().Labels({"ns1"}).Pointer(12), "NS", 6, "   Name Server=ns1.example.com\r\n");
    row("CNAME", 5, Rdata().Name({"alias", "org"}), "CNAME", 11, "   CNAME=alias.org\r\n");
    row("MB", 7, Rdata().Name({"mb"}), "MB", 4, "   MB=mb\r\n");
    row("MG", 8, Rdata().Labels({"mg"}).Pointer(12), "MG", 5, "   MG=mg.example.com\r\n");
    row("MR", 9, Rdata().Root(), "MR", 1, "   MR=\r\n");
    row("PTR", 12, Rdata().Name({"host", "example", "net"}), "PTR", 18, "   PTR=host.example.net\r\n");
    row("SOA", 6,
        Rdata().Labels({"ns1"}).Pointer(12).Labels({"hostmaster"}).Pointer(12)
            .U32(2024010101).U32(7200).U32(0x80000000).U32(0xFFFFFFFF).U32(300),
        "SOA", 39,
        "   Name Server=ns1.example.com, Mailbox=hostmaster.example.com\r\n"
        "   Serial=2024010101, Refresh=7200, Retry=-2147483648\r\n"
        "   Expire=-1, Minimum=300\r\n");
    row("WKS", 11, "\xC0\x00\x02\x01\x06\x00\x00\x00\x01"_wire, "WKS", 9, "   IP Address=192.0.2.1, Protocol=6\r\n");
    row("HINFO", 13, "\x06" "PDP-11" "\x04" "UNIX"_wire, "HINFO", 12, "   CPU=PDP-11, OS=UNIX\r\n");
    row("HINFO with empty strings", 13, "\x00\x00"_wire, "HINFO", 2, "   CPU=, OS=\r\n");
    row("MINFO", 14, Rdata().Labels({"admin"}).Pointer(12).Name({"errors", "org"}), "MINFO", 20,
        "   RMAILBX=admin.example.com, EMAILBX=errors.org\r\n");
    row("MX", 15, Rdata().U16(10).Labels({"mail"}).Pointer(12), "MX", 9,
        "   Preference=10, Mail Exchange=mail.example.com\r\n");
    row("MX preference 65535", 15, Rdata().U16(65535).Root(), "MX", 3, "   Preference=65535, Mail Exchange=\r\n");
    row("TXT with two strings", 16, "\x05" "hello" "\x0B" "brave world"_wire, "TXT", 18,
        "   TXT=hello\r\n   TXT=brave world\r\n");
    row("TXT with an empty string", 16, "\x00"_wire, "TXT", 1, "   TXT=\r\n");
    row("TXT with RDLENGTH 0", 16, QByteArray(), "TXT", 0, "");
    row("AAAA", 28, kIpv6Bytes, "AAAA", 16, "   IPv6 Address=2001:db8::1\r\n");
    row("AAAA with RDLENGTH 17, the last byte not shown", 28, QByteArray(16, '\0') + "\x07"_wire, "AAAA", 17,
        "   IPv6 Address=::\r\n");
    row("SRV", 33, Rdata().U16(0).U16(5).U16(389).Name({"ldap", "example", "org"}), "SRV", 24,
        "   Priority=0, Weight=5, Port=389, Target=ldap.example.org\r\n");
    row("SRV with 65535s and the root as target", 33, Rdata().U16(65535).U16(65535).U16(65535).Root(), "SRV", 7,
        "   Priority=65535, Weight=65535, Port=65535, Target=\r\n");
    // A TYPE with no word of its own shows UNDEFINED: otherwise the Type=
    // line would show nothing for it.
    row("TYPE 0", 0, "\x01"_wire, "UNDEFINED", 1, notImplemented);
    for (const int type : {3, 4, 17})
        row(qPrintable(QStringLiteral("TYPE %1").arg(type)), type, QByteArray(), "UNDEFINED", 0, notImplemented);
    row("TYPE 253", 253, QByteArray(), "MAILB", 0, notImplemented);
    row("TYPE 255", 255, QByteArray(), "ALL", 0, notImplemented);
    QTest::newRow("TYPE 10 then a record read from past its RDATA")
        << Reply(2, 0, 0)
               .Pointer(12).Fields(10, 1, 60, "\x00\x01\xC0"_wire)
               .Pointer(12).Fields(1, 1, 60, "\x7F\x00\x00\x01"_wire).Bytes()
        << "Answer Section:\r\n"
           "   Name=example.com\r\n"
           "   Type=UNDEFINED, Class=1, TTL=60, RDLENGTH=3\r\n"
           "   RDATA=Not yet implemented\r\n"
           "   Name=example.com\r\n"
           "   Type=A, Class=1, TTL=60, RDLENGTH=4\r\n"
           "   IP Address=127.0.0.1\r\n---\r\n";
    const auto fieldsRow = [](const char* tag, int type, int rclass, quint32 ttl, const char* fields,
                              const char* lines) {
        QTest::newRow(tag) << Reply(1, 0, 0).Pointer(12).Fields(type, rclass, ttl, QByteArray()).Bytes()
                           << QStringLiteral("Answer Section:\r\n   Name=example.com\r\n   Type=") + fields
                                  + ", RDLENGTH=0\r\n" + lines + "---\r\n";
    };
    fieldsRow("TYPE 65535, CLASS 65535, TTL 0xFFFFFFFF", 65535, 65535, 0xFFFFFFFF,
              "UNDEFINED, Class=65535, TTL=-1", notImplemented);
    fieldsRow("TTL 0x7FFFFFFF", 1, 1, 0x7FFFFFFF, "A, Class=1, TTL=2147483647", "   IP Address=\r\n");
    fieldsRow("TTL 0x80000000", 1, 1, 0x80000000, "A, Class=1, TTL=-2147483648", "   IP Address=\r\n");
}

void TestDnsReport::rdata()
{
    CheckReport(false);
}

void TestDnsReport::headings_data()
{
    AddColumns();

    const auto reply = [](int an, int ns, int ar) {
        DnsMessageBuilder builder = Reply(an, ns, ar);
        for (int n = 1; n <= an + ns + ar; ++n)
            builder.Raw(AddressRecord(n));
        return builder.Bytes();
    };
    const QString record1 = AddressRecordText(1);
    const QString record2 = AddressRecordText(2);
    const QString record3 = AddressRecordText(3);
    const QString answers = QStringLiteral("Answer Section:\r\n");
    const QString authority = QStringLiteral("Authority Records Section:\r\n");
    const QString additional = QStringLiteral("Additional Records Section:\r\n");
    const QString end = QStringLiteral("---\r\n");

    QTest::newRow("0 0 0") << reply(0, 0, 0) << end;
    QTest::newRow("1 0 0") << reply(1, 0, 0) << answers + record1 + end;
    QTest::newRow("0 1 0") << reply(0, 1, 0) << authority + record1 + end;
    QTest::newRow("0 0 1") << reply(0, 0, 1) << additional + record1 + end;
    QTest::newRow("2 0 1") << reply(2, 0, 1) << answers + record1 + record2 + additional + record3 + end;
    QTest::newRow("1 1 0") << reply(1, 1, 0) << answers + record1 + authority + record2 + end;
    QTest::newRow("0 2 1") << reply(0, 2, 1) << authority + record1 + record2 + additional + record3 + end;
    QTest::newRow("0 1 2") << reply(0, 1, 2) << authority + record1 + additional + record2 + record3 + end;
    QTest::newRow("1 1 1") << reply(1, 1, 1)
                           << answers + record1 + authority + record2 + additional + record3 + end;
    QTest::newRow("1 2 1") << reply(1, 2, 1)
                           << answers + record1 + authority + record2 + record3 + additional
                                  + AddressRecordText(4) + end;
    QTest::newRow("3 0 0") << reply(3, 0, 0) << answers + record1 + record2 + record3 + end;
    QTest::newRow("AAAA, SRV, AAAA") << Ipv6AndServiceReply() << QString::fromLatin1(kIpv6AndServiceRecords);
    // Every question is read, not only the first: otherwise the answer would
    // be read from the middle of the second question.
    QTest::newRow("two questions, 1 0 0")
        << ReplyHeader(2, 1, 0, 0).Name({"a"}).Question(1, 1).Name({"b"}).Question(1, 1).Raw(AddressRecord(1)).Bytes()
        << answers + record1 + end;
}

void TestDnsReport::headings()
{
    CheckReport(false);
}

void TestDnsReport::verbose_data()
{
    AddColumns();
    const auto head = [](int qd, int an, int ns, int ar) {
        return kVerboseHead + QStringLiteral("   QDCOUNT=%1, ANCOUNT=%2, NSCOUNT=%3, ARCOUNT=%4\r\nQuestion:\r\n")
                                  .arg(qd)
                                  .arg(an)
                                  .arg(ns)
                                  .arg(ar);
    };

    QTest::newRow("no records")
        << Reply(0, 0, 0).Bytes() << head(1, 0, 0, 0) + "   Name=example.com, QTYPE=A, QCLASS=1\r\n---\r\n";
    QTest::newRow("answer and additional")
        << Reply(2, 0, 1).Raw(AddressRecord(1)).Raw(AddressRecord(2)).Raw(AddressRecord(3)).Bytes()
        << head(1, 2, 0, 1) + "   Name=example.com, QTYPE=A, QCLASS=1\r\nAnswer Section:\r\n" + AddressRecordText(1)
               + AddressRecordText(2) + "Additional Records Section:\r\n" + AddressRecordText(3) + "---\r\n";
    QTest::newRow("root question, QTYPE ALL, QCLASS 255")
        << ReplyHeader(1, 0, 0, 0).Root().Question(255, 255).Bytes()
        << head(1, 0, 0, 0) + "   Name=, QTYPE=ALL, QCLASS=255\r\n---\r\n";
    QTest::newRow("QTYPE MAILB")
        << ReplyHeader(1, 0, 0, 0).Name({"a"}).Question(253, 1).Bytes()
        << head(1, 0, 0, 0) + "   Name=a, QTYPE=MAILB, QCLASS=1\r\n---\r\n";
    QTest::newRow("QTYPE 0, 28 and 33")
        << ReplyHeader(3, 0, 0, 0).Name({"a"}).Question(0, 1).Name({"b"}).Question(28, 1).Name({"c"}).Question(33, 1)
               .Bytes()
        << head(3, 0, 0, 0) + "   Name=a, QTYPE=UNDEFINED, QCLASS=1\r\n"
                              "   Name=b, QTYPE=AAAA, QCLASS=1\r\n"
                              "   Name=c, QTYPE=SRV, QCLASS=1\r\n---\r\n";
    QTest::newRow("AAAA, SRV, AAAA")
        << Ipv6AndServiceReply()
        << head(1, 1, 1, 1) + "   Name=example.com, QTYPE=A, QCLASS=1\r\n" + kIpv6AndServiceRecords;
    QTest::newRow("QDCOUNT 0 with an answer")
        << ReplyHeader(0, 1, 0, 0).Raw(AddressRecord(1)).Bytes()
        << head(0, 1, 0, 0) + "Answer Section:\r\n" + AddressRecordText(1) + "---\r\n";
    QTest::newRow("header only, QDCOUNT 0") << ReplyHeader(0, 0, 0, 0).Bytes() << head(0, 0, 0, 0) + "---\r\n";
    QTest::newRow("counts 65535")
        << DnsMessageBuilder().Header(0xFFFF, 0x81, 0x80, 0, 0xFFFF, 0xFFFF, 0xFFFF).Bytes()
        << "Header:\r\n"
           "   ID=65535, QR=Response, Opcode=QUERY, RCODE=NO ERROR\r\n"
           "   Authoritative Answer=No, Truncation=No\r\n"
           "   Recursion Desired=Yes, Recursion Available=Yes\r\n"
           "   QDCOUNT=0, ANCOUNT=65535, NSCOUNT=65535, ARCOUNT=65535\r\n"
           "Question:\r\n"
           "Answer Section:\r\n"
           "   Error: message cut short in the answer section, record 1 (NAME)\r\n---\r\n";
}

void TestDnsReport::verbose()
{
    CheckReport(true);
}

void TestDnsReport::headerLines_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("flags2");
    QTest::addColumn<QString>("lines");
    // The first header line after its ID, then Yes or No for AA, TC, RD and RA.
    const auto row = [](const char* tag, int id, int flags, int flags2, const char* first, const char* aa,
                        const char* tc, const char* rd, const char* ra) {
        QTest::newRow(tag) << id << flags << flags2
                           << QStringLiteral("   ID=%1, %2\r\n   Authoritative Answer=%3, Truncation=%4\r\n"
                                             "   Recursion Desired=%5, Recursion Available=%6\r\n")
                                  .arg(QString::number(id), QLatin1String(first), QLatin1String(aa),
                                       QLatin1String(tc), QLatin1String(rd), QLatin1String(ra));
    };

    row("query, all clear", 0, 0x00, 0x00, "QR=Query, Opcode=QUERY, RCODE=NO ERROR", "No", "No", "No", "No");
    row("opcode 5, RCODE 9, AA and TC", 0xABCD, 0x80 | 5 << 3 | 0x04 | 0x02, 0x09,
        "QR=Response, Opcode=UNDEFINED, RCODE=UNDEFINED ERROR", "Yes", "Yes", "No", "No");
    row("IQUERY, FORMAT ERROR, Z set", 1, 1 << 3, 0x71, "QR=Query, Opcode=IQUERY, RCODE=FORMAT ERROR", "No", "No",
        "No", "No");
    row("STATUS, SERVER FAILURE", 2, 2 << 3 | 0x01, 0x82, "QR=Query, Opcode=STATUS, RCODE=SERVER FAILURE", "No",
        "No", "Yes", "Yes");
    row("opcode 3, NAME ERROR", 3, 3 << 3, 0x03, "QR=Query, Opcode=UNDEFINED, RCODE=NAME ERROR", "No", "No", "No",
        "No");
    row("opcode 15, NOT IMPLEMENTED", 4, 0xFF, 0x04, "QR=Response, Opcode=UNDEFINED, RCODE=NOT IMPLEMENTED", "Yes",
        "Yes", "Yes", "No");
    row("REFUSED", 5, 0x80, 0x05, "QR=Response, Opcode=QUERY, RCODE=REFUSED", "No", "No", "No", "No");
    row("RCODE 6", 6, 0x80, 0x06, "QR=Response, Opcode=QUERY, RCODE=UNDEFINED ERROR", "No", "No", "No", "No");
    row("RCODE 15", 7, 0x80, 0xFF, "QR=Response, Opcode=QUERY, RCODE=UNDEFINED ERROR", "No", "No", "No", "Yes");
}

void TestDnsReport::headerLines()
{
    QFETCH(int, id);
    QFETCH(int, flags);
    QFETCH(int, flags2);
    QFETCH(QString, lines);

    const QByteArray message = DnsMessageBuilder().Header(id, flags, flags2, 0, 0, 0, 0);
    QCOMPARE(WriteDnsReport(message, DnsReportOptions{true}),
             "Header:\r\n" + lines
                 + "   QDCOUNT=0, ANCOUNT=0, NSCOUNT=0, ARCOUNT=0\r\nQuestion:\r\n---\r\n");
    // The short form shows none of the header.
    QCOMPARE(WriteDnsReport(message, DnsReportOptions{false}), QStringLiteral("---\r\n"));
}

void TestDnsReport::names_data()
{
    AddColumns();
    const QString aRecordLines = QStringLiteral("   Type=A, Class=1, TTL=0, RDLENGTH=4\r\n   IP Address=10.0.0.1\r\n");
    // One answer of address 10.0.0.1 after the given name bytes; no shown
    // name stands for a bad compression pointer.
    const auto row = [&aRecordLines](const char* tag, const QByteArray& name, const char* shown) {
        QTest::newRow(tag) << Reply(1, 0, 0).Raw(name).Fields(1, 1, 0, kAddress1).Bytes()
                           << (shown ? "Answer Section:\r\n   Name=" + QString::fromLatin1(shown) + "\r\n"
                                           + aRecordLines + "---\r\n"
                                     : QStringLiteral("Answer Section:\r\n   Error: bad compression pointer in the "
                                                      "answer section, record 1 (NAME)\r\n---\r\n"));
    };

    row("root name", Rdata().Root(), "");
    row("pointer to the question, TYPE after the pointer", Rdata().Pointer(12), "example.com");
    row("pointer into the question's name", Rdata().Pointer(20), "com");
    row("pointer to the question's zero byte", Rdata().Labels({"mail"}).Pointer(24), "mail");
    row("dot and control bytes in labels, as received", Rdata().Labels({"a.b", "x\ty"}).Pointer(12),
        "a.b.x\ty.example.com");
    row("pointer to itself", Rdata().Pointer(29), nullptr);
    row("pointer forward", Rdata().Pointer(31).Root(), nullptr);
    row("pointer past the datagram", Rdata().Pointer(0x3FFF), nullptr);
    row("label then pointer back to its start", Rdata().Labels({"a"}).Pointer(29), nullptr);
    // Record 1 at 29 is named "www" + pointer to 12; record 2 at 49 points to
    // 29; record 3 at 65 points to 49, a pointer itself.
    QTest::newRow("pointer chain")
        << Reply(3, 0, 0)
               .Labels({"www"}).Pointer(12).Fields(1, 1, 0, kAddress1)
               .Pointer(29).Fields(1, 1, 0, kAddress1)
               .Pointer(49).Fields(1, 1, 0, kAddress1).Bytes()
        << "Answer Section:\r\n" + QString("   Name=www.example.com\r\n" + aRecordLines).repeated(3) + "---\r\n";
    QTest::newRow("UTF-8 and Latin-1 bytes")
        << Reply(1, 0, 0).Labels({"caf\xC3\xA9"_wire, "\xE9t\xE9"_wire}).Pointer(12)
               .Fields(16, 1, 0, "\x02\xFF\xC3"_wire).Bytes()
        << QString::fromUtf8("Answer Section:\r\n   Name=café.été.example.com\r\n"
                             "   Type=TXT, Class=1, TTL=0, RDLENGTH=3\r\n   TXT=ÿÃ\r\n---\r\n");
    // Record 1's RDATA at 41..45 reads as the labels "b" and "cd"; the
    // additional record's name at 46 points to 41, so following it unchecked
    // would run into that same pointer again and again.
    QTest::newRow("labels run into the pointer again")
        << Reply(1, 0, 1)
               .Pointer(12).Fields(16, 1, 0, "\x01" "b" "\x02" "cd"_wire)
               .Pointer(41).Fields(1, 1, 0, kAddress1)
               .Bytes()
        << "Answer Section:\r\n"
           "   Name=example.com\r\n"
           "   Type=TXT, Class=1, TTL=0, RDLENGTH=5\r\n"
           "   TXT=b\r\n   TXT=cd\r\n"
           "Additional Records Section:\r\n"
           "   Error: bad compression pointer in the additional section, record 1 (NAME)\r\n"
           "---\r\n";
    QTest::newRow("question pointing to itself")
        << DnsMessageBuilder().Header(1, 0x81, 0, 1, 1, 0, 0).Pointer(12).Question(1, 1).Bytes()
        << "   Error: bad compression pointer in the question section, entry 1 (QNAME)\r\n---\r\n";
}

void TestDnsReport::names()
{
    CheckReport(false);
}

void TestDnsReport::cutShort_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("verbose");
    QTest::addColumn<QString>("expected");

    const QByteArray reply = Reply(1, 0, 0).Pointer(12).Fields(1, 1, 3600, kAddress1);
    const QString head =
        kVerboseHead + QStringLiteral("   QDCOUNT=1, ANCOUNT=1, NSCOUNT=0, ARCOUNT=0\r\nQuestion:\r\n");
    const QString inHeader = QStringLiteral("   Error: message cut short in the header\r\n---\r\n");
    const QString inQname =
        QStringLiteral("   Error: message cut short in the question section, entry 1 (QNAME)\r\n---\r\n");
    const QString inName = QStringLiteral(
        "Answer Section:\r\n   Error: message cut short in the answer section, record 1 (NAME)\r\n---\r\n");
    const QString inFields = QStringLiteral("Answer Section:\r\n   Name=example.com\r\n   Error: message cut short "
                                            "in the answer section, record 1 (TYPE, CLASS, TTL, RDLENGTH)\r\n---\r\n");
    const QString inRdata =
        QStringLiteral("   Error: message cut short in the answer section, record 1 (RDATA)\r\n---\r\n");

    QTest::newRow("empty, short") << QByteArray() << false << inHeader;
    QTest::newRow("11 bytes, short") << reply.left(11) << false << inHeader;
    QTest::newRow("11 bytes, verbose") << reply.left(11) << true << "Header:\r\n" + inHeader;
    QTest::newRow("header only, short") << reply.left(12) << false << inQname;
    QTest::newRow("header only, verbose") << reply.left(12) << true << head + inQname;
    QTest::newRow("inside the question's label") << reply.left(16) << false << inQname;
    QTest::newRow("before the question's zero byte") << reply.left(24) << false << inQname;
    QTest::newRow("inside QCLASS") << reply.left(28) << true
        << head + "   Error: message cut short in the question section, entry 1 (QTYPE, QCLASS)\r\n---\r\n";
    QTest::newRow("before the answer") << reply.left(29) << false << inName;
    QTest::newRow("inside the answer's pointer") << reply.left(30) << false << inName;
    QTest::newRow("inside the answer's label") << Reply(1, 0, 0).Raw("\x03" "ww"_wire).Bytes() << false << inName;
    QTest::newRow("inside TTL") << reply.left(36) << false << inFields;
    QTest::newRow("inside RDLENGTH") << reply.left(40) << false << inFields;
    QTest::newRow("inside RDATA") << reply.left(43) << false << AnswerHead("A", 3600, 4) + inRdata;
    QTest::newRow("RDLENGTH past the end")
        << Reply(1, 0, 0).Pointer(12).Fields(16, 1, 0, 1000).Raw("\x03" "abc"_wire).Bytes() << false
        << AnswerHead("TXT", 0, 1000) + inRdata;
    QTest::newRow("second answer missing")
        << Reply(2, 0, 0).Raw(AddressRecord(1)).Bytes() << false
        << "Answer Section:\r\n" + AddressRecordText(1)
               + "   Error: message cut short in the answer section, record 2 (NAME)\r\n---\r\n";
    QTest::newRow("authority missing")
        << Reply(1, 1, 1).Raw(AddressRecord(1)).Bytes() << false
        << "Answer Section:\r\n" + AddressRecordText(1)
               + "Authority Records Section:\r\n"
                 "   Error: message cut short in the authority section, record 1 (NAME)\r\n---\r\n";
    QTest::newRow("inside an authority record")
        << Reply(0, 2, 0).Raw(AddressRecord(1)).Raw(AddressRecord(2).left(9)).Bytes() << false
        << "Authority Records Section:\r\n" + AddressRecordText(1)
               + "   Name=\r\n   Error: message cut short in the authority section, record 2 "
                 "(TYPE, CLASS, TTL, RDLENGTH)\r\n---\r\n";
    QTest::newRow("inside an additional record's RDATA")
        << Reply(1, 0, 1).Raw(AddressRecord(1)).Raw(AddressRecord(2).left(13)).Bytes() << false
        << "Answer Section:\r\n" + AddressRecordText(1)
               + "Additional Records Section:\r\n   Name=\r\n   Type=A, Class=1, TTL=0, RDLENGTH=4\r\n"
                 "   Error: message cut short in the additional section, record 1 (RDATA)\r\n---\r\n";
    QTest::newRow("second question missing")
        << ReplyHeader(2, 0, 0, 0).Name({"a"}).Question(1, 1).Bytes() << false
        << "   Error: message cut short in the question section, entry 2 (QNAME)\r\n---\r\n";
}

void TestDnsReport::cutShort()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, verbose);
    QFETCH(QString, expected);
    QCOMPARE(WriteDnsReport(message, DnsReportOptions{verbose}), expected);
}

void TestDnsReport::rdataTooShort_data()
{
    AddColumns();
    // Every row has a good record after the faulty one: the RDLENGTH that
    // tells where the next record starts is still trusted. RDATA is read only
    // up to RDLENGTH: otherwise a record could be read from the next record's
    // bytes (the NS name would end at the next record's root name).
    const auto row = [](const char* tag, int type, const QByteArray& rdata, const char* word, const char* shown = "",
                        const char* error = "RDATA too short") {
        QTest::newRow(tag) << Reply(2, 0, 0).Pointer(12).Fields(type, 1, 0, rdata).Raw(AddressRecord(9)).Bytes()
                           << AnswerHead(word, 0, int(rdata.size())) + shown + "   Error: " + error
                                  + " in the answer section, record 1 (RDATA)\r\n" + AddressRecordText(9) + "---\r\n";
    };

    row("MX with the preference only", 15, "\x00\x0A"_wire, "MX");
    row("NS name without its end", 2, "\x03" "ns1"_wire, "NS");
    row("PTR cut inside its pointer", 12, "\xC0"_wire, "PTR");
    row("CNAME pointing to itself", 5, Rdata().Pointer(41), "CNAME", "", "bad compression pointer");
    row("SOA without its last two fields", 6, Rdata().Root().Root().U32(1).U32(2).U32(3).U32(4), "SOA",
        "   Name Server=, Mailbox=\r\n   Serial=1, Refresh=2, Retry=3\r\n");
    row("SOA without RNAME", 6, Rdata().Root(), "SOA");
    row("WKS without protocol", 11, kAddress1, "WKS");
    row("HINFO string longer than RDATA", 13, "\x03" "x86" "\x09" "Linux"_wire, "HINFO");
    row("HINFO without OS", 13, "\x03" "x86"_wire, "HINFO");
    row("MINFO with one name", 14, Rdata().Name({"a"}), "MINFO");
    row("AAAA of 15 bytes", 28, QByteArray(15, '\x01'), "AAAA");
    row("SRV without target", 33, Rdata().U16(1).U16(2).U16(3), "SRV");
    row("SRV target without its end", 33, Rdata().U16(1).U16(2).U16(3).Labels({"ab"}), "SRV");
    row("TXT second string longer than RDATA", 16, "\x02" "ok" "\x05" "abc"_wire, "TXT", "   TXT=ok\r\n");
}

void TestDnsReport::rdataTooShort()
{
    CheckReport(false);
}

void TestDnsReport::everyCutOfAReplyEndsTheReport()
{
    // A reply with every kind of record; each of its prefixes is reported
    // in both forms, ends with the end line, and says where it was cut.
    const QByteArray reply =
        Reply(3, 1, 2)
            .Pointer(12).Fields(1, 1, 60, kAddress1)
            .Labels({"www"}).Pointer(12).Fields(5, 1, 60, Rdata().Pointer(12))
            .Pointer(12).Fields(16, 1, 60, "\x02" "hi"_wire)
            .Pointer(12).Fields(6, 1, 60, Rdata().Labels({"ns"}).Pointer(12).Root()
                                              .U32(1).U32(2).U32(3).U32(4).U32(5))
            .Pointer(12).Fields(15, 1, 60, Rdata().U16(5).Labels({"mx"}).Pointer(12))
            .Pointer(12).Fields(13, 1, 60, "\x01" "a" "\x01" "b"_wire);
    const QString whole = WriteDnsReport(reply, DnsReportOptions{false});
    QVERIFY(!whole.contains(QStringLiteral("Error")));
    QVERIFY(whole.endsWith(QStringLiteral("   CPU=a, OS=b\r\n---\r\n")));

    for (qsizetype size = 0; size < reply.size(); ++size) {
        for (const bool verbose : {false, true}) {
            const QString report = WriteDnsReport(reply.left(size), DnsReportOptions{verbose});
            QVERIFY2(report.endsWith(QStringLiteral("---\r\n")), qPrintable(report));
            QVERIFY2(report.contains(QStringLiteral("   Error: message cut short in the ")),
                     qPrintable(report));
        }
    }
}

void TestDnsReport::damagedRepliesEndTheReport()
{
    // Bytes of a good reply overwritten at random (fixed seed): whatever the
    // damage, every read stays inside the datagram (the sanitizer build
    // checks) and the report ends with the end line.
    const QByteArray reply =
        Reply(2, 1, 1)
            .Labels({"www"}).Pointer(12).Fields(5, 1, 60, Rdata().Labels({"a"}).Pointer(29))
            .Pointer(29).Fields(16, 1, 60, "\x02" "hi" "\x01" "x"_wire)
            .Pointer(12).Fields(6, 1, 60, Rdata().Labels({"ns"}).Pointer(12).Root()
                                              .U32(1).U32(2).U32(3).U32(4).U32(5))
            .Pointer(12).Fields(15, 1, 60, Rdata().U16(5).Labels({"mx"}).Pointer(12));
    QRandomGenerator random(20240611);
    for (int round = 0; round < 5000; ++round) {
        QByteArray damaged = reply;
        const int changes = 1 + random.bounded(4);
        for (int i = 0; i < changes; ++i)
            damaged[random.bounded(damaged.size())] = static_cast<char>(random.bounded(256));
        const QString report =
            WriteDnsReport(damaged, DnsReportOptions{random.bounded(2) == 1});
        QVERIFY2(report.endsWith(QStringLiteral("---\r\n")), qPrintable(damaged.toHex(' ')));
    }
}


// The data form: each row names the members it checks; "error" must be
// there exactly when the row names it.
void TestDnsReport::json_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray next = R"j({"name": "", "type": "A", "type_number": 1, "class": 1, "ttl": 0, "rdlength": 4,
                              "address": "10.0.0.9"})j";

    QTest::newRow("header and question")
        << DnsMessageBuilder().Header(0x1234, 0xAD, 0xF3, 1, 0, 0, 0).Name({"example", "com"}).Question(15, 1).Bytes()
        << QByteArray(R"j({"header": {"id": 4660, "qr": true, "opcode": 5, "aa": true, "tc": false, "rd": true,
                          "ra": true, "z": 7, "rcode": 3, "qdcount": 1, "ancount": 0, "nscount": 0, "arcount": 0},
                          "questions": [{"name": "example.com", "type": "MX", "type_number": 15, "class": 1}],
                          "answers": [], "authority": [], "additional": []})j");
    QTest::newRow("MX in the authority section, A additional")
        << Reply(0, 1, 1).Pointer(12).Fields(15, 1, 0xFFFFFFFF, Rdata().U16(10).Labels({"mx"}).Pointer(12))
               .Raw(AddressRecord(9)).Bytes()
        << R"j({"answers": [], "authority": [{"name": "example.com", "type": "MX", "type_number": 15, "class": 1,
               "ttl": -1, "rdlength": 7, "preference": 10, "exchange": "mx.example.com"}], "additional": [)j"
               + next + "]}";
    QTest::newRow("SOA")
        << Answer(6, Rdata().Root().Root().U32(2024010101).U32(7200).U32(0x80000000).U32(0xFFFFFFFF).U32(300))
               .Bytes()
        << QByteArray(R"j({"answers": [{"name": "example.com", "type": "SOA", "type_number": 6, "class": 1,
                          "ttl": 3600, "rdlength": 22, "mname": "", "rname": "", "serial": 2024010101,
                          "refresh": 7200, "retry": -2147483648, "expire": -1, "minimum": 300}]})j");
    QTest::newRow("TXT with quotes, comma, newline and bytes above 127")
        << Answer(16, "\x0A" "say \"hi\",\n" "\x05" "\xC3\xA9\xFF\x01\x7F"_wire).Bytes()
        << QByteArray("{\"answers\": [{\"name\": \"example.com\", \"type\": \"TXT\", \"type_number\": 16, "
                      "\"class\": 1, \"ttl\": 3600, \"rdlength\": 17, "
                      "\"strings\": [\"say \\\"hi\\\",\\n\", \"\xC3\xA9\xC3\xBF\\u0001\x7F\"]}]}");
    QTest::newRow("WKS, HINFO and type 10")
        << Reply(3, 0, 0)
               .Pointer(12).Fields(11, 1, 1, "\xC0\x00\x02\x01\x06"_wire)
               .Pointer(12).Fields(13, 1, 1, "\x01" "a" "\x01" "b"_wire)
               .Pointer(12).Fields(10, 1, 1, "\x00"_wire).Bytes()
        << QByteArray(R"j({"answers": [
              {"name": "example.com", "type": "WKS", "type_number": 11, "class": 1, "ttl": 1, "rdlength": 5,
               "address": "192.0.2.1", "protocol": 6},
              {"name": "example.com", "type": "HINFO", "type_number": 13, "class": 1, "ttl": 1, "rdlength": 4,
               "cpu": "a", "os": "b"},
              {"name": "example.com", "type": "UNDEFINED", "type_number": 10, "class": 1, "ttl": 1,
               "rdlength": 1, "rdata": "Not yet implemented"}]})j");
    QTest::newRow("AAAA, SRV, AAAA")
        << Ipv6AndServiceReply()
        << QByteArray(R"j({"answers": [{"name": "example.com", "type": "AAAA", "type_number": 28, "class": 1,
                          "ttl": 60, "rdlength": 16, "address": "2001:db8::1"}],
                          "authority": [{"name": "_sip._udp.example.com", "type": "SRV", "type_number": 33,
                          "class": 1, "ttl": 60, "rdlength": 12, "priority": 10, "weight": 60, "port": 5060,
                          "target": "sip.example.com"}],
                          "additional": [{"name": "", "type": "AAAA", "type_number": 28, "class": 1,
                          "ttl": 60, "rdlength": 16, "address": "::ffff:192.0.2.1"}]})j");
    QTest::newRow("RDATA too short")
        << Reply(2, 0, 0).Pointer(12).Fields(15, 1, 0, "\x00\x0A"_wire).Raw(AddressRecord(9)).Bytes()
        << R"j({"answers": [{"name": "example.com", "type": "MX", "type_number": 15, "class": 1, "ttl": 0,
               "rdlength": 2, "error": "Error: RDATA too short in the answer section, record 1 (RDATA)"}, )j"
               + next + "]}";
    QTest::newRow("cut in a record's fields")
        << Reply(1, 0, 0).Pointer(12).U16(1).Bytes()
        << QByteArray(R"j({"answers": [{"name": "example.com"}],
               "error": "Error: message cut short in the answer section, record 1 (TYPE, CLASS, TTL, RDLENGTH)"})j");
    QTest::newRow("cut in the header")
        << QByteArray(11, '\0')
        << QByteArray(R"j({"header": null, "questions": [], "answers": [],
                          "error": "Error: message cut short in the header"})j");
}

void TestDnsReport::json()
{
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, expected);
    QJsonParseError error;
    const QJsonObject wanted = QJsonDocument::fromJson(expected, &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    const QJsonObject decoded = DnsMessageJson(message);
    const auto compact = [](const QJsonValue& value) {
        return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    };
    for (auto member = wanted.constBegin(); member != wanted.constEnd(); ++member)
        QCOMPARE(compact(decoded.value(member.key())), compact(member.value()));
    QCOMPARE(decoded.contains(QStringLiteral("error")), wanted.contains(QStringLiteral("error")));
}

void TestDnsReport::ipv6Text_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("all zero") << QByteArray("00000000000000000000000000000000") << QByteArray("::");
    QTest::newRow("run at the start") << QByteArray("00000000000000000000000000000001") << QByteArray("::1");
    QTest::newRow("run in the middle") << QByteArray("20010db8000000000000000000000001") << QByteArray("2001:db8::1");
    QTest::newRow("run at the end") << QByteArray("fe800000000000000000000000000000") << QByteArray("fe80::");
    QTest::newRow("tie, the first run") << QByteArray("20010db8000000000001000000000001")
                                        << QByteArray("2001:db8::1:0:0:1");
    QTest::newRow("the longer run, not the first") << QByteArray("20010000000000010000000000000001")
                                                   << QByteArray("2001:0:0:1::1");
    QTest::newRow("single zero group") << QByteArray("20010db8000000010001000100010001")
                                       << QByteArray("2001:db8:0:1:1:1:1:1");
    QTest::newRow("leading zeros dropped, lower case") << QByteArray("20010DB800AB0C0000010010ABCDEF01")
                                                       << QByteArray("2001:db8:ab:c00:1:10:abcd:ef01");
    QTest::newRow("IPv4-mapped") << QByteArray("00000000000000000000ffffc0000201")
                                 << QByteArray("::ffff:192.0.2.1");
    QTest::newRow("IPv4-compatible stays hex") << QByteArray("000000000000000000000000c0000201")
                                               << QByteArray("::c000:201");
    QTest::newRow("15 bytes") << QByteArray("000000000000000000000000000001") << QByteArray();
}

void TestDnsReport::ipv6Text()
{
    QFETCH(QByteArray, hex);
    QFETCH(QByteArray, expected);
    QCOMPARE(Ipv6AddressText(QByteArray::fromHex(hex)), expected);
}

QTEST_GUILESS_MAIN(TestDnsReport)
#include "tst_dnsreport.moc"
