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
    void cursor()
    {
        const QByteArray message = "\x01\x02\x03\x04\x05\x06\x07\xFF\xFF\xFF\xFF"_wire;
        DnsWireCursor cursor(message);
        QCOMPARE(cursor.ReadU8(), quint8{0x01});
        QCOMPARE(cursor.ReadU16(), quint16{0x0203});
        QCOMPARE(cursor.ReadU32(), quint32{0x04050607});
        QCOMPARE(cursor.ReadU32(), quint32{0xFFFFFFFF});
        QCOMPARE(cursor.Remaining(), 0);
        QVERIFY(!cursor.Failed());
        // A failed read leaves the cursor where it was; the error is sticky and
        // the byte that is there is not read once the cursor has failed.
        QCOMPARE(cursor.ReadU16(), quint16{0});
        QCOMPARE(cursor.Error(), DnsWireError::CutShort);
        QCOMPARE(cursor.Position(), 11);
        DnsWireCursor sticky(message, 0, 3);
        QCOMPARE(sticky.ReadU32(), quint32{0});
        QCOMPARE(sticky.ReadU8(), quint8{0});
        QVERIFY(sticky.ReadBytes(0).isEmpty());
        sticky.Fail(DnsWireError::BadPointer);
        QCOMPARE(sticky.Error(), DnsWireError::CutShort);
        // A cursor stops at its own end, not the message's.
        DnsWireCursor inner(message, 1, 3);
        QCOMPARE(inner.ReadBytes(2), QByteArrayView("\x02\x03"));
        QCOMPARE(inner.ReadU8(), quint8{0});
        QVERIFY(inner.Failed());
        DnsWireCursor negative(message, 0, 5);
        QVERIFY(negative.ReadBytes(-1).isEmpty());
        QVERIFY(negative.Failed());
        DnsWireCursor beyond(message, 19, 20);
        QCOMPARE(beyond.End(), 11);
        QCOMPARE(beyond.Position(), 11);
        QCOMPARE(beyond.ReadU8(), quint8{0});
        QVERIFY(beyond.Failed());
    }

    void decodeName_data()
    {
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
        row("labels", base(), 0, "example.com", 13);
        row("root", "\x00"_wire, 0, "", 1);
        row("pointer", base().Pointer(0), 13, "example.com", 15);
        row("labels then pointer", base().Labels({"www"}).Pointer(0), 13, "www.example.com", 19);
        row("pointer into a name", base().Pointer(8), 13, "com", 15);
        row("pointer to pointer", base().Labels({"www"}).Pointer(0).Pointer(13), 19, "www.example.com", 21);
        row("pointer to the zero byte", base().Pointer(12), 13, "", 15);
        row("label then pointer to the zero byte", base().Labels({"mail"}).Pointer(12), 13, "mail", 20);
        const auto one = [](const QByteArray& label) -> QByteArray { return DnsMessageBuilder().Name({label}); };
        row("dot and any byte inside a label", one("a.b.\x00\xFF"_wire), 0, "a.b.\x00\xFF"_wire, 8);
        row("length 0x40 is a label", one(QByteArray(0x40, 'x')), 0, QByteArray(0x40, 'x'), 0x42);
        row("length 0xBF is a label", one(QByteArray(0xBF, 'x')), 0, QByteArray(0xBF, 'x'), 0xC1);
        row("empty message", QByteArray(), 0, "", 0, cut);
        row("no zero byte", DnsMessageBuilder().Labels({"example", "com"}), 0, "example.com", 12, cut);
        row("cut inside a label", "\x07" "exa"_wire, 0, "", 1, cut);
        row("cut inside a pointer", base().Labels({"www"}).U8(0xC0), 13, "www", 18, cut);
        // A pointer must point backwards, before the name that holds it: otherwise a loop would hang the decoder.
        row("pointer to itself", base().Pointer(13), 13, "", 15, bad);
        row("pointer forward", base().Pointer(15).Root(), 13, "", 15, bad);
        row("pointer past the message", base().Pointer(0x3FFF), 13, "", 15, bad);
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

    void utf8OrLatin1_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("ASCII with zero byte") << "a\x00" "b\r\n"_wire << QStringLiteral(u"a\u0000b\r\n");
        QTest::newRow("two-byte") << "caf\xC3\xA9"_wire << QStringLiteral(u"caf\u00E9");
        QTest::newRow("three-byte") << "\xE2\x82\xAC"_wire << QStringLiteral(u"\u20AC");
        QTest::newRow("four-byte") << "\xF0\x9F\x98\x80"_wire << QStringLiteral(u"\U0001F600");
        QTest::newRow("0xFF") << "\xFF"_wire << QStringLiteral(u"\u00FF");
        QTest::newRow("lone continuation") << "\x80" "a"_wire << QStringLiteral(u"\u0080a");
        QTest::newRow("overlong three-byte") << "\xE0\x80\x80"_wire << QStringLiteral(u"\u00E0\u0080\u0080");
        QTest::newRow("above U+10FFFF") << "\xF4\x90\x80\x80"_wire << QStringLiteral(u"\u00F4\u0090\u0080\u0080");
        QTest::newRow("F5") << "\xF5\x80"_wire << QStringLiteral(u"\u00F5\u0080");
        QTest::newRow("cut at the end") << "a\xE2\x82"_wire << QStringLiteral(u"a\u00E2\u0082");
        QTest::newRow("cut by ASCII") << "\xC3" "a\xC3\xA9"_wire << QStringLiteral(u"\u00C3a\u00E9");
    }
    void utf8OrLatin1()
    {
        QFETCH(QByteArray, bytes);
        QTEST(DecodeUtf8OrLatin1(bytes), "text");
    }
};

QTEST_GUILESS_MAIN(TestDnsWire)
#include "tst_dnswire.moc"
