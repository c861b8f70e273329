// SPDX-License-Identifier: GPL-3.0-or-later
// The options of ours: taken out before the window's command-line rules,
// their values, the modes they select and every usage error; the window's
// own command-line rules; and the bytes of the CSV form for names that need
// quoting.

#include "app/ReportFormats.h"
#include "app/ReportOptions.h"

#include <QTest>

using namespace netsonde;
using namespace Qt::StringLiterals;
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

        const auto row = [](const char* tag, const QStringList& arguments, Mode mode, const char* command) {
            QTest::newRow(tag) << arguments << mode << QString::fromUtf8(command);
        };
        row("window unchanged", {"-w", "whois.example"}, Mode::Window, "W whois.example");
        row("window without arguments", {}, Mode::Window, "");
        row("report", {"--report", "-f", "host"}, Mode::Report, "F host");
        row("options anywhere", {"-p", "--report", "a", "--count", "4", "b"}, Mode::Report, "P ab");
        row("help wins", {"--report", "--version", "--help"}, Mode::Help, "");
        row("version", {"--version"}, Mode::Version, "");
        row("report without switch", {"--report", "host"}, Mode::UsageError, "");
        row("report without host", {"--report", "-q"}, Mode::UsageError, "Q ");
        row("cancelled switch", {"--report", "-p", "h", "-x"}, Mode::UsageError, "");
        row("unknown option", {"--report", "--colour", "-p", "h"}, Mode::UsageError, "");
        row("lone double dash", {"--", "-p", "h"}, Mode::Window, "");
        row("unknown option cancels", {"-p", "h", "--foo"}, Mode::Window, "");
        row("unknown option first cancels", {"--foo", "-p", "h"}, Mode::Window, "");
        row("qt style cancels", {"-p", "host", "-style", "fusion"}, Mode::Window, "");
        row("missing value at end", {"--report", "-p", "h", "--count"}, Mode::UsageError, "");
        row("option as value", {"--report", "--user", "--verbose", "-f", "h"}, Mode::UsageError, "");
        row("not a number", {"--report", "--count", "3x", "-p", "h"}, Mode::UsageError, "");
        row("flag with value", {"--report", "--verbose=1", "-f", "h"}, Mode::UsageError, "");
        row("page option without report", {"--count", "3", "-p", "h"}, Mode::Window, "");
        row("progress without report", {"--progress", "-p", "h"}, Mode::Window, "");
        row("unknown type", {"--report", "--type", "CAA", "-n", "h"}, Mode::UsageError, "");
        row("option of another function", {"--report", "--count", "3", "-f", "h"}, Mode::UsageError, "F h");
        row("verbose on whois", {"--report", "--verbose", "-w", "h"}, Mode::UsageError, "W h");
        row("user on quote", {"--report", "--user", "u", "-q", "h"}, Mode::UsageError, "Q h");
        row("family switch after host", {"--report", "-p", "h", "-6"}, Mode::Report, "P h");
        row("-4 and -6", {"--report", "-4", "-p", "h", "-6"}, Mode::UsageError, "");
        // The window's own rules for a switch, the host text after it and what cancels it.
        row("slash and capital", {"/N", "ns.example"}, Mode::Window, "N ns.example");
        row("host before switch ignored", {"host.example", "-p"}, Mode::Window, "P ");
        row("hosts joined", {"-p", "a", "b"}, Mode::Window, "P ab");
        row("unknown later switch cancels", {"-p", "host", "-x"}, Mode::Window, "");
        row("long switch cancels", {"-ping", "host"}, Mode::Window, "");
        row("switch alone", {"-q"}, Mode::Window, "Q ");
        row("later switch starts over", {"-t", "a", "-f", "b"}, Mode::Window, "F b");
        row("every letter t", {"-T", "h"}, Mode::Window, "T h");
        row("bare dash", {"-", "host"}, Mode::Window, "");
        row("host after cancelled switch ignored", {"-z", "host"}, Mode::Window, "");
        row("toolkit platform first", {"-platform", "offscreen", "-t", "h"}, Mode::Window, "T h");
        row("family switch of report mode cancels", {"-p", "host", "-6"}, Mode::Window, "");
        row("non-latin letter", {u"-\u0440"_s, "h"}, Mode::Window, "");
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

    // The values for the run as "count timeout delay hops|resolve progress verbose family|function host|type|
    // server|user", "-" for a value not given. Numbers outside a page's range are refused later, against the page.
    void valuesForTheRun_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("values");
        QTest::newRow("ping") << QStringList{"--count=5", "--timeout", "2", "--delay", "0", "--no-resolve",
                                             "--progress", "-6", "-p", "h"} << "5 2 0 -|no yes no -6|0 h|-|-|-";
        QTest::newRow("trace") << QStringList{"--hops", "-1", "-4", "-4", "-t", "h"}
                               << "- - - -1|yes no no -4|1 h|-|-|-";
        QTest::newRow("lookup") << QStringList{"--type", "mx", "--server", "ns.example", "--verbose", "/N", "h"}
                                << "- - - -|yes no yes -|4 h|MX - Mail exchange|ns.example|-";
        QTest::newRow("empty user") << QStringList{"--user=", "-f", "h"} << "- - - -|yes no no -|2 h|-|-|";
        QTest::newRow("no user") << QStringList{"-f", "h"} << "- - - -|yes no no -|2 h|-|-|-";
    }

    void valuesForTheRun()
    {
        QFETCH(QStringList, arguments);
        const CReportOptions o = ParseReportOptions(QStringList{"--report"} + arguments);
        QCOMPARE(o.mode, Mode::Report);
        const auto number = [](const std::optional<int>& n) { return n ? QString::number(*n) : u"-"_s; };
        const auto yes = [](bool b) { return b ? u"yes"_s : u"no"_s; };
        const auto family = !o.preference ? u"-"_s : *o.preference == AddressPreference::OnlyIPv4 ? u"-4"_s
                            : *o.preference == AddressPreference::OnlyIPv6                      ? u"-6"_s : u"?"_s;
        const QStringList texts{o.Host(), o.strSearchType.value_or(u"-"_s), o.strServer.value_or(u"-"_s),
                                o.strUser.value_or(u"-"_s)};
        QTEST(u"%1 %2 %3 %4|%5 %6 %7 %8|%9 "_s.arg(number(o.nCount), number(o.nTimeout), number(o.nDelay),
                                                   number(o.nHops), yes(!o.bNoResolve), yes(o.bProgress),
                                                   yes(o.bVerbose), family, QString::number(o.FunctionIndex()))
                  + texts.join('|'), "values");
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
        const auto row = [](const char* tag, const QString& name, const QByteArray& cell) {
            QTest::newRow(tag) << name << "1,10.0.0.1," + cell + ",7\r\n";
        };
        row("quotes", "say \"hi\"", "\"say \"\"hi\"\"\"");
        row("comma", "a,b", "\"a,b\"");
        row("LF", "a\nb", "\"a\nb\"");
        row("lone CR", "a\rb", "\"a\rb\"");
        row("Latin-1 bytes", QString::fromLatin1("caf\xE9\xFF"), "caf\xC3\xA9\xC3\xBF");
    }
    void csvQuotesNames()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, line);
        const QStringList row{"1", "10.0.0.1", name, "7 ms"};
        QCOMPARE(ReportCsv(FunctionId::Ping, {row}), "seq,address,name,time_ms\r\n" + line);
    }
};

QTEST_GUILESS_MAIN(TestReportOptions)
#include "tst_reportoptions.moc"
