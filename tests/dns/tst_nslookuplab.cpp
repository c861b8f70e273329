// SPDX-License-Identifier: GPL-3.0-or-later
// Name Server LookUp against a real name server in the namespace lab: the
// lab's destination runs BIND's named with the zones under lab/, and every
// report is compared with what dig prints for the same question. The test
// process has its own hosts file (in a mount namespace of its own), so the
// system resolver knows the lab's names.

#include "DigAnswer.h"
#include "LookupFixture.h"
#include "netns/LabEnvironment.h"
#include "support/LabNameServer.h"

#include "dns/SearchTypeTable.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/mount.h>
#include <sched.h>

#include <cerrno>
#include <cstring>
#include <span>

using namespace netsonde;
using namespace netsonde::test;

namespace {

constexpr int kWaitMs = 30000;
constexpr int kATypeIndex = 1;

QString LabVariable(const char* name) { return QString::fromLocal8Bit(qgetenv(name)); }

// The system resolver sees the lab's names: this process gets a mount
// namespace of its own with a hosts file bound over /etc/hosts. Why that
// failed, or empty.
QString InstallLabHosts()
{
    static QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("hosts"));
    QFile hosts(path);
    if (!directory.isValid() || !hosts.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write a hosts file");
    hosts.write(QStringLiteral("127.0.0.1 localhost\n"
                               "%1 %2 %2-alias\n"
                               "%3 ns1.lab.test nameserver\n"
                               "10.200.3.7 target.lab.test target www-target\n"
                               "%4 v6only.lab.test v6only\n")
                    .arg(LabVariable("NETSONDE_LAB_SOURCE"), LocalHostName(), LabVariable("NETSONDE_LAB_DESTINATION"),
                         LabVariable("NETSONDE_LAB_DESTINATION6"))
                    .toUtf8());
    hosts.close();
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount(QFile::encodeName(path).constData(), "/etc/hosts", nullptr, MS_BIND, nullptr) != 0)
        return QStringLiteral("no mount namespace for a hosts file: ") + QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

QString& HostsFailure()
{
    static QString failure;
    return failure;
}

QString NamedLog()
{
    QFile log(QStringLiteral(NETSONDE_NAMED_LOG));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll().right(2000)) : QString();
}

struct LookupResult {
    QString output;
    QStringList boxes;
};

LookupResult RunLookup(const QString& host, int searchType, const QString& nameServer, bool verbose)
{
    CMessageBoxRecorder boxes;
    auto window = OpenLookupWindow(false);
    window.Fill(host, searchType, nameServer, verbose);
    window.dialog->OnGo();
    if (!QTest::qWaitFor([&] { return !window.dialog->Runs().IsBusy(); }, kWaitMs))
        qWarning("the lookup did not end");
    return {window.Output(), boxes.Texts()};
}

} // namespace

class TestNameServerLookUpLab : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        ResetSettings();
        m_server = LabVariable("NETSONDE_LAB_DESTINATION");
        // named needs a moment after the lab starts it.
        QString failure;
        const bool ready = QTest::qWaitFor(
            [&] { return !DigShape(m_server, QStringLiteral("lab.test"), QStringLiteral("SOA"), &failure).sections.isEmpty(); },
            kWaitMs);
        QVERIFY2(ready, qPrintable(QStringLiteral("named does not answer: ") + failure + NamedLog()));
    }
    void init() { ResetSettings(); }

    void everySearchTypeAgreesWithDig_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("digName");
        QTest::addColumn<QString>("digType");
        QTest::addColumn<bool>("verbose");
        struct Question {
            const char* host;
            const char* type;
            const char* digName = nullptr; // the host when not given
        };
        const Question questions[] = {
            {"www.lab.test", "A"},       {"box.lab.test", "ANY"},   {"alias.lab.test", "CNAME"},
            {"info.lab.test", "HINFO"},  {"box.lab.test", "MAILB"}, {"box.lab.test", "MB"},
            {"box.lab.test", "MG"},      {"box.lab.test", "MINFO"}, {"box.lab.test", "MR"},
            {"lab.test", "MX"},          {"lab.test", "NS"},        {"10.200.3.2", "PTR", "2.3.200.10.IN-ADDR.ARPA"},
            {"lab.test", "SOA"},         {"info.lab.test", "TXT"},  {"svc.lab.test", "WKS"},
            {"nothere.lab.test", "A"},   {"www.lab.test", "AAAA"},  {"mail.lab.test", "AAAA"},
            {"_sip._udp.lab.test", "SRV"}, {"_ldap._tcp.lab.test", "SRV"},
            {"2001:db8::7", "PTR", "7.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa"},
        };
        // The name server by its IPv6 address.
        const Question overIPv6[] = {
            {"www.lab.test", "AAAA"},
            {"_sip._udp.lab.test", "SRV"},
            {"fd00:200:3::2", "PTR", "2.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.3.0.0.0.0.0.2.0.0.0.d.f.ip6.arpa"},
        };
        const auto addRows = [](std::span<const Question> asked, const QString& server, const char* via) {
            for (const auto& q : asked) {
                const QString host = QString::fromLatin1(q.host);
                const QString digName = q.digName ? QString::fromLatin1(q.digName) : host;
                for (bool verbose : {false, true})
                    QTest::addRow("%s %s %s%s", q.type, q.host, verbose ? "verbose" : "short", via)
                        << server << host << digName << QString::fromLatin1(q.type) << verbose;
            }
        };
        addRows(questions, m_server, "");
        addRows(overIPv6, LabVariable("NETSONDE_LAB_DESTINATION6"), " over IPv6");
    }
    void everySearchTypeAgreesWithDig()
    {
        QFETCH(QString, server);
        QFETCH(QString, host);
        QFETCH(QString, digName);
        QFETCH(QString, digType);
        QFETCH(bool, verbose);
        const int searchType = SearchTypeIndex(digType == QLatin1String("ANY") ? QStringLiteral("ALL") : digType);
        const LookupResult result = RunLookup(host, searchType, server, verbose);
        QVERIFY2(result.boxes.isEmpty(), qPrintable(result.boxes.join(QLatin1Char('\n'))));
        QVERIFY(result.output.endsWith(QStringLiteral("---\r\n")));

        QString failure;
        ReportShape expected = DigShape(server, digName, digType, &failure);
        QVERIFY2(!expected.header.isEmpty(), qPrintable(failure));
        if (!verbose) {
            expected.header.clear();
            expected.headerLines.clear();
        }
        const ReportShape actual = ReportShapeOf(result.output);
        QCOMPARE(actual.header, expected.header);
        QCOMPARE(actual.headerLines, expected.headerLines);
        QCOMPARE(actual.sections, expected.sections);
        if (verbose)
            QVERIFY(result.output.contains(QStringLiteral("Question:\r\n   Name=%1, QTYPE=%2, QCLASS=1\r\n")
                                               .arg(digName, digType == QLatin1String("ANY") ? QStringLiteral("ALL") : digType)));
    }

    void aNameServerGivenByName()
    {
        if (!HostsFailure().isEmpty())
            QSKIP(qPrintable(HostsFailure()));
        const LookupResult byName = RunLookup(QStringLiteral("www.lab.test"), kATypeIndex, QStringLiteral("nameserver"), false);
        const LookupResult byAddress = RunLookup(QStringLiteral("www.lab.test"), kATypeIndex, m_server, false);
        QVERIFY(byName.boxes.isEmpty());
        QVERIFY(byName.output.contains(QStringLiteral("   IP Address=10.200.3.7\r\n")));
        QCOMPARE(ReportShapeOf(byName.output), ReportShapeOf(byAddress.output));

        const LookupResult unknown = RunLookup(QStringLiteral("www.lab.test"), kATypeIndex, QStringLiteral("ns.nowhere.test"), false);
        QCOMPARE(unknown.output, QStringLiteral("Cannot resolve ns.nowhere.test\r\n---\r\n"));
    }

    void aServerThatNeverAnswersWaitsForStop()
    {
        auto window = OpenLookupWindow(false);
        const qsizetype descriptors = OpenDescriptorCount();
        window.Fill(QStringLiteral("www.lab.test"), kATypeIndex, LabVariable("NETSONDE_LAB_SILENT"));
        window.dialog->OnGo();
        QTRY_COMPARE_WITH_TIMEOUT(window.dialog->StatusText(), QStringLiteral("Requesting information from name server"), kWaitMs);
        QTest::qWait(1500);
        QVERIFY(window.dialog->Runs().IsBusy());
        QCOMPARE(window.dialog->StatusText(), QStringLiteral("Requesting information from name server"));
        Control<QPushButton>(window.dialog.get(), IDC_STOP)->click();
        QTRY_VERIFY(!window.dialog->Runs().IsBusy());
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
        QCOMPARE(OpenDescriptorCount(), descriptors);
        QVERIFY(window.Output().isEmpty());
    }

    void anUnreachableNameServerIsToldInABox_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<int>("error");
        QTest::newRow("network unreachable") << LabVariable("NETSONDE_LAB_UNREACHABLE") << ENETUNREACH;
        QTest::newRow("no name server there") << LabVariable("NETSONDE_LAB_ROUTER2") << ECONNREFUSED;
    }
    void anUnreachableNameServerIsToldInABox()
    {
        QFETCH(QString, server);
        QFETCH(int, error);
        const LookupResult result = RunLookup(QStringLiteral("www.lab.test"), kATypeIndex, server, false);
        QCOMPARE(result.boxes, QStringList{QStringLiteral("Error %1 while connecting to %2").arg(error).arg(server)});
        QVERIFY(result.output.isEmpty());
    }

    void getHostByXWithTheSystemResolver_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("target");
        QTest::newRow("name") << QStringLiteral("www-target")
                              << QStringLiteral("Hostname: target.lab.test\r\nIP Address: 10.200.3.7\r\n"
                                                "Alias List: www-target\r\n---\r\n");
        QTest::newRow("address") << QStringLiteral("10.200.3.7")
                                 << QStringLiteral("Hostname: target.lab.test\r\nIP Address: 10.200.3.7\r\n"
                                                   "Alias List: \r\n");
        QTest::newRow("myself") << QStringLiteral("Myself")
                                << QStringLiteral("Hostname: localhost\r\nIP Address: 127.0.0.1\r\nAlias List: \r\n");
        const QString v6 = LabVariable("NETSONDE_LAB_DESTINATION6");
        // The alias is the name asked; an address has none.
        const QString v6Block = "Hostname: v6only.lab.test\r\nIP Address: " + v6 + "\r\nAlias List: %1\r\n";
        QTest::newRow("IPv6-only name") << QStringLiteral("v6only") << v6Block.arg("v6only") + "---\r\n";
        QTest::newRow("IPv6 address") << "[" + v6 + "]" << v6Block.arg("");
        QTest::newRow("unknown") << QStringLiteral("nowhere.lab.test")
                                 << QStringLiteral("Cannot resolve nowhere.lab.test\r\n---\r\n");
    }
    void getHostByXWithTheSystemResolver()
    {
        if (!HostsFailure().isEmpty())
            QSKIP(qPrintable(HostsFailure()));
        QFETCH(QString, host);
        QFETCH(QString, target);
        const LookupResult result = RunLookup(host, kGetHostByXIndex, QString(), false);
        QVERIFY(result.boxes.isEmpty());
        const QString local = QStringLiteral("Local Hostname: %1\r\nLocal IP Address: %2\r\nLocal Alias List: \r\n")
                                  .arg(LocalHostName(), LabVariable("NETSONDE_LAB_SOURCE"));
        QCOMPARE(result.output, local + target);
    }

private:
    static int SearchTypeIndex(const QString& word)
    {
        for (int i = 0; i < int(SearchTypeTable.size()); ++i)
            if (QString::fromLatin1(SearchTypeTable[i].text).startsWith(word + QStringLiteral(" - ")))
                return i;
        qFatal("no search type %s", qPrintable(word));
    }

    QString m_server;
};

int main(int argc, char** argv)
{
    if (!IsInsideLab() && QStandardPaths::findExecutable(QStringLiteral("dig")).isEmpty())
        SkipWholeTest("dig is not installed (Debian package bind9-dnsutils)");
    RunInsideLabWithNameServer(argc, argv, NETSONDE_NAMED_CONF, NETSONDE_NAMED_LOG);
    HostsFailure() = InstallLabHosts();
    QApplication app(argc, argv);
    TestNameServerLookUpLab test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_nslookuplab.moc"
