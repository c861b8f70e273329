// SPDX-License-Identifier: GPL-3.0-or-later
// What a query sends (the request, its host and port) and what it shows of
// the bytes its server sends back.

#include "query/QueryRequest.h"
#include "query/ReceivedText.h"

#include <QTest>

using namespace netsonde;

namespace {

// Feeds the chunks to a query that stays far below the pane limit, while the
// connection is open or (drained) all at once after the server's close, and
// returns all it shows, ended as at the close.
QString Show(QueryFunction function, const QList<QByteArray>& chunks, bool drained = false)
{
    ReceivedText received(function);
    QString pane;
    for (const QByteArray& chunk : chunks)
        pane += drained ? received.Drain(chunk) : received.Receive(chunk, pane.size()).text;
    return pane + received.Finish();
}

} // namespace

class TestQueryText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void plan_data()
    {
        // clang-format off
        QTest::addColumn<QueryFunction>("function");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("verbose");
        QTest::addColumn<QString>("firewall");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("request");
        const auto row = [](const char* tag, QueryFunction function, const QString& user, const QString& host,
                            bool verbose, const QString& firewall, const QString& target, const QByteArray& request) {
            QTest::newRow(tag) << function << user << host << verbose << firewall << target << request;
        };
        const auto finger = QueryFunction::Finger;
        const auto whoIs = QueryFunction::WhoIs;
        const auto quote = QueryFunction::QuoteOfDay;
        row("whois ignores verbose", whoIs, "example.org", "whois.example", true, "", "whois.example",
            "example.org\r\n");
        row("qod has no firewall", quote, "john", "quotes", true, "gate", "quotes", "");
        row("host kept unchanged", finger, " John ", " Example.ORG ", false, "", " Example.ORG ", " John \r\n");
        row("at sign kept whole", finger, "", "ann@bob", false, "gate", "gate", "@ann@bob\r\n");
        row("request is UTF-8", finger, "J\u00f6rg", "h\u00f4te", false, "gate", "gate", "J\xc3\xb6rg@h\xc3\xb4te\r\n");
        // clang-format on
    }

    void plan()
    {
        QFETCH(QueryFunction, function);
        QFETCH(QString, user);
        QFETCH(QString, host);
        QFETCH(bool, verbose);
        QFETCH(QString, firewall);
        const auto plan = BuildQueryPlan(QueryFields{function, user, host, verbose, firewall});
        QTEST(plan.targetHost, "target");
        QTEST(plan.request, "request");
    }

    void shownText_data()
    {
        // clang-format off
        QTest::addColumn<QueryFunction>("function");
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<bool>("drained");
        QTest::addColumn<QString>("shown");

        const auto finger = QueryFunction::Finger;
        const auto qod = QueryFunction::QuoteOfDay;
        using Chunks = QList<QByteArray>;
        const auto row = [](const char* tag, QueryFunction function, const Chunks& chunks, const QString& shown,
                            bool drained = false) { QTest::newRow(tag) << function << chunks << drained << shown; };

        row("LF opens the text", finger, Chunks{"\nA"}, "\r\nA");
        row("CR before NUL then LF", finger, Chunks{QByteArray("a\r\0z", 4), "\nb"}, "a\r\nb");
        row("overlong form as Latin-1", finger, Chunks{"\xc0\xaf"}, "\u00c0\u00af");
        row("surrogate as Latin-1", finger, Chunks{"\xed\xa0\x80"}, "\u00ed\u00a0\u0080");
        row("E0 overlong, F4 past U+10FFFF", finger, Chunks{"\xe0\x80\x80\xf4\x90\x80\x80"},
            "\u00e0\u0080\u0080\u00f4\u0090\u0080\u0080");
        row("lead past U+10FFFF as Latin-1", finger, Chunks{"\xf5\x80\x80\x80"}, "\u00f5\u0080\u0080\u0080");
        row("unfinished at the end", finger, Chunks{"ok\xe2\x82"}, "ok\u00e2\u0082");
        row("NUL first drops the chunk", finger, Chunks{QByteArray("\0x", 2), "y"}, "y");
        row("unfinished before NUL", finger, Chunks{QByteArray("\xc3\0", 2), "\xa9"}, "\u00c3\u00a9");
        row("qod CR before NUL counts as lone", qod, Chunks{QByteArray("\r\0x", 3)}, "");
        row("qod LF after dropped CR", qod, Chunks{"a", "\r", "\nb"}, "a\r\nb");
        row("finger keeps lone CR chunk", finger, Chunks{"a", "\r", "b"}, "a\rb");
        row("qod drained keeps lone CR", qod, Chunks{"a", "\r", "b\n"}, "a\rb\r\n", true);
        // clang-format on
    }

    void shownText()
    {
        QFETCH(QueryFunction, function);
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(bool, drained);
        QTEST(Show(function, chunks, drained), "shown");
    }

    void splitAnywhere()
    {
        // Line ends, multi-byte characters and invalid bytes, cut into two
        // chunks at every place: the pane must always get the same text.
        const QByteArray bytes("a\r\nb\nc\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\xff\xe2\x82\r\n");
        const QString whole = Show(QueryFunction::Finger, {bytes});
        QCOMPARE(whole, QString::fromUtf8("a\r\nb\r\nc\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80")
                            + QStringLiteral("\u00ff\u00e2\u0082\r\n"));
        for (qsizetype cut = 1; cut < bytes.size(); ++cut)
            QCOMPARE(Show(QueryFunction::Finger, {bytes.first(cut), bytes.sliced(cut)}), whole);
    }

    void paneLimit_data()
    {
        // clang-format off
        QTest::addColumn<QueryFunction>("function");
        QTest::addColumn<int>("paneLength");
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<QString>("text"); // empty when the chunk ends the query
        const auto finger = QueryFunction::Finger;
        const auto whoIs = QueryFunction::WhoIs;
        const QByteArray q10(10, 'q');
        // A chunk of 10 bytes: the test is paneLength + 10 + 1 against 30000.
        QTest::newRow("finger at 30001") << finger << 29990 << q10 << "";
        QTest::newRow("whois at 29999") << whoIs << 29988 << q10 << "qqqqqqqqqq";
        // Ten LFs are shown as twenty characters, but count as ten received bytes.
        QTest::newRow("received bytes count")
            << finger << 29989 << QByteArray(10, '\n') << QString("\r\n").repeated(10);
        // clang-format on
    }

    void paneLimit()
    {
        QFETCH(QueryFunction, function);
        QFETCH(int, paneLength);
        QFETCH(QByteArray, chunk);
        QFETCH(QString, text);
        ReceivedText received(function);
        const auto result = received.Receive(chunk, paneLength);
        QCOMPARE(result.endsQuery, text.isEmpty());
        QCOMPARE(result.text, text);
    }

    void limitKeepsHeldCharacter()
    {
        ReceivedText received(QueryFunction::WhoIs);
        QCOMPARE(received.Receive("ab\xc3", 0).text, QStringLiteral("ab"));
        const auto result = received.Receive(QByteArray(100, 'x'), 29990);
        QVERIFY(result.endsQuery);
        QCOMPARE(result.text, QStringLiteral("\u00c3"));
    }
};

QTEST_GUILESS_MAIN(TestQueryText)
#include "tst_querytext.moc"
