// SPDX-License-Identifier: GPL-3.0-or-later
// The options of ours: taken out before the window's command-line rules,
// their values, the modes they select and every usage error; and the bytes
// of the CSV and JSON forms for names and texts that need quoting.

#include "app/ReportFormats.h"
#include "app/ReportOptions.h"
#include "query/ReceivedText.h"

#include <QJsonDocument>
#include <QTest>

using namespace netsonde;
using Mode = CReportOptions::Mode;

Q_DECLARE_METATYPE(CReportOptions::Mode)

class TestReportOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void modes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Mode>("mode");
        // The window's rules see the arguments only when every option was read.
        QTest::addColumn<QString>("command");

        QTest::newRow("window unchanged") << QStringList{"-w", "whois.example"} << Mode::Window << "W whois.example";
        QTest::newRow("window without arguments") << QStringList{} << Mode::Window << "";
        QTest::newRow("report") << QStringList{"--report", "-f", "host"} << Mode::Report << "F host";
        QTest::newRow("options anywhere") << QStringList{"-p", "--report", "a", "--count", "4", "b"} << Mode::Report << "P ab";
        QTest::newRow("help wins") << QStringList{"--report", "--version", "--help"} << Mode::Help << "";
        QTest::newRow("version") << QStringList{"--version"} << Mode::Version << "";
        QTest::newRow("report without switch") << QStringList{"--report", "host"} << Mode::UsageError << "";
        QTest::newRow("report without host") << QStringList{"--report", "-q"} << Mode::UsageError << "Q ";
        QTest::newRow("cancelled switch") << QStringList{"--report", "-p", "h", "-x"} << Mode::UsageError << "";
        QTest::newRow("unknown option") << QStringList{"--report", "--colour", "-p", "h"} << Mode::UsageError << "";
        QTest::newRow("lone double dash") << QStringList{"--", "-p", "h"} << Mode::Window << "";
        QTest::newRow("unknown option cancels") << QStringList{"-p", "h", "--foo"} << Mode::Window << "";
        QTest::newRow("unknown option first cancels") << QStringList{"--foo", "-p", "h"} << Mode::Window << "";
        QTest::newRow("unknown option with value") << QStringList{"--foo=1", "-q", "h"} << Mode::Window << "";
        QTest::newRow("qt reverse cancels") << QStringList{"-p", "host", "-reverse"} << Mode::Window << "";
        QTest::newRow("qt style cancels") << QStringList{"-p", "host", "-style", "fusion"} << Mode::Window << "";
        QTest::newRow("missing value at end") << QStringList{"--report", "-p", "h", "--count"} << Mode::UsageError << "";
        QTest::newRow("option as value") << QStringList{"--report", "--user", "--verbose", "-f", "h"} << Mode::UsageError << "";
        QTest::newRow("not a number") << QStringList{"--report", "--count", "3x", "-p", "h"} << Mode::UsageError << "";
        QTest::newRow("flag with value") << QStringList{"--report", "--verbose=1", "-f", "h"} << Mode::UsageError << "";
        QTest::newRow("page option without report") << QStringList{"--count", "3", "-p", "h"} << Mode::Window << "";
        QTest::newRow("page option after host") << QStringList{"-f", "h", "--user", "u"} << Mode::Window << "";
        QTest::newRow("bad value without report") << QStringList{"--count", "3x", "-p", "h"} << Mode::Window << "";
        QTest::newRow("progress without report") << QStringList{"--progress", "-p", "h"} << Mode::Window << "";
        QTest::newRow("unknown type") << QStringList{"--report", "--type", "CAA", "-n", "h"} << Mode::UsageError << "";
        QTest::newRow("option of another function") << QStringList{"--report", "--count", "3", "-f", "h"} << Mode::UsageError << "F h";
        QTest::newRow("verbose on whois") << QStringList{"--report", "--verbose", "-w", "h"} << Mode::UsageError << "W h";
        QTest::newRow("user on quote") << QStringList{"--report", "--user", "u", "-q", "h"} << Mode::UsageError << "Q h";
        QTest::newRow("family switch after host") << QStringList{"--report", "-p", "h", "-6"} << Mode::Report << "P h";
        QTest::newRow("-4 and -6") << QStringList{"--report", "-4", "-p", "h", "-6"} << Mode::UsageError << "";
    }

    void modes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Mode, mode);
        QFETCH(QString, command);
        const CReportOptions options = ParseReportOptions(arguments);
        QCOMPARE(options.mode, mode);
        QCOMPARE(options.mode == Mode::UsageError, !options.strError.isEmpty());
        QCOMPARE(options.strCommandLine, command);
        QCOMPARE(options.bCommandLine, !command.isEmpty());
        QCOMPARE(RunsWithoutWindow(arguments), mode != Mode::Window);
    }

    void valuesForTheRun()
    {
        const CReportOptions ping = ParseReportOptions(
            {"--report", "--count=5", "--timeout", "2", "--delay", "0", "--no-resolve", "--progress", "-6", "-p", "h"});
        QCOMPARE(ping.mode, Mode::Report);
        QCOMPARE(ping.nCount, std::optional<int>(5));
        QCOMPARE(ping.nTimeout, std::optional<int>(2));
        QCOMPARE(ping.nDelay, std::optional<int>(0));
        QVERIFY(!ping.nHops);
        QVERIFY(ping.bNoResolve);
        QVERIFY(ping.bProgress);
        QCOMPARE(ping.preference, std::optional(AddressPreference::OnlyIPv6));
        QCOMPARE(ping.FunctionIndex(), 0);
        QCOMPARE(ping.Host(), QStringLiteral("h"));

        // Numbers outside a page's range are refused later, against the page.
        const CReportOptions trace = ParseReportOptions({"--report", "--hops", "-1", "-4", "-4", "-t", "h"});
        QCOMPARE(trace.mode, Mode::Report);
        QCOMPARE(trace.preference, std::optional(AddressPreference::OnlyIPv4));
        QCOMPARE(trace.nHops, std::optional<int>(-1));

        const CReportOptions lookup = ParseReportOptions(
            {"--report", "--type", "mx", "--server", "ns.example", "--verbose", "/N", "h"});
        QCOMPARE(lookup.mode, Mode::Report);
        QCOMPARE(lookup.strSearchType, std::optional<QString>(QStringLiteral("MX - Mail exchange")));
        QCOMPARE(lookup.strServer, std::optional<QString>(QStringLiteral("ns.example")));
        QVERIFY(lookup.bVerbose);
        QCOMPARE(lookup.FunctionIndex(), 4);

        const CReportOptions finger = ParseReportOptions({"--report", "--user=", "-f", "h"});
        QCOMPARE(finger.strUser, std::optional<QString>(QString()));
        QVERIFY(!ParseReportOptions({"--report", "-f", "h"}).strUser);
        QVERIFY(!finger.preference);
    }

    void searchTypeWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("searchType");
        QTest::newRow("A") << "A" << "A - Host address";
        QTest::newRow("all, lower case") << "all" << "ALL - All records";
        QTest::newRow("CNAME not C") << "cname" << "CNAME - Canonical name for an alias";
        QTest::newRow("MB not MAILB") << "Mb" << "MB - Mailbox domain name";
        QTest::newRow("AAAA") << "aaaa" << "AAAA - IPv6 host address";
        QTest::newRow("SRV") << "SRV" << "SRV - Service location";
        QTest::newRow("resolver mode") << "GetHostByX" << "Use Winsock Function GetHostByX";
        QTest::newRow("prefix only") << "MAIL" << "";
        QTest::newRow("empty") << "" << "";
    }

    void searchTypeWords()
    {
        QFETCH(QString, word);
        QFETCH(QString, searchType);
        QCOMPARE(SearchTypeOfWord(word).value_or(QString()), searchType);
    }

    // A name holding a quote, comma, CR or LF is quoted with its quotes
    // doubled; left bare, a reader would split it or end the row inside it.
    // Names that are not UTF-8 come from the resolver as Latin-1 and are
    // written as UTF-8.
    void csvQuotesNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("quotes") << "say \"hi\"" << QByteArray("1,10.0.0.1,\"say \"\"hi\"\"\",7\r\n");
        QTest::newRow("comma") << "a,b" << QByteArray("1,10.0.0.1,\"a,b\",7\r\n");
        QTest::newRow("CR LF") << "a\r\nb" << QByteArray("1,10.0.0.1,\"a\r\nb\",7\r\n");
        QTest::newRow("LF") << "a\nb" << QByteArray("1,10.0.0.1,\"a\nb\",7\r\n");
        QTest::newRow("lone CR") << "a\rb" << QByteArray("1,10.0.0.1,\"a\rb\",7\r\n");
        QTest::newRow("Latin-1 bytes") << QString::fromLatin1("caf\xE9\xFF")
                                       << QByteArray("1,10.0.0.1,caf\xC3\xA9\xC3\xBF,7\r\n");
        QTest::newRow("Latin-1 byte and a quote") << QString::fromLatin1("\xE9\"")
                                                  << QByteArray("1,10.0.0.1,\"\xC3\xA9\"\"\",7\r\n");
    }
    void csvQuotesNames()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, line);
        const QStringList row{"1", "10.0.0.1", name, "7 ms"};
        QCOMPARE(ReportCsv(FunctionId::Ping, {row}), "seq,address,name,time_ms\r\n" + line);
    }

    // The Finger text as received: controls other than NUL stay and are
    // escaped, bytes that are not UTF-8 are read as Latin-1; the JSON is
    // valid UTF-8 holding every character the pane showed.
    void fingerTextInJson_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QByteArray>("member");
        QTest::newRow("control characters")
            << QByteArray("a\x01\x1B\tb\r\n") << QByteArray(R"("text": "a\u0001\u001b\tb\n")");
        QTest::newRow("bytes above 127, not UTF-8")
            << QByteArray("caf\xE9 \xFF") << QByteArray("\"text\": \"caf\xC3\xA9 \xC3\xBF\"");
    }
    void fingerTextInJson()
    {
        QFETCH(QByteArray, received);
        QFETCH(QByteArray, member);
        CReceivedText text(QueryFunction::Finger);
        CReportView view(FunctionId::Finger, false);
        view.AppendPaneText(FunctionId::Finger, text.Drain(received) + text.Finish());
        CRunInputs inputs;
        inputs.function = FunctionId::Finger;
        const QByteArray json = ReportJson({inputs, view, QDateTime::currentDateTimeUtc(), 0, {}});
        QVERIFY2(json.contains(member), json.constData());
        QVERIFY(QJsonDocument::fromJson(json).isObject());
    }
};

QTEST_GUILESS_MAIN(TestReportOptions)
#include "tst_reportoptions.moc"
