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
    hosts.write(QStringLiteral("127.0.0.1 localhost\n%1 %2 %2-alias\n"
                               "10.200.3.7 target.lab.test target www-target\n%3 v6only.lab.test v6only\n")
                    .arg(LabVariable("NETSONDE_LAB_SOURCE"), LocalHostName(), LabVariable("NETSONDE_LAB_DESTINATION6"))
                    .toUtf8());
    hosts.close();
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount(QFile::encodeName(path).constData(), "/etc/hosts", nullptr, MS_BIND, nullptr) != 0)
        return QStringLiteral("no mount namespace for a hosts file: ") + QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

QString g_hostsFailure; // why the lab's names are unknown to the system resolver, or empty

QString NamedLog()
{
    QFile log(QStringLiteral(NETSONDE_NAMED_LOG));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll().right(2000)) : QString();
}

struct LookupResult {
    QString output;
    QStringList boxes;
};

LookupResult RunLookup(const QString& host, int searchType, const QString& nameServer, bool verbose = false)
{
    CMessageBoxRecorder boxes;
    auto window = OpenLookupWindow(false);
    window.Fill(host, searchType, nameServer, verbose);
    window.dialog->OnGo();
    if (!QTest::qWaitFor([&] { return !window.dialog->Runs().IsBusy(); }, kWaitMs))
        qWarning("the lookup did not end");
    return {window.Output(), boxes.Texts()};
}

int SearchTypeIndex(const QString& word)
{
    for (int i = 0; i < int(SearchTypeTable.size()); ++i)
        if (QString::fromLatin1(SearchTypeTable[i].text).startsWith(word + QStringLiteral(" - ")))
            return i;
    qFatal("no search type %s", qPrintable(word));
}

} // namespace

class TestNameServerLookUpLab : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // named needs a moment after the lab starts it.
        QString failure;
        const auto answers = [&] { return !DigShape(m_server, "lab.test", "SOA", &failure).sections.isEmpty(); };
        QVERIFY2(QTest::qWaitFor(answers, kWaitMs), qPrintable("named does not answer: " + failure + NamedLog()));
    }
    void init() { ResetSettings(); }

    // Each question in both forms; dig asks for ANY where the lookup asks for ALL.
    void everySearchTypeAgreesWithDig_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("digName");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("verbose");
        const auto row = [](const QString& server, const char* host, const char* type, const char* digName = nullptr) {
            for (bool verbose : {false, true})
                QTest::addRow("%s %s %s %s", type, host, verbose ? "verbose" : "short", qPrintable(server))
                    << server << QString(host) << QString(digName ? digName : host) << QString(type) << verbose;
        };
        const QString v6 = LabVariable("NETSONDE_LAB_DESTINATION6");
        for (const char* type : {"ALL", "MAILB", "MB", "MG", "MINFO", "MR"})
            row(m_server, "box.lab.test", type);
        for (const char* type : {"MX", "NS", "SOA"})
            row(m_server, "lab.test", type);
        using HostAndType = std::pair<const char*, const char*>;
        for (const auto& [host, type] : {HostAndType{"www.lab.test", "A"}, {"www.lab.test", "AAAA"},
                 {"alias.lab.test", "CNAME"}, {"info.lab.test", "HINFO"}, {"info.lab.test", "TXT"},
                 {"svc.lab.test", "WKS"}, {"nothere.lab.test", "A"}, {"mail.lab.test", "AAAA"},
                 {"_sip._udp.lab.test", "SRV"}, {"_ldap._tcp.lab.test", "SRV"}})
            row(m_server, host, type);
        row(m_server, "10.200.3.2", "PTR", "2.3.200.10.IN-ADDR.ARPA");
        row(m_server, "2001:db8::7", "PTR", "7.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa");
        row(v6, "www.lab.test", "AAAA");
        row(v6, "_sip._udp.lab.test", "SRV");
        row(v6, "fd00:200:3::2", "PTR", "2.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.3.0.0.0.0.0.2.0.0.0.d.f.ip6.arpa");
    }
    void everySearchTypeAgreesWithDig()
    {
        QFETCH(QString, server);
        QFETCH(QString, host);
        QFETCH(QString, digName);
        QFETCH(QString, type);
        QFETCH(bool, verbose);
        const LookupResult result = RunLookup(host, SearchTypeIndex(type), server, verbose);
        QVERIFY2(result.boxes.isEmpty() && result.output.endsWith("---\r\n"), qPrintable(result.boxes.join('\n')));
        QString failure;
        ReportShape expected = DigShape(server, digName, type == QLatin1String("ALL") ? "ANY" : type, &failure);
        QVERIFY2(!expected.header.isEmpty(), qPrintable(failure));
        if (!verbose)
            expected = {{}, {}, expected.sections};
        const ReportShape actual = ReportShapeOf(result.output);
        QCOMPARE(actual.header + actual.headerLines.join('|'), expected.header + expected.headerLines.join('|'));
        QCOMPARE(actual.sections, expected.sections);
        const QString question = QStringLiteral("Question:\r\n   Name=%1, QTYPE=%2, QCLASS=1\r\n").arg(digName, type);
        QCOMPARE(result.output.contains(question), verbose);
    }

    void aServerThatNeverAnswersWaitsForStop()
    {
        auto window = OpenLookupWindow(false);
        const qsizetype descriptors = OpenDescriptorCount();
        window.Fill(QStringLiteral("www.lab.test"), kATypeIndex, LabVariable("NETSONDE_LAB_SILENT"));
        window.dialog->OnGo();
        const QString waiting = QStringLiteral("Requesting information from name server");
        QTRY_COMPARE_WITH_TIMEOUT(window.dialog->StatusText(), waiting, kWaitMs);
        QTest::qWait(1500);
        QVERIFY(window.dialog->Runs().IsBusy());
        QCOMPARE(window.dialog->StatusText(), waiting);
        Control<QPushButton>(window.dialog.get(), IDC_STOP)->click();
        QTRY_VERIFY(!window.dialog->Runs().IsBusy());
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Ready"));
        QCOMPARE(OpenDescriptorCount(), descriptors);
        QVERIFY(window.Output().isEmpty());
    }

    void anUnreachableNameServerIsToldInABox()
    {
        const QString server = LabVariable("NETSONDE_LAB_UNREACHABLE");
        const LookupResult result = RunLookup(QStringLiteral("www.lab.test"), kATypeIndex, server);
        QCOMPARE(result.boxes, QStringList{QString("Error %1 while connecting to %2").arg(ENETUNREACH).arg(server)});
        QVERIFY(result.output.isEmpty());
    }

    // An alias is the name asked; an address has none.
    void getHostByXWithTheSystemResolver_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("target");
        const QString v6 = LabVariable("NETSONDE_LAB_DESTINATION6");
        const QString block = QStringLiteral("Hostname: %1\r\nIP Address: %2\r\nAlias List: %3\r\n");
        const QString v4Block = block.arg("target.lab.test", "10.200.3.7"), v6Block = block.arg("v6only.lab.test", v6);
        QTest::newRow("name") << "www-target" << v4Block.arg("www-target") + "---\r\n";
        QTest::newRow("address") << "10.200.3.7" << v4Block.arg("");
        QTest::newRow("myself") << "Myself" << block.arg("localhost", "127.0.0.1", "");
        QTest::newRow("IPv6-only name") << "v6only" << v6Block.arg("v6only") + "---\r\n";
        QTest::newRow("IPv6 address") << "[" + v6 + "]" << v6Block.arg("");
        QTest::newRow("unknown") << "nowhere.lab.test" << "Cannot resolve nowhere.lab.test\r\n---\r\n";
    }
    void getHostByXWithTheSystemResolver()
    {
        if (!g_hostsFailure.isEmpty())
            QSKIP(qPrintable(g_hostsFailure));
        QFETCH(QString, host);
        QFETCH(QString, target);
        const LookupResult result = RunLookup(host, kGetHostByXIndex, QString());
        QVERIFY(result.boxes.isEmpty());
        QCOMPARE(result.output, QStringLiteral("Local Hostname: %1\r\nLocal IP Address: %2\r\nLocal Alias List: \r\n")
                                        .arg(LocalHostName(), LabVariable("NETSONDE_LAB_SOURCE")) + target);
    }

private:
    QString m_server = LabVariable("NETSONDE_LAB_DESTINATION");
};

int main(int argc, char** argv)
{
    if (!IsInsideLab() && QStandardPaths::findExecutable(QStringLiteral("dig")).isEmpty())
        SkipWholeTest("dig is not installed (Debian package bind9-dnsutils)");
    RunInsideLabWithNameServer(argc, argv, NETSONDE_NAMED_CONF, NETSONDE_NAMED_LOG);
    g_hostsFailure = InstallLabHosts();
    QApplication app(argc, argv);
    TestNameServerLookUpLab test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_nslookuplab.moc"
