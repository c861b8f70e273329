// SPDX-License-Identifier: GPL-3.0-or-later
// Report mode as its own process, inside the namespace lab: Finger, WhoIs and
// Quote Of The Day against servers of the test's own at the destination, NS
// LookUp against named there. Standard output must be the export text with
// LF line ends, message boxes must reach standard error, exit statuses must
// tell what happened, the settings file must stay as it was, and Ctrl-C must
// stop a stalled query and still print what arrived. Then the options of
// ours without a process: taken out before the window's command-line rules,
// their values, the modes they select and every usage error; the window's
// own command-line rules; the bytes of the CSV form for names that need
// quoting; and NS LookUp's exchange in the JSON form.

#include "app/ReportFormats.h"
#include "app/ReportOptions.h"
#include "support/FileHelpers.h"
#include "support/LabEnvironment.h"
#include "support/LabFiles.h"
#include "support/LabNameServer.h"
#include "support/LabServer.h"

#include <QtTest> // and with it the whole of Qt Core

#include <algorithm>
#include <csignal>

using namespace netsonde;
using namespace netsonde::test;
using namespace Qt::StringLiterals;
using Mode = ReportOptions::Mode;

namespace {

constexpr int kWaitMs = 20000;

// The stored settings of every run: Verbose Format off, and the firewall
// host of Finger and WhoIs when one is given.
QByteArray StoredSettings(const QByteArray& fireWall = {})
{
    const QByteArray wall = fireWall.isEmpty() ? QByteArray() : "FireWall=" + fireWall + "\n";
    return "[Finger]\n" + wall
           + "Recent List=old.example;\nVerbose Format=0\n\n"
             "[Options]\nRemember Last Function=Yes\n\n[Window]\nLast Function=5\n\n[WhoIs]\n"
           + wall;
}

struct ReportResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QByteArray settings; // the settings file after the run
};

// One report-mode process with a settings file of its own and no display.
class ReportProcess {
public:
    explicit ReportProcess(const QStringList& arguments, const QProcessEnvironment& extraEnvironment = {},
                           const QByteArray& storedSettings = StoredSettings())
    {
        WriteFile(SettingsPath(), storedSettings);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
            environment.remove(name);
        QDir(m_home.path()).mkdir(u"runtime"_s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment.insert(u"XDG_RUNTIME_DIR"_s, m_home.filePath(u"runtime"_s));
        environment.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
        environment.insert(u"XDG_DATA_HOME"_s, m_home.filePath(u"data"_s));
        environment.insert(extraEnvironment);
        m_process.setProcessEnvironment(environment);
        m_process.start(u"" NETSONDE_EXECUTABLE ""_s, arguments);
    }

    // Ctrl-C once standard error has shown marker (or the wait for it has
    // ended); false when it never did.
    bool InterruptAfter(const QByteArray& marker)
    {
        const bool shown = QTest::qWaitFor(
            [&] {
                m_progress += m_process.readAllStandardError();
                return m_progress.contains(marker);
            },
            kWaitMs);
        ::kill(static_cast<pid_t>(m_process.processId()), SIGINT);
        return shown;
    }

    ReportResult Finish()
    {
        if (!m_process.waitForFinished(kWaitMs))
            m_process.kill();
        m_process.waitForFinished();
        return {m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1,
                m_process.readAllStandardOutput(), m_progress + m_process.readAllStandardError(),
                FileBytes(SettingsPath())};
    }

private:
    QString SettingsPath() const { return m_home.filePath(u"config/Korvelin/netsonde.ini"_s); }

    QTemporaryDir m_home;
    QProcess m_process;
    QByteArray m_progress; // standard error read before the end
};

ReportResult RunReport(const QStringList& arguments)
{
    return ReportProcess(arguments).Finish();
}

// Splits the export text into its date line and the rest, after checking
// that it has no CR and that the date line is followed by an empty line.
QByteArray AfterDateLine(const QByteArray& out)
{
    static const QRegularExpression date(u"^[A-Z][a-z]+day, [A-Z][a-z]+ \\d\\d, \\d{4} \\d\\d:\\d\\d[AP]M\n\n"_s);
    const QRegularExpressionMatch match = date.match(QString::fromUtf8(out));
    if (out.contains('\r') || !match.hasMatch())
        return "(not an export text with LF line ends: " + out + ")";
    return out.mid(match.capturedLength()); // the date line is ASCII
}

QJsonObject JsonReport(const QByteArray& out)
{
    return QJsonDocument::fromJson(out).object();
}

// Runs tests/netns/lab-rule.sh with these arguments; true when it worked.
bool LabRule(const QStringList& arguments)
{
    const QString script = QFileInfo(u"" NETSONDE_LAB_SCRIPT ""_s).dir().filePath(u"lab-rule.sh"_s);
    return QProcess::execute(u"bash"_s, QStringList{script} + arguments) == 0;
}

// A trace's rows as "hop address" lines, "*" for a row without an address, each
// followed by its "asn" ("null" when null) when withAsn.
QStringList TraceHops(const QJsonObject& json, bool withAsn)
{
    QStringList hops;
    for (const QJsonValue& row : json.value("rows").toArray()) {
        const QJsonObject cells = row.toObject();
        const QString address = cells.value("address").toString();
        const QJsonValue asn = cells.value("asn");
        hops << u"%1 %2"_s.arg(cells.value("hop").toInt()).arg(address.isEmpty() ? u"*"_s : address)
                    + (withAsn ? ' ' + (asn.isNull() ? u"null"_s : asn.toString()) : QString());
    }
    return hops;
}

// What two runs of the same trace must share: every member but the start time and
// the inputs, with the rows' times left out.
QByteArray TraceWithoutTimes(QJsonObject json)
{
    QJsonArray rows;
    for (const QJsonValue& row : json.value("rows").toArray()) {
        QJsonObject cells = row.toObject();
        cells.remove("time_ms");
        rows.append(cells);
    }
    json.insert("rows", rows);
    json.remove("started");
    json.remove("inputs");
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

} // namespace

class TestReportMode : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every option that reaches a request, with Verbose Format stored off. The answer comes in two pieces, or
    // Ctrl-C stops the query after the first: what arrived is printed, the progress ends "Ready" and the exit
    // status is 130.
    void textQueries_data()
    {
        // clang-format off
        QTest::addColumn<int>("port");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("fireWall");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("shown"); // the export text after its date line, or the JSON form's fields
        QTest::addColumn<bool>("interrupted");
        const auto row = [](const char* tag, int port, const QStringList& options, bool fireWall, const char* request,
                            const QString& header, bool interrupted = false) {
            QTest::newRow(tag) << port << options << fireWall << QByteArray(request)
                               << header.toUtf8() + "\n\nFirst line\nsecond\n" + (interrupted ? "" : "third\n")
                               << interrupted;
        };
        const QString host = Destination();
        row("finger verbose", 79, {"--verbose", "--user=ann", "-f", host}, false, "/W ann\r\n", "Finger ann@" + host);
        row("finger without user", 79, {"-F", host}, false, "\r\n", "Finger " + host);
        row("finger user@host", 79, {"-f", "ann@" + host}, false, "ann\r\n", "Finger ann@" + host);
        row("finger through firewall", 79, {"-f", "ann@inner.example"}, true, "ann@inner.example\r\n",
            "Finger ann@inner.example");
        row("whois", 43, {"--user", "example", "/w", host}, false, "example\r\n", "WhoIs example@" + host);
        row("whois through firewall", 43, {"--user", "example", "-w", "whois.inner"}, true, "example@whois.inner\r\n",
            "WhoIs example@whois.inner");
        row("quote", 17, {"-q", host}, false, "", "Quote Of The Day from " + host);
        row("whois automatic as JSON", 43, {"--format", "json", "--user", "Example.com", "-w", "auto"}, false,
            "example.com\r\n", "whois Example.com@auto 26 auto whois.iana.org example.com ok 1 1");
        row("finger as JSON", 79, {"--format", "json", "--user", "ann", "-f", host}, false, "ann\r\n",
            "finger ann@" + host + " 26");
        row("finger stopped", 79, {"--progress", "--user", "ann", "-f", host}, false, "ann\r\n", "Finger ann@" + host,
            true);
        // clang-format on
    }

    void textQueries()
    {
        QFETCH(int, port);
        QFETCH(QStringList, options);
        QFETCH(bool, fireWall);
        QFETCH(QByteArray, request);
        QFETCH(bool, interrupted);
        const QByteArray stored = StoredSettings(fireWall ? Destination().toUtf8() : QByteArray());
        static const QString hosts =
            InstallLabHosts(FileBytes("/etc/hosts") + Destination().toLatin1() + " whois.iana.org\n");
        QCOMPARE(hosts, QString());
        auto server = ServeAtDestination(static_cast<std::uint16_t>(port));
        ReportProcess process(QStringList{"--report"} + options, {}, stored);
        // Once the request has come (or the wait for it has ended), the answer goes in two pieces.
        if (QTest::qWaitFor([&] { return server->Accept(); }, kWaitMs))
            static_cast<void>(QTest::qWaitFor([&] { return server->Received() == request; }, kWaitMs));
        server->Deliver("First line\r\nsecond\n");
        QCOMPARE(server->Received(), request);
        if (interrupted)
            QVERIFY(process.InterruptAfter("Receiving data ... "));
        else if (server->Deliver("third\r\n"))
            server->CloseConnection();
        const ReportResult result = process.Finish();
        const QRegularExpression progress(
            u"(?s)(^|\n)Connecting to %1\n(.*\n)?Waiting for response\n(.*\n)?Ready\n$"_s.arg(
                QRegularExpression::escape(Destination())));
        QVERIFY2(interrupted ? progress.match(QString::fromUtf8(result.err)).hasMatch() : result.err.isEmpty(),
                 result.err);
        QCOMPARE(result.exitCode, interrupted ? 130 : 0);
        // The JSON form's fields as "function user@host bytes_received", in automatic mode the mode and the last
        // hop's "server query status" (the RDAP hop before it fails: the lab knows no RDAP host), whether
        // referred_by and rdap are null; an empty line and the text.
        const QJsonObject json = JsonReport(result.out), inputs = json.value("inputs").toObject();
        const QJsonObject hop = json.value("hops").toArray().last().toObject();
        const QString hopFields = hop.isEmpty()
                                      ? QString()
                                      : u" auto %1 %2 %3 %4 %5"_s
                                            .arg(hop.value("server").toString(), hop.value("query").toString(),
                                                 hop.value("status").toString())
                                            .arg(hop.value("referred_by").isNull())
                                            .arg(hop.value("rdap").isNull());
        const QString fromJson = u"%1 %2@%3 %4%5\n\n%6"_s.arg(
            json.value("function").toString(), inputs.value("user").toString(), inputs.value("host").toString(),
            QString::number(json.value("bytes_received").toInt()), hopFields,
            (hop.isEmpty() ? json : hop).value("text").toString());
        QTEST(json.isEmpty() ? AfterDateLine(result.out) : fromJson.toUtf8(), "shown");
        QCOMPARE(result.settings, stored);
    }

    void nameServerLookUp_data()
    {
        // clang-format off
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("searchType");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("inputs"); // the JSON form's "timeout tries bufsize tcp dnssec"
        const QString stored = "5 3 1232 0 0";
        QTest::newRow("A") << "a" << "www.lab.test" << "A - Host address" << "address" << QJsonValue("10.200.3.7")
                           << QStringList{} << stored;
        QTest::newRow("TXT with quotes, comma, newline, bytes above 127")
            << "txt" << "odd.lab.test" << "TXT - Text strings" << "strings"
            << QJsonValue(QJsonArray{"say \"hi\", then", u"line\ntwo \u00e9 \u00ff"_s}) << QStringList{} << stored;
        QTest::newRow("CNAME to a name with the same")
            << "cname" << "oddname.lab.test" << "CNAME - Canonical name for an alias" << "canonical_name"
            << QJsonValue(u"quo\"te,comma\nnl\u00e9\u00ff.lab.test"_s) << QStringList{} << stored;
        QTest::newRow("MX with additional records, exchange options") << "mx" << "lab.test" << "MX - Mail exchange"
            << "" << QJsonValue() << QStringList{"--timeout", "2", "--tries", "1", "--bufsize", "100", "--tcp",
                                                 "--dnssec"} << "2 1 512 1 1";
        // clang-format on
    }

    // The JSON form's fields, and its text against a text-form run of the same query.
    void nameServerLookUp()
    {
        QFETCH(QString, type);
        QFETCH(QString, host);
        QFETCH(QString, searchType);
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        QFETCH(QStringList, options);
        options =
            QStringList{"--report", "--type", type, "--server", Destination()} + options + QStringList{"-n", host};
        // named needs a moment after the lab starts it.
        ReportResult json;
        const bool answered = QTest::qWaitFor(
            [&] {
                json = RunReport(QStringList{"--format", "json"} + options);
                // Until its zones are loaded, named answers with an error.
                return json.exitCode == 0
                       && JsonReport(json.out).value("header").toObject().value("rcode").toInt(-1) == 0;
            },
            kWaitMs);
        QVERIFY2(answered, json.err);
        const QJsonObject report = JsonReport(json.out);
        QCOMPARE(u"%1 %2 %3 %4 %5"_s
                     .arg(report.value("format").toString(), report.value("function").toString(),
                          report.value("inputs").toObject().value("name_server").toString())
                     .arg(report.value("exit_status").toInt(-1))
                     .arg(report.value("messages").toArray().size()),
                 "netsonde-report/1 nslookup " + Destination() + " 0 0");
        QVERIFY(QDateTime::fromString(report.value("started").toString(), Qt::ISODate).isValid());
        const QJsonObject inputs = report.value("inputs").toObject();
        QTEST(u"%1 %2 %3 %4 %5"_s.arg(inputs.value("timeout").toInt())
                  .arg(inputs.value("tries").toInt())
                  .arg(inputs.value("bufsize").toInt())
                  .arg(int(inputs.value("tcp").toBool()))
                  .arg(int(inputs.value("dnssec").toBool())),
              "inputs");
        const QJsonArray answers = report.value("answers").toArray();
        QCOMPARE(report.value("header").toObject().value("ancount").toInt(), answers.size());
        // The server may give the records in any order.
        QVERIFY(key.isEmpty() || std::any_of(answers.begin(), answers.end(), [&](const QJsonValue& answer) {
                    return answer.toObject().value(key) == value;
                }));
        const ReportResult plain = RunReport(options);
        const QByteArray heading =
            u"Name Server LookUp for %1\nSearch Type: %2\nName Server: %3\n\n"_s.arg(host, searchType, Destination())
                .toUtf8();
        const QByteArray body = AfterDateLine(plain.out);
        QVERIFY2(body.startsWith(heading), body);
        const auto sorted = [](const QByteArray& text) {
            QList<QByteArray> lines = text.split('\n');
            std::sort(lines.begin(), lines.end());
            return lines;
        };
        QCOMPARE(sorted(body.mid(heading.size())), sorted(report.value("text").toString().toUtf8()));
    }

    // The text, JSON and CSV forms of the same rows.
    void resultRows_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("family");
        const auto row = [](const char* tag, const QStringList& options, const QString& header,
                            const QStringList& addresses, const char* number, const char* family) {
            QTest::newRow(tag) << QStringList{"--report", "--no-resolve"} + options << header.toUtf8() << addresses
                               << number << family;
        };
        const QString host = Destination();
        const QString host6 = LabText("NETSONDE_LAB_DESTINATION6");
        const QStringList twice{"--count", "2", "--delay", "0"};
        row("ping -4, both families", twice + QStringList{"-4", "-p", "both.lab.test"}, "Ping host both.lab.test",
            {host, host}, "seq", "ipv4");
        row("ping -6, both families", twice + QStringList{"-6", "-p", "both.lab.test"}, "Ping host both.lab.test",
            {host6, host6}, "seq", "ipv6");
        row("traceroute", {"--hops", "5", "-t", host}, "TraceRoute to host " + host,
            {LabText("NETSONDE_LAB_ROUTER1"), LabText("NETSONDE_LAB_ROUTER2"), host}, "hop", "any");
        // clang-format on
    }

    void resultRows()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, header);
        QFETCH(QStringList, addresses);
        QFETCH(QString, number);
        QFETCH(QString, family);
        const ReportResult result = RunReport(options);
        QCOMPARE(result.err, QByteArray());
        QCOMPARE(result.exitCode, 0);
        const QJsonObject json = JsonReport(RunReport(QStringList{"--format", "json"} + options).out);
        QCOMPARE(json.value("inputs").toObject().value("address_family").toString(), family);
        QStringList csv = QString::fromUtf8(RunReport(QStringList{"--format", "csv"} + options).out).split(u"\r\n"_s);
        QCOMPARE(csv.takeFirst() + '|' + csv.takeLast(), number + ",address,name,time_ms|");
        // The text form: the header, an empty line, the column line and a line a row.
        const QList<QByteArray> lines = AfterDateLine(result.out).split('\n');
        QCOMPARE(lines.mid(0, 2), (QList<QByteArray>{header, ""}));
        QVERIFY2(lines.value(2).startsWith("#    Address ") && lines.size() == addresses.size() + 4, result.out);
        for (int row = 0; row < addresses.size(); ++row) {
            const QString pattern = u"^%1 +%2 +\\d+ ms$"_s.arg(row + 1).arg(QRegularExpression::escape(addresses[row]));
            QVERIFY2(QRegularExpression(pattern).match(QString::fromUtf8(lines[row + 3])).hasMatch(), lines[row + 3]);
        }
        // The other forms as "number|address|name|time" rows, a round trip time shown as "ms".
        static const QRegularExpression time(u"^\\d+$"_s);
        const auto line = [](QStringList cells) {
            cells[3] = time.match(cells.value(3)).hasMatch() ? u"ms"_s : cells.value(3);
            return cells.join('|');
        };
        QStringList expected, fromJson, fromCsv;
        for (int row = 0; row < addresses.size(); ++row)
            expected << QString::number(row + 1) + '|' + addresses.at(row) + "||ms";
        for (const QJsonValue& row : json.value("rows").toArray()) {
            const QJsonObject cells = row.toObject();
            fromJson << line({QString::number(cells.value(number).toInt()), cells.value("address").toString(),
                              cells.value("name").toString(), cells.value("time_ms").isDouble() ? "0" : "null"});
        }
        for (const QString& text : std::as_const(csv))
            fromCsv << line(text.split(','));
        QCOMPARE(fromJson, expected);
        QCOMPARE(fromCsv, expected);
        if (number == "hop") {
            QCOMPARE(json.value("destination_reached"), QJsonValue(true));
            return;
        }
        const QJsonObject statistics = json.value("statistics").toObject();
        QCOMPARE(u"%1 %2 %3"_s.arg(statistics.value("sent").toInt())
                     .arg(statistics.value("received").toInt())
                     .arg(statistics.value("loss_percent").toDouble()),
                 "2 2 0");
        QVERIFY(statistics.value("min_ms").toDouble() <= statistics.value("max_ms").toDouble());
    }

    // --count 0 pings until Ctrl-C, which ends the run as it should: the JSON statistics cover
    // every request answered, with their spread.
    void pingUntilInterrupted()
    {
        ReportProcess process({"--report", "--format", "json", "--progress", "--no-resolve", "--count", "0", "--delay",
                               "0", "-p", Destination()});
        QVERIFY(process.InterruptAfter("Waiting for response ...\nWaiting for response ...\n"));
        const ReportResult result = process.Finish();
        QCOMPARE(result.exitCode, 0);
        const QJsonObject json = JsonReport(result.out);
        const QJsonObject statistics = json.value("statistics").toObject();
        const int sent = statistics.value("sent").toInt();
        QVERIFY2(sent >= 1 && sent == statistics.value("received").toInt(), result.out);
        QCOMPARE(json.value("rows").toArray().size() + json.value("rows_dropped").toInt(), sent);
        QVERIFY(statistics.contains("stddev_ms") && statistics.contains("jitter_ms"));
    }

    // A trace with its probes in flight together against one with --sequential, one hop at a time: the
    // same rows ("No response" rows among them) and the same end, with routers silent or rate-limited
    // and a host deaf or late (tests/netns/lab-rule.sh, the late echo responder). The hops as lab
    // variables ("*" a silent one); with --asn, each row's AS as the lab's name server gives it, through
    // the system resolver.
    void traceModesAgree_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("rule"); // lab-rule.sh's arguments
        QTest::addColumn<int>("farDelayMs");   // the far host's echo replies this late, 0 on time
        QTest::addColumn<QStringList>("hops");
        QTest::addColumn<QStringList>("asn");
        const auto row = [](const char* tag, bool ipv6, const QString& target, const QStringList& hops,
                            const QStringList& options = {}, QStringList rule = {}, int farDelayMs = 0,
                            const QStringList& asn = {}) {
            const auto address = [ipv6](const QString& name) {
                const QString suffix = !ipv6 ? "" : name.back().isDigit() ? "_6" : "6";
                return name == "*" ? name : LabText(qPrintable("NETSONDE_LAB_" + name + suffix));
            };
            QStringList addresses;
            for (const QString& hop : hops)
                addresses << address(hop);
            for (qsizetype word = 1; word < rule.size(); ++word)
                rule[word] = LabText(qPrintable("NETSONDE_LAB_NS_" + rule[word]));
            const QStringList family = ipv6 ? QStringList{"-6"} : QStringList{};
            QTest::newRow(tag) << options + QStringList{"-t", address(target)} + family << rule << farDelayMs
                               << addresses << asn;
        };
        const QStringList toDestination{"ROUTER1", "ROUTER2", "DESTINATION"};
        const QStringList toFar{"ROUTER1", "ROUTER2", "ROUTER3", "ROUTER4", "ROUTER5", "FAR"};
        row("every hop, destination", false, "DESTINATION", toDestination);
        row("every hop, destination, IPv6", true, "DESTINATION", toDestination);
        row("every hop, far host", false, "FAR", toFar);
        row("every hop, far host, IPv6", true, "FAR", toFar);
        row("router2 silent", false, "DESTINATION", {"ROUTER1", "*", "DESTINATION"}, {}, {"silent", "ROUTER2"});
        row("router3 to router5 silent", false, "FAR", {"ROUTER1", "ROUTER2", "*", "*", "*", "FAR"}, {"--timeout", "2"},
            {"silent", "ROUTER3", "ROUTER4", "ROUTER5"});
        row("destination deaf, 4 hops", false, "DESTINATION", {"ROUTER1", "ROUTER2", "*", "*"},
            {"--hops", "4", "--timeout", "2"}, {"deaf", "DESTINATION"});
        row("router2 rate-limited", false, "DESTINATION", toDestination, {}, {"limited", "ROUTER2"});
        row("far host 300 ms late, router5 silent", false, "FAR",
            {"ROUTER1", "ROUTER2", "ROUTER3", "ROUTER4", "*", "FAR"}, {}, {"silent", "ROUTER5"}, 300);
        row("AS numbers", false, "FAR", toFar, {"--asn"}, {}, 0,
            {"null", "null", "AS64500", "AS64501 AS64502", "null", "AS64503"});
        row("AS numbers, IPv6", true, "FAR", toFar, {"--asn"}, {}, 0,
            {"null", "null", "AS64510", "AS64511 AS64512", "null", "AS64513"});
        // clang-format on
    }

    void traceModesAgree()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, rule);
        QFETCH(int, farDelayMs);
        QFETCH(QStringList, hops);
        QFETCH(QStringList, asn);
        QProcess lateEcho; // answers once it has written a line; ends when its input closes
        const auto restore = qScopeGuard([&] {
            lateEcho.closeWriteChannel();
            lateEcho.waitForFinished(kWaitMs);
            LabRule({"clear"});
        });
        QVERIFY(rule.isEmpty() || LabRule(rule));
        if (farDelayMs > 0) {
            lateEcho.start(u"" NETSONDE_DELAYED_ECHO ""_s,
                           {LabText("NETSONDE_LAB_NS_FAR"), QString::number(farDelayMs)});
            QVERIFY(lateEcho.waitForReadyRead(kWaitMs));
        }
        if (!asn.isEmpty()) {
            static const QString resolver = [] {
                static QTemporaryDir folder;
                const QString path = folder.filePath(u"resolv.conf"_s);
                return WriteFile(path, "nameserver " + Destination().toUtf8() + "\n")
                           ? BindOverSystemPath(path, "/etc/resolv.conf")
                           : u"cannot write resolv.conf"_s;
            }();
            QCOMPARE(resolver, QString());
        }
        options = QStringList{"--report", "--no-resolve", "--format", "json"} + options;
        const QJsonObject together = JsonReport(RunReport(options).out);
        const QJsonObject sequential = JsonReport(RunReport(options + QStringList{"--sequential"}).out);
        QCOMPARE(TraceWithoutTimes(together), TraceWithoutTimes(sequential));
        QStringList expected;
        for (int hop = 0; hop < hops.size(); ++hop)
            expected << u"%1 %2"_s.arg(hop + 1).arg(hops[hop]) + (asn.isEmpty() ? QString() : ' ' + asn[hop]);
        QCOMPARE(TraceHops(together, !asn.isEmpty()), expected);
        QCOMPARE(together.value("destination_reached"), QJsonValue(hops.last() != "*"));
    }

    // Three rounds along the lab path, over IPv4 and IPv6: each hop's statistics in JSON, a CSV line per probe. Then
    // router2 answers at most one probe a second (after a burst of five): loss at its hop only, as mtr sees it too.
    void repeatedTrace()
    {
        const QString host = Destination();
        for (const QString& target : {host, LabText("NETSONDE_LAB_DESTINATION6")}) {
            const QStringList options{"--report", "--no-resolve", "--rounds", "3", "--interval", "0.1", "-t", target};
            const QJsonArray rows =
                JsonReport(RunReport(QStringList{"--format=json"} + options).out).value("rows").toArray();
            QCOMPARE(rows.size(), 3);
            for (const QJsonValue& row : rows) {
                const QJsonObject hop = row.toObject();
                const double best = hop.value("best_ms").toDouble(-1), worst = hop.value("worst_ms").toDouble(-1);
                QCOMPARE(u"%1 %2"_s.arg(hop.value("sent").toInt()).arg(hop.value("loss_percent").toDouble()), "3 0");
                QVERIFY(best >= 0 && best <= hop.value("avg_ms").toDouble() && hop.value("avg_ms").toDouble() <= worst);
                QVERIFY(hop.value("stddev_ms").isDouble() && hop.value("last_ms").isDouble());
            }
            QStringList csv = QString::fromUtf8(RunReport(QStringList{"--format=csv"} + options).out).split(u"\r\n"_s);
            QCOMPARE(csv.takeFirst() + '|' + csv.takeLast(), "time,hop,sequence,address,time_ms,status|");
            static const QRegularExpression line(
                u"^\\d{4}-\\d\\d-\\d\\dT[\\d:]{8}\\.\\d{3}Z,[1-3],[1-3],[^,]+,\\d+\\.\\d{3},ok$"_s);
            QCOMPARE(csv.filter(line).size(), 9);
        }

        const auto clear = qScopeGuard([] { LabRule({"clear"}); });
        QVERIFY(LabRule({"limited", LabText("NETSONDE_LAB_NS_ROUTER2")}));
        const QStringList twenty{"--report", "--no-resolve", "--rounds", "20", "--interval", "0.2", "-t", host};
        QString losses;
        for (const QJsonValue& row :
             JsonReport(RunReport(QStringList{"--format=json"} + twenty).out).value("rows").toArray())
            losses += row.toObject().value("loss_percent").toDouble() > 0 ? '+' : '0';
        QProcess mtr;
        mtr.start("mtr", {"-r", "-n", "-c", "20", "-i", "0.2", host});
        QVERIFY(mtr.waitForFinished(kWaitMs));
        static const QRegularExpression mtrLoss(u"^ *\\d+\\.\\|-- \\S+ +([\\d.]+)%"_s,
                                                QRegularExpression::MultilineOption);
        QString mtrLosses;
        for (const QRegularExpressionMatch& match : mtrLoss.globalMatch(QString::fromUtf8(mtr.readAllStandardOutput())))
            mtrLosses += match.captured(1).toDouble() > 0 ? '+' : '0';
        QCOMPARE(losses + '|' + mtrLosses, "0+0|0+0");
    }

    // Every run without a window: its exit status, standard error (a message box as one line, a usage
    // error as its reason and the usage), standard output's end and the texts it must hold. None maps
    // Qt Gui (nor Widgets, which needs it): the loader logs every library it maps, and a platform plugin
    // that does not exist would end a run that created a GUI application object.
    void runsWithoutWindow_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QByteArray>("ending");
        QTest::addColumn<QStringList>("shown");
        const auto row = [](const char* tag, const QStringList& arguments, int exitCode, const QByteArray& err,
                            const QByteArray& ending, const QStringList& shown = {}) {
            QTest::newRow(tag) << arguments << exitCode << err << ending << shown;
        };
        row("version", {"--version"}, 0, "", "Netsonde Version 2.1a\n");
        row("help", {"--help"}, 0, "", "1,192.0.2.7,host.example,3\n",
            {"--report", "--count", "0: until interrupted", "--timeout", "--delay", "--hops", "--rounds N", "--interval S", "--no-resolve",
             "--verbose", "--type", "--server", "time,hop,sequence,address,time_ms,status",
             "--tries", "--bufsize", "--tcp", "--dnssec", "--user", "--progress", "--format", "netsonde(1)",
             "-p|-t|-f|-w|-n|-q", "-4, -6"});
        const auto boxRow = [&](const char* tag, const QStringList& options, const QByteArray& message,
                                const QByteArray& header) {
            row(tag, QStringList{"--report"} + options, 1, "netsonde: " + message + "\n", "M\n\n" + header);
        };
        // Nothing listens on router2: the connection is refused at once.
        const QByteArray router2 = LabText("NETSONDE_LAB_ROUTER2").toUtf8();
        boxRow("refused", {"-q", router2}, "Could not connect to " + router2,
               "Quote Of The Day from " + router2 + "\n\n");
        const QByteArray columns = "\n\n#    Address         Host Name" + QByteArray(41, ' ') + "Response Time\n";
        boxRow("-4 on an IPv6-only name", {"-4", "-p", "v6only.lab.test"}, "Unable to resolve hostname",
               "Ping host v6only.lab.test" + columns);
        const QByteArray destination = Destination().toUtf8();
        boxRow("-6 on an IPv4 address", {"-6", "-p", destination}, "Unable to resolve hostname",
               "Ping host " + destination + columns);
        const auto usageRow = [&](const char* tag, const QStringList& arguments, const QByteArray& reason) {
            row(tag, QStringList{"--report"} + arguments, 2, "netsonde: " + reason + "\nusage: netsonde --report", "");
        };
        usageRow("count above range", {"--count", "31", "-p", "h"}, "--count must lie between 1 and 30");
        usageRow("delay below range", {"--delay", "-1", "-p", "h"}, "--delay must lie between 0 and 10000");
        usageRow("timeout above range", {"--timeout", "61", "-p", "h"}, "--timeout must lie between 1 and 60");
        usageRow("hops above range", {"--hops", "61", "-t", "h"}, "--hops must lie between 1 and 60");
        usageRow("rounds below range", {"--rounds", "-1", "-t", "h"}, "--rounds must lie between 0 and 1000000");
        usageRow("interval below range", {"--interval", "0.05", "-t", "h"},
                 "--interval needs seconds between 0.1 and 60, not \"0.05\"");
        usageRow("lookup timeout below range", {"--timeout", "0", "-n", "h"}, "--timeout must lie between 1 and 60");
        usageRow("tries above range", {"--tries", "11", "-n", "h"}, "--tries must lie between 1 and 10");
        usageRow("bufsize above range", {"--bufsize", "4097", "-n", "h"}, "--bufsize must lie between 0 and 4096");
        usageRow("unknown option", {"--fast", "-p", "h"}, "unknown option --fast");
        usageRow("missing value", {"-n", "h", "--server"}, "--server needs a value");
        usageRow("no switch", {"host"}, "--report needs one of the switches -p, -t, -f, -w, -n, -q");
        usageRow("no host", {"-f"}, "--report needs a host after the switch");
        usageRow("unknown format", {"--format", "xml", "-p", "h"}, "unknown format \"xml\" (text, json or csv)");
        usageRow("csv without rows", {"--format=csv", "-f", "h"}, "--format csv applies only to Ping and TraceRoute");
        usageRow("both families", {"-6", "-4", "-p", "h"}, "-4 and -6 cannot be given together");
        // clang-format on
    }

    void runsWithoutWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, err);
        QFETCH(QByteArray, ending);
        QFETCH(QStringList, shown);
        QTemporaryDir logFolder;
        QProcessEnvironment environment;
        environment.insert(u"QT_QPA_PLATFORM"_s, u"nonexistent"_s);
        environment.insert(u"LD_DEBUG"_s, u"files"_s);
        environment.insert(u"LD_DEBUG_OUTPUT"_s, logFolder.filePath(u"loaded"_s));
        const ReportResult result = ReportProcess(arguments, environment).Finish();
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2(exitCode == 2 ? result.err.startsWith(err) : result.err == err, result.err);
        QVERIFY2(ending.isEmpty() ? result.out.isEmpty() : result.out.endsWith(ending), result.out);
        for (const QString& text : shown)
            QVERIFY2(result.out.contains(text.toUtf8()), qPrintable(text));
        // The loader's log of every library it mapped, one log a process, each read up to 1 MiB.
        QByteArray loaded;
        for (const QFileInfo& log : QDir(logFolder.path()).entryInfoList(QDir::Files))
            loaded += FileBytes(log.filePath());
        QVERIFY2(loaded.contains("file=libQt6Core.so"), "the loader logged no Qt library");
        QVERIFY2(!loaded.contains("libQt6Gui.so"), "libQt6Gui was mapped");
    }

    void modes_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Mode>("mode");
        // The window's rules see the arguments only when every option was read.
        QTest::addColumn<QString>("command");

        const auto row = [](const char* tag, const QStringList& arguments, Mode mode, const char* command) {
            QTest::newRow(tag) << arguments << mode << QString::fromUtf8(command);
        };
        row("window without arguments", {}, Mode::Window, "");
        row("options anywhere", {"-p", "--report", "a", "--count", "4", "b"}, Mode::Report, "P ab");
        row("help wins", {"--report", "--version", "--help"}, Mode::Help, "");
        row("unknown option first cancels", {"--foo", "-p", "h"}, Mode::Window, "");
        row("option as value", {"--report", "--user", "--verbose", "-f", "h"}, Mode::UsageError, "");
        row("not a number", {"--report", "--count", "3x", "-p", "h"}, Mode::UsageError, "");
        row("flag with value", {"--report", "--verbose=1", "-f", "h"}, Mode::UsageError, "");
        row("type word prefix only", {"--report", "--type", "MAIL", "-n", "h"}, Mode::UsageError, "");
        row("option of another function", {"--report", "--count", "3", "-f", "h"}, Mode::UsageError, "F h");
        row("verbose on whois", {"--report", "--verbose", "-w", "h"}, Mode::UsageError, "W h");
        row("whois without host", {"--report", "--user", "example.com", "-w"}, Mode::Report, "W ");
        row("tcp on ping", {"--report", "--tcp", "-p", "h"}, Mode::UsageError, "P h");
        row("family switch after host", {"--report", "-p", "h", "-6"}, Mode::Report, "P h");
        // The window's own rules for a switch, the host text after it and what cancels it.
        row("slash and capital", {"/N", "ns.example"}, Mode::Window, "N ns.example");
        row("host before switch ignored", {"host.example", "-p"}, Mode::Window, "P ");
        row("unknown later switch cancels", {"-p", "host", "-x"}, Mode::Window, "");
        row("long switch cancels", {"-ping", "host"}, Mode::Window, "");
        row("later switch starts over", {"-t", "a", "-f", "b"}, Mode::Window, "F b");
        row("bare dash", {"-", "host"}, Mode::Window, "");
        row("non-latin letter", {u"-\u0440"_s, "h"}, Mode::Window, "");
        // clang-format on
    }

    void modes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Mode, mode);
        QFETCH(QString, command);
        const ReportOptions options = ParseReportOptions(arguments);
        QCOMPARE(options.mode, mode);
        QCOMPARE(options.commandLine, command);
        QCOMPARE(options.fromSwitch, !command.isEmpty());
    }

    // The values for the run as "count timeout delay hops|resolve progress verbose family|function host|type|
    // server|user|tries bufsize tcp dnssec", "-" for a value not given. Numbers outside a page's range are refused
    // later, against the page.
    void valuesForTheRun_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("values");
        QTest::newRow("ping") << QStringList{"--count=5", "--timeout", "2", "--delay", "0", "--no-resolve",
                                             "--progress", "-6", "-p", "h"} << "5 2 0 -|no yes no -6|0 h|-|-|-|- - no no";
        QTest::newRow("trace") << QStringList{"--hops", "-1", "-4", "-4", "-t", "h"}
                               << "- - - -1|yes no no -4|1 h|-|-|-|- - no no";
        QTest::newRow("lookup, Mb") << QStringList{"--type", "Mb", "--server", "ns.example", "--verbose", "/N", "h"}
                                    << "- - - -|yes no yes -|4 h|MB - Mailbox domain name|ns.example|-|- - no no";
        QTest::newRow("resolver mode") << QStringList{"--type", "GetHostByX", "-n", "h"}
                                       << "- - - -|yes no no -|4 h|Use Winsock Function GetHostByX|-|-|- - no no";
        QTest::newRow("empty user") << QStringList{"--user=", "-f", "h"} << "- - - -|yes no no -|2 h|-|-||- - no no";
        QTest::newRow("lookup exchange") << QStringList{"--timeout", "2", "--tries", "4", "--bufsize", "100", "--tcp",
                                                        "--dnssec", "-n", "h"} << "- 2 - -|yes no no -|4 h|-|-|-|4 100 yes yes";
        // clang-format on
    }

    void valuesForTheRun()
    {
        QFETCH(QStringList, arguments);
        const ReportOptions o = ParseReportOptions(QStringList{"--report"} + arguments);
        QCOMPARE(o.mode, Mode::Report);
        const auto number = [](const std::optional<int>& n) { return n ? QString::number(*n) : u"-"_s; };
        const auto yes = [](bool b) { return b ? u"yes"_s : u"no"_s; };
        const auto family = !o.preference                                  ? u"-"_s
                            : *o.preference == AddressPreference::OnlyIPv4 ? u"-4"_s
                            : *o.preference == AddressPreference::OnlyIPv6 ? u"-6"_s
                                                                           : u"?"_s;
        const QStringList texts{
            o.Host(), o.searchType.value_or(u"-"_s), o.server.value_or(u"-"_s), o.user.value_or(u"-"_s),
            u"%1 %2 %3 %4"_s.arg(number(o.tries), number(o.udpPayloadSize), yes(o.useTcp), yes(o.requestDnssec))};
        QTEST(u"%1 %2 %3 %4|%5 %6 %7 %8|%9 "_s.arg(number(o.count), number(o.timeout), number(o.delay), number(o.hops),
                                                   yes(!o.noResolve), yes(o.progress), yes(o.verbose), family,
                                                   QString::number(o.FunctionIndex()))
                  + texts.join('|'),
              "values");
    }

    // A name holding a quote, comma, CR or LF is quoted with its quotes
    // doubled; left bare, a reader would split it or end the row inside it.
    // Names that are not UTF-8 come from the resolver as Latin-1 and are
    // written as UTF-8.
    void csvQuotesNames_data()
    {
        // clang-format off
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
        // clang-format on
    }
    void csvQuotesNames()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, line);
        const QStringList row{"1", "10.0.0.1", name, "7 ms"};
        QCOMPARE(ReportCsv(RunInputs{}, {row}), "seq,address,name,time_ms\r\n" + line);
    }

    // NS LookUp's "exchange" member, in a list of its own: the last exchange noted, or null.
    void exchangeJson_data()
    {
        // clang-format off
        QTest::addColumn<QList<DnsExchange>>("noted");
        QTest::addColumn<QByteArray>("exchange");
        const DnsExchange udp{"10.0.0.53", 53, DnsTransport::Udp, false, false, {}, 12, 90};
        const DnsExchange tcp{"fd00::53", 5353, DnsTransport::Tcp, true, true, {}, 40, 1002};
        const DnsExchange cut{"10.0.0.53", 53, DnsTransport::Udp, true, false, "Connection refused", 7, 512};
        QTest::newRow("none") << QList<DnsExchange>{} << QByteArray("[null]");
        QTest::newRow("udp") << QList<DnsExchange>{udp} << QByteArray(R"([{"answer_size":90,"port":53,"query_time_ms":12,"retried_over_tcp":false,"retried_without_edns":false,"server":"10.0.0.53","tcp_error":null,"transport":"udp"}])");
        QTest::newRow("tcp, the last kept") << QList<DnsExchange>{udp, tcp} << QByteArray(R"([{"answer_size":1002,"port":5353,"query_time_ms":40,"retried_over_tcp":true,"retried_without_edns":true,"server":"fd00::53","tcp_error":null,"transport":"tcp"}])");
        QTest::newRow("tcp retry failed") << QList<DnsExchange>{cut} << QByteArray(R"([{"answer_size":512,"port":53,"query_time_ms":7,"retried_over_tcp":true,"retried_without_edns":false,"server":"10.0.0.53","tcp_error":"Connection refused","transport":"udp"}])");
        // clang-format on
    }
    void exchangeJson()
    {
        QFETCH(QList<DnsExchange>, noted);
        RunInputs inputs;
        inputs.function = FunctionId::NameServerLookUp;
        ReportView view(inputs.function, false);
        for (const DnsExchange& exchange : noted)
            view.NoteDnsExchange(exchange);
        const QJsonObject report = JsonReport(ReportJson({inputs, view, QDateTime::currentDateTimeUtc(), 0, {}}));
        QTEST(QJsonDocument(QJsonArray{report.value("exchange")}).toJson(QJsonDocument::Compact), "exchange");
    }
};

int main(int argc, char** argv)
{
    RunInsideLabWithNameServer(argc, argv, NETSONDE_NAMED_CONF);
    QCoreApplication application(argc, argv);
    TestReportMode test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reportmode.moc"
