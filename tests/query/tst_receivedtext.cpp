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

QString ShowDrained(QueryFunction function, const QList<QByteArray>& chunks)
{
    CReceivedText received(function);
    QString pane;
    for (const QByteArray& chunk : chunks)
        pane += received.Drain(chunk);
    return pane + received.Finish();
}

} // namespace

class TestReceivedText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shownText_data();
    void shownText();
    void splitAnywhere();
    void drainShowsLoneCarriageReturn();
    void paneLimit_data();
    void paneLimit();
    void paneLimitCountsReceivedBytes();
    void limitKeepsHeldCharacter();
    void drainHasNoLimit();
};

void TestReceivedText::shownText_data()
{
    QTest::addColumn<QueryFunction>("function");
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QString>("shown");

    const auto finger = QueryFunction::Finger;
    const auto qod = QueryFunction::QuoteOfDay;
    using Chunks = QList<QByteArray>;

    QTest::newRow("bare LF and CR LF") << finger << Chunks{"x\ny\r\nz"} << "x\r\ny\r\nz";
    QTest::newRow("LF opens the text") << finger << Chunks{"\nA"} << "\r\nA";
    QTest::newRow("two LFs") << finger << Chunks{"\n\n"} << "\r\n\r\n";
    // The CR is remembered across reads: otherwise a line break split between
    // two reads would show as two line ends.
    QTest::newRow("CR then LF across chunks is one line end") << finger << Chunks{"a\r", "\nb"} << "a\r\nb";
    QTest::newRow("LF after a chunk without CR") << finger << Chunks{"a", "\nb"} << "a\r\nb";
    QTest::newRow("lone CR kept") << finger << Chunks{"a\rb"} << "a\rb";
    QTest::newRow("tabs and controls kept") << finger << Chunks{"\t\x01\x7f"} << "\t\x01\x7f";
    QTest::newRow("NUL cuts its chunk only")
        << finger << Chunks{QByteArray("ab\0cd", 5), "ef"} << "abef";
    QTest::newRow("NUL opens a chunk") << finger << Chunks{QByteArray("\0x", 2), "y"} << "y";
    QTest::newRow("CR before NUL then LF")
        << finger << Chunks{QByteArray("a\r\0z", 4), "\nb"} << "a\r\nb";
    QTest::newRow("split two-byte character")
        << finger << Chunks{"caf\xc3", "\xa9!"} << QString::fromUtf8("caf\xc3\xa9!");
    QTest::newRow("split four-byte character")
        << finger << Chunks{"\xf0\x9f", "\x98", "\x80"} << QString::fromUtf8("\xf0\x9f\x98\x80");
    QTest::newRow("invalid byte as Latin-1") << finger << Chunks{"a\xe9z"} << "a\u00e9z";
    QTest::newRow("overlong form as Latin-1") << finger << Chunks{"\xc0\xaf"} << "\u00c0\u00af";
    QTest::newRow("surrogate as Latin-1")
        << finger << Chunks{"\xed\xa0\x80"} << "\u00ed\u00a0\u0080";
    QTest::newRow("broken sequence across chunks")
        << finger << Chunks{"\xe2\x82", "A"} << "\u00e2\u0082A";
    QTest::newRow("unfinished at the end") << finger << Chunks{"ok\xe2\x82"} << "ok\u00e2\u0082";
    QTest::newRow("unfinished before NUL")
        << finger << Chunks{QByteArray("\xc3\0", 2), "\xa9"} << "\u00c3\u00a9";
    QTest::newRow("qod drops lone CR") << qod << Chunks{"a", "\r", "b"} << "ab";
    QTest::newRow("qod CR before NUL counts as lone")
        << qod << Chunks{QByteArray("\r\0x", 3)} << "";
    QTest::newRow("qod keeps CR LF") << qod << Chunks{"\r\n"} << "\r\n";
    QTest::newRow("qod LF after dropped CR") << qod << Chunks{"a", "\r", "\nb"} << "a\r\nb";
    QTest::newRow("finger keeps lone CR chunk") << finger << Chunks{"a", "\r", "b"} << "a\rb";
}

void TestReceivedText::shownText()
{
    QFETCH(QueryFunction, function);
    QFETCH(QList<QByteArray>, chunks);

    QTEST(ShowOpen(function, chunks), "shown");
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

void TestReceivedText::drainShowsLoneCarriageReturn()
{
    const QList<QByteArray> chunks{"a", "\r", "b\n"};
    QCOMPARE(ShowDrained(QueryFunction::QuoteOfDay, chunks), QStringLiteral("a\rb\r\n"));
    QCOMPARE(ShowDrained(QueryFunction::QuoteOfDay, chunks),
             ShowOpen(QueryFunction::Finger, chunks));
}

void TestReceivedText::paneLimit_data()
{
    QTest::addColumn<QueryFunction>("function");
    QTest::addColumn<int>("paneLength");
    QTest::addColumn<bool>("endsQuery");

    // A chunk of 10 bytes: the test is paneLength + 10 + 1 against 30000.
    QTest::newRow("finger at 29999") << QueryFunction::Finger << 29988 << false;
    QTest::newRow("finger at 30000") << QueryFunction::Finger << 29989 << false;
    QTest::newRow("finger at 30001") << QueryFunction::Finger << 29990 << true;
    QTest::newRow("whois at 29999") << QueryFunction::WhoIs << 29988 << false;
    QTest::newRow("whois at 30000") << QueryFunction::WhoIs << 29989 << true;
    QTest::newRow("qod at 29999") << QueryFunction::QuoteOfDay << 29988 << false;
    QTest::newRow("qod at 30000") << QueryFunction::QuoteOfDay << 29989 << true;
    QTest::newRow("qod far past") << QueryFunction::QuoteOfDay << 40000 << true;
}

void TestReceivedText::paneLimit()
{
    QFETCH(QueryFunction, function);
    QFETCH(int, paneLength);
    QFETCH(bool, endsQuery);

    CReceivedText received(function);
    const QByteArray chunk(10, 'q');
    const auto result = received.Receive(chunk, paneLength);

    QCOMPARE(result.endsQuery, endsQuery);
    QCOMPARE(result.text, endsQuery ? QString() : QString::fromLatin1(chunk));
}

void TestReceivedText::paneLimitCountsReceivedBytes()
{
    // Ten LFs are shown as twenty characters, but count as ten received bytes.
    CReceivedText received(QueryFunction::Finger);
    const auto result = received.Receive(QByteArray(10, '\n'), 29989);
    QVERIFY(!result.endsQuery);
    QCOMPARE(result.text.size(), 20);
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
