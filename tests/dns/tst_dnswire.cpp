// SPDX-License-Identifier: GPL-3.0-or-later
// The wire cursor, the name decoder and the text of received bytes.

#include "DnsMessageBuilder.h"

#include "dns/DnsDomainName.h"
#include "dns/DnsWireCursor.h"
#include "platform/text/Utf8OrLatin1.h"

#include <QTest>

using namespace netsonde;
using netsonde::test::DnsMessageBuilder;
using netsonde::test::operator""_wire;

Q_DECLARE_METATYPE(netsonde::DnsWireError)

class TestDnsWire : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cursorReadsInNetworkOrder();
    void cursorErrorIsSticky();
    void cursorStopsAtItsEnd();
    void decodeName_data();
    void decodeName();
    void nameInsideLimitedCursor();
    void utf8OrLatin1_data();
    void utf8OrLatin1();
};

void TestDnsWire::cursorReadsInNetworkOrder()
{
    const QByteArray message = "\x01\x02\x03\x04\x05\x06\x07\xFF\xFF\xFF\xFF"_wire;
    DnsWireCursor cursor(message);
    QCOMPARE(cursor.ReadU8(), quint8{0x01});
    QCOMPARE(cursor.ReadU16(), quint16{0x0203});
    QCOMPARE(cursor.ReadU32(), quint32{0x04050607});
    QCOMPARE(cursor.ReadU32(), quint32{0xFFFFFFFF});
    QCOMPARE(cursor.Remaining(), 0);
    QVERIFY(!cursor.Failed());
}

void TestDnsWire::cursorErrorIsSticky()
{
    const QByteArray message = "\x01\x02\x03"_wire;
    DnsWireCursor cursor(message);
    QCOMPARE(cursor.ReadU16(), quint16{0x0102});
    QCOMPARE(cursor.ReadU16(), quint16{0});
    QCOMPARE(cursor.Error(), DnsWireError::CutShort);
    QCOMPARE(cursor.Position(), 2);
    // The byte that is there is not read once the cursor has failed.
    QCOMPARE(cursor.ReadU8(), quint8{0});
    QVERIFY(cursor.ReadBytes(0).isEmpty());
    cursor.Fail(DnsWireError::BadPointer);
    QCOMPARE(cursor.Error(), DnsWireError::CutShort);
}

void TestDnsWire::cursorStopsAtItsEnd()
{
    const QByteArray message = "\x01\x02\x03\x04\x05"_wire;
    DnsWireCursor cursor(message, 1, 3);
    QCOMPARE(cursor.ReadBytes(2), QByteArrayView("\x02\x03"));
    QCOMPARE(cursor.ReadU8(), quint8{0});
    QVERIFY(cursor.Failed());

    DnsWireCursor negative(message, 0, 5);
    QVERIFY(negative.ReadBytes(-1).isEmpty());
    QVERIFY(negative.Failed());

    DnsWireCursor beyond(message, 9, 20);
    QCOMPARE(beyond.End(), 5);
    QCOMPARE(beyond.Position(), 5);
    QCOMPARE(beyond.ReadU8(), quint8{0});
    QVERIFY(beyond.Failed());
}

void TestDnsWire::decodeName_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("start");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("after"); // the cursor's position afterwards
    QTest::addColumn<DnsWireError>("error");

    // "example.com" at 0..12 (13 bytes), what each row adds from 13 on.
    const auto base = [] { return DnsMessageBuilder().Name({"example", "com"}); };

    QTest::newRow("labels") << base().Bytes() << 0 << QByteArray("example.com") << 13
                            << DnsWireError::None;
    QTest::newRow("root") << "\x00"_wire << 0 << QByteArray() << 1 << DnsWireError::None;
    QTest::newRow("pointer")
        << base().Pointer(0).Bytes() << 13 << QByteArray("example.com") << 15 << DnsWireError::None;
    QTest::newRow("labels then pointer")
        << base().Labels({"www"}).Pointer(0).Bytes() << 13 << QByteArray("www.example.com") << 19
        << DnsWireError::None;
    QTest::newRow("pointer into a name")
        << base().Pointer(8).Bytes() << 13 << QByteArray("com") << 15 << DnsWireError::None;
    QTest::newRow("pointer to pointer")
        << base().Labels({"www"}).Pointer(0).Pointer(13).Bytes() << 19
        << QByteArray("www.example.com") << 21 << DnsWireError::None;
    QTest::newRow("pointer to the zero byte")
        << base().Pointer(12).Bytes() << 13 << QByteArray() << 15 << DnsWireError::None;
    QTest::newRow("label then pointer to the zero byte")
        << base().Labels({"mail"}).Pointer(12).Bytes() << 13 << QByteArray("mail") << 20
        << DnsWireError::None;
    QTest::newRow("dot and any byte inside a label")
        << DnsMessageBuilder().Name({"a.b", "\x00\xFF"_wire}).Bytes() << 0
        << "a.b.\x00\xFF"_wire << 8 << DnsWireError::None;
    QTest::newRow("length 0x40 is a label")
        << DnsMessageBuilder().Name({QByteArray(0x40, 'x')}).Bytes() << 0 << QByteArray(0x40, 'x')
        << 0x42 << DnsWireError::None;
    QTest::newRow("length 0xBF is a label")
        << DnsMessageBuilder().Name({QByteArray(0xBF, 'x')}).Bytes() << 0 << QByteArray(0xBF, 'x')
        << 0xC1 << DnsWireError::None;

    QTest::newRow("empty message") << QByteArray() << 0 << QByteArray() << 0
                                   << DnsWireError::CutShort;
    QTest::newRow("no zero byte")
        << DnsMessageBuilder().Labels({"example", "com"}).Bytes() << 0
        << QByteArray("example.com") << 12 << DnsWireError::CutShort;
    QTest::newRow("cut inside a label")
        << "\x07" "exa"_wire << 0 << QByteArray() << 1 << DnsWireError::CutShort;
    QTest::newRow("cut inside a pointer")
        << base().Labels({"www"}).U8(0xC0).Bytes() << 13 << QByteArray("www") << 18
        << DnsWireError::CutShort;
    // A pointer must point backwards, before the name that holds it:
    // otherwise a pointer loop would hang the decoder.
    QTest::newRow("pointer to itself")
        << base().Pointer(13).Bytes() << 13 << QByteArray() << 15 << DnsWireError::BadPointer;
    QTest::newRow("pointer forward")
        << base().Pointer(15).Root().Bytes() << 13 << QByteArray() << 15
        << DnsWireError::BadPointer;
    QTest::newRow("pointer past the message")
        << base().Pointer(0x3FFF).Bytes() << 13 << QByteArray() << 15 << DnsWireError::BadPointer;
    QTest::newRow("label then pointer to its own start")
        << base().Labels({"a"}).Pointer(13).Bytes() << 13 << QByteArray("a") << 17
        << DnsWireError::BadPointer;
    // Two names that point at each other's labels: 13 = "a" -> 0; the name at
    // 17 points to 13, and "b" at 19 points back to 17.
    QTest::newRow("chain that comes back")
        << base().Labels({"a"}).Pointer(0).Pointer(13).Labels({"b"}).Pointer(17).Bytes() << 19
        << QByteArray("b.a.example.com") << 23 << DnsWireError::None;
    // The name at 5 points back to 0, whose labels run on into the pointer.
    QTest::newRow("labels reached again after a jump")
        << "\x01" "a" "\x01" "b" "\x01" "c" "\xC0\x00"_wire << 4 << QByteArray("c.a.b") << 8
        << DnsWireError::BadPointer;
}

void TestDnsWire::decodeName()
{
    QFETCH(QByteArray, message);
    QFETCH(int, start);
    QFETCH(QByteArray, name);
    QFETCH(int, after);
    QFETCH(DnsWireError, error);

    DnsWireCursor cursor(message, start, message.size());
    QCOMPARE(DecodeDomainName(cursor), name);
    QCOMPARE(cursor.Error(), error);
    // Past the name, or where it was found cut or its first pointer ended.
    QCOMPARE(cursor.Position(), after);
}

void TestDnsWire::nameInsideLimitedCursor()
{
    // "example.com" at 0, then a name at 13 whose labels need 4 bytes but
    // whose cursor ends after 3; its pointer may still reach back to 0.
    const QByteArray message =
        DnsMessageBuilder().Name({"example", "com"}).Labels({"ab"}).Pointer(0).Root();
    DnsWireCursor short_(message, 13, 16);
    DecodeDomainName(short_);
    QCOMPARE(short_.Error(), DnsWireError::CutShort);

    DnsWireCursor whole(message, 13, 18);
    QCOMPARE(DecodeDomainName(whole), QByteArray("ab.example.com"));
    QCOMPARE(whole.Position(), 18);
    QVERIFY(!whole.Failed());
}

void TestDnsWire::utf8OrLatin1_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("ASCII with zero byte") << "a\x00" "b\r\n"_wire << QStringLiteral(u"a\u0000b\r\n");
    QTest::newRow("two-byte") << "caf\xC3\xA9"_wire << QStringLiteral(u"caf\u00E9");
    QTest::newRow("three-byte") << "\xE2\x82\xAC"_wire << QStringLiteral(u"\u20AC");
    QTest::newRow("four-byte") << "\xF0\x9F\x98\x80"_wire << QStringLiteral(u"\U0001F600");
    QTest::newRow("Latin-1 byte") << "\xE9t\xE9"_wire << QStringLiteral(u"\u00E9t\u00E9");
    QTest::newRow("0xFF") << "\xFF"_wire << QStringLiteral(u"\u00FF");
    QTest::newRow("lone continuation") << "\x80" "a"_wire << QStringLiteral(u"\u0080a");
    QTest::newRow("overlong") << "\xC0\x80"_wire << QStringLiteral(u"\u00C0\u0080");
    QTest::newRow("overlong three-byte") << "\xE0\x80\x80"_wire
                                         << QStringLiteral(u"\u00E0\u0080\u0080");
    QTest::newRow("surrogate") << "\xED\xA0\x80"_wire << QStringLiteral(u"\u00ED\u00A0\u0080");
    QTest::newRow("above U+10FFFF") << "\xF4\x90\x80\x80"_wire
                                    << QStringLiteral(u"\u00F4\u0090\u0080\u0080");
    QTest::newRow("F5") << "\xF5\x80"_wire << QStringLiteral(u"\u00F5\u0080");
    QTest::newRow("cut at the end") << "a\xE2\x82"_wire << QStringLiteral(u"a\u00E2\u0082");
    QTest::newRow("cut by ASCII") << "\xC3" "a\xC3\xA9"_wire << QStringLiteral(u"\u00C3a\u00E9");
}

void TestDnsWire::utf8OrLatin1()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(DecodeUtf8OrLatin1(bytes), text);
}

QTEST_GUILESS_MAIN(TestDnsWire)
#include "tst_dnswire.moc"
