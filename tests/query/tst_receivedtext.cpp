// SPDX-License-Identifier: GPL-3.0-or-later
#include "query/ReceivedText.h"

#include <QTest>

using netsonde::CReceivedText;
using netsonde::QueryFunction;

namespace {

// Feeds the chunks to a query that stays far below the pane limit and
// returns all it shows, ended as at the server's close.
QString ShowOpen(QueryFunction function, const QList<QByteArray>& chunks)
{
    CReceivedText received(function);
    QString pane;
    for (const QByteArray& chunk : chunks) {
        const auto result = received.Receive(chunk, pane.size());
        pane += result.text;
    }
    return pane + received.Finish();
}

// The same read as at the close, when everything waits at once.
QString ShowDrained(QueryFunction function, const QList<QByteArray>& chunks)
{
    CReceivedText received(function);
    QString pane;
    for (const QByteArray& chunk : chunks)
        pane += received.Drain(chunk);
    return pane + received.Finish();
}

// Eight-byte chunks: a NUL byte at each position in turn, then the bytes
// above 127, each at every position. Eight bytes in a row run through the
// position, so no chunk holds both UTF-8 lead bytes (0xC0 up) and
// continuation bytes, and a chunk of continuation bytes never follows one
// that ends with a lead byte: none of them is part of a UTF-8 character.
QList<QByteArray> NulAndHighByteChunks()
{
    QList<QByteArray> chunks;
    for (qsizetype position = 0; position < 8; ++position)
        chunks.append(QByteArray("abcdefgh").replace(position, 1, "\0", 1));
    for (int shift = 0; shift < 8; ++shift) {
        for (int eight = 0x80; eight <= 0xF8; eight += 8) {
            chunks.append(QByteArray(8, '\0'));
            for (int position = 0; position < 8; ++position)
                chunks.last()[position] = static_cast<char>(eight + (position + shift) % 8);
        }
    }
    return chunks;
}

} // namespace

class TestReceivedText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shownText_data();
    void shownText();
    void splitAnywhere();
    void nulAndHighBytesInEveryPosition();
    void paneLimit_data();
    void paneLimit();
    void limitKeepsHeldCharacter();
    void drainHasNoLimit();
};

void TestReceivedText::shownText_data()
{
    QTest::addColumn<QueryFunction>("function");
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<bool>("drained");
    QTest::addColumn<QString>("shown");

    const auto finger = QueryFunction::Finger;
    const auto qod = QueryFunction::QuoteOfDay;
    using Chunks = QList<QByteArray>;
    const auto row = [](const char* tag, QueryFunction function, const Chunks& chunks, const QString& shown,
                        bool drained = false) { QTest::newRow(tag) << function << chunks << drained << shown; };

    row("bare LF and CR LF", finger, Chunks{"x\ny\r\nz"}, "x\r\ny\r\nz");
    row("LF opens the text", finger, Chunks{"\nA"}, "\r\nA");
    row("two LFs", finger, Chunks{"\n\n"}, "\r\n\r\n");
    // The CR is remembered across reads: otherwise a line break split between
    // two reads would show as two line ends.
    row("CR then LF across chunks is one line end", finger, Chunks{"a\r", "\nb"}, "a\r\nb");
    row("LF after a chunk without CR", finger, Chunks{"a", "\nb"}, "a\r\nb");
    row("lone CR kept", finger, Chunks{"a\rb"}, "a\rb");
    row("tabs and controls kept", finger, Chunks{"\t\x01\x7f"}, "\t\x01\x7f");
    row("CR before NUL then LF", finger, Chunks{QByteArray("a\r\0z", 4), "\nb"}, "a\r\nb");
    row("split two-byte character", finger, Chunks{"caf\xc3", "\xa9!"}, QString::fromUtf8("caf\xc3\xa9!"));
    row("split four-byte character", finger, Chunks{"\xf0\x9f", "\x98", "\x80"}, QString::fromUtf8("\xf0\x9f\x98\x80"));
    row("overlong form as Latin-1", finger, Chunks{"\xc0\xaf"}, "\u00c0\u00af");
    row("surrogate as Latin-1", finger, Chunks{"\xed\xa0\x80"}, "\u00ed\u00a0\u0080");
    row("broken sequence across chunks", finger, Chunks{"\xe2\x82", "A"}, "\u00e2\u0082A");
    row("unfinished at the end", finger, Chunks{"ok\xe2\x82"}, "ok\u00e2\u0082");
    row("unfinished before NUL", finger, Chunks{QByteArray("\xc3\0", 2), "\xa9"}, "\u00c3\u00a9");
    row("qod drops lone CR", qod, Chunks{"a", "\r", "b"}, "ab");
    row("qod CR before NUL counts as lone", qod, Chunks{QByteArray("\r\0x", 3)}, "");
    row("qod keeps CR LF", qod, Chunks{"\r\n"}, "\r\n");
    row("qod LF after dropped CR", qod, Chunks{"a", "\r", "\nb"}, "a\r\nb");
    row("finger keeps lone CR chunk", finger, Chunks{"a", "\r", "b"}, "a\rb");
    row("qod drained keeps lone CR", qod, Chunks{"a", "\r", "b\n"}, "a\rb\r\n", true);
}

void TestReceivedText::shownText()
{
    QFETCH(QueryFunction, function);
    QFETCH(QList<QByteArray>, chunks);

    QFETCH(bool, drained);
    QTEST(drained ? ShowDrained(function, chunks) : ShowOpen(function, chunks), "shown");
}

void TestReceivedText::splitAnywhere()
{
    // Line ends, multi-byte characters and invalid bytes, cut into two
    // chunks at every place: the pane must always get the same text.
    const QByteArray bytes("a\r\nb\nc\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\xff\xe2\x82\r\n");
    const QString whole = ShowOpen(QueryFunction::Finger, {bytes});
    QCOMPARE(whole, QString::fromUtf8("a\r\nb\r\nc\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80")
                        + QStringLiteral("\u00ff\u00e2\u0082\r\n"));
    for (qsizetype cut = 1; cut < bytes.size(); ++cut) {
        const QList<QByteArray> chunks{bytes.first(cut), bytes.sliced(cut)};
        QCOMPARE(ShowOpen(QueryFunction::Finger, chunks), whole);
        QCOMPARE(ShowDrained(QueryFunction::WhoIs, chunks), whole);
    }
}

// A NUL byte hides the rest of its chunk and nothing after it; every byte
// above 127 shows as its Latin-1 character wherever it stands, also at the
// end of a chunk where it might have begun a character.
void TestReceivedText::nulAndHighBytesInEveryPosition()
{
    QString expected;
    for (const QByteArray& chunk : NulAndHighByteChunks())
        expected += QString::fromLatin1(chunk.constData()); // up to a NUL byte
    QCOMPARE(ShowOpen(QueryFunction::Finger, NulAndHighByteChunks()), expected);
}

void TestReceivedText::paneLimit_data()
{
    QTest::addColumn<QueryFunction>("function");
    QTest::addColumn<int>("paneLength");
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QString>("text"); // empty when the chunk ends the query
    const auto finger = QueryFunction::Finger;
    const auto whoIs = QueryFunction::WhoIs;
    const auto quote = QueryFunction::QuoteOfDay;
    const QByteArray q10(10, 'q');
    // A chunk of 10 bytes: the test is paneLength + 10 + 1 against 30000.
    QTest::newRow("finger at 29999") << finger << 29988 << q10 << "qqqqqqqqqq";
    QTest::newRow("finger at 30000") << finger << 29989 << q10 << "qqqqqqqqqq";
    QTest::newRow("finger at 30001") << finger << 29990 << q10 << "";
    QTest::newRow("whois at 29999") << whoIs << 29988 << q10 << "qqqqqqqqqq";
    QTest::newRow("whois at 30000") << whoIs << 29989 << q10 << "";
    QTest::newRow("qod at 29999") << quote << 29988 << q10 << "qqqqqqqqqq";
    QTest::newRow("qod at 30000") << quote << 29989 << q10 << "";
    QTest::newRow("qod far past") << quote << 40000 << q10 << "";
    // Ten LFs are shown as twenty characters, but count as ten received bytes.
    QTest::newRow("received bytes count") << finger << 29989 << QByteArray(10, '\n') << QString("\r\n").repeated(10);
}

void TestReceivedText::paneLimit()
{
    QFETCH(QueryFunction, function);
    QFETCH(int, paneLength);
    QFETCH(QByteArray, chunk);
    QFETCH(QString, text);
    CReceivedText received(function);
    const auto result = received.Receive(chunk, paneLength);
    QCOMPARE(result.endsQuery, text.isEmpty());
    QCOMPARE(result.text, text);
}

void TestReceivedText::limitKeepsHeldCharacter()
{
    CReceivedText received(QueryFunction::WhoIs);
    QCOMPARE(received.Receive("ab\xc3", 0).text, QStringLiteral("ab"));
    const auto result = received.Receive(QByteArray(100, 'x'), 29990);
    QVERIFY(result.endsQuery);
    QCOMPARE(result.text, QStringLiteral("\u00c3"));
}

void TestReceivedText::drainHasNoLimit()
{
    CReceivedText received(QueryFunction::WhoIs);
    const QByteArray chunk(CReceivedText::ChunkSize, 'd');
    QString pane(CReceivedText::PaneLimit, QLatin1Char('p'));
    pane += received.Drain(chunk);
    QCOMPARE(pane.size(), CReceivedText::PaneLimit + CReceivedText::ChunkSize);
}

QTEST_GUILESS_MAIN(TestReceivedText)
#include "tst_receivedtext.moc"
