// SPDX-License-Identifier: GPL-3.0-or-later
// RDAP lookups inside the namespace lab, against an HTTPS server on its
// destination (rdap_lab_server.py) that answers for the registries' real host
// names: the lab's hosts file maps them to the destination, and a lab
// authority made when the test starts is the only one in the system's store.

#include "support/LabEnvironment.h"
#include "support/LabFiles.h"

#include "whois/RdapBootstrap.h"
#include "whois/RdapBootstrapRefresh.h"
#include "whois/RdapLookup.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <cstdlib>

using namespace netsonde;
using namespace netsonde::test;

namespace {

const QString kVerisign = QStringLiteral("https://rdap.verisign.com/com/v1/domain/");

QString LabFolder()
{
    return LabText("NETSONDE_RDAP_LAB_FOLDER");
}

// The lab authority, and the server's certificate for the registries' names,
// in the lab folder; the authority alone in a hashed folder bound over the
// system's store. Why it failed, or empty.
QString InstallLabAuthority()
{
    const QByteArray folder = QFile::encodeName(LabFolder());
    const QByteArray commands =
        "cd '" + folder
        + "' && mkdir -p certs && "
          "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ca.key -out ca.pem "
          "-subj /CN=Lab-RDAP-Authority -days 2 && "
          "openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout server.key -out server.csr "
          "-subj /CN=rdap.lab && "
          "printf 'subjectAltName=DNS:rdap.verisign.com,DNS:rdap.arin.net,DNS:rdap.db.ripe.net,"
          "DNS:rdap.registrar.lab.test,DNS:data.iana.org\\n' > names.cnf && "
          "openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile names.cnf "
          "-out new.pem && cp ca.pem certs/ && openssl rehash certs && mv new.pem server.pem";
    if (std::system(("(" + commands + ") >/dev/null 2>&1").constData()) != 0)
        return QStringLiteral("openssl could not make the lab authority");
    return BindOverSystemPath(LabFolder() + "/certs", "/etc/ssl/certs");
}

QString g_labFailure;

WhoIsQuery DomainQuery(const QString& name)
{
    WhoIsQuery query;
    query.kind = WhoIsQueryKind::Domain;
    query.domain = name;
    return query;
}

} // namespace

// A lookup: the hops as "url<referredBy<status", a line of each hop's text, and finished's answered
// (no hops: Start refuses the query).
struct LookupCase {
    WhoIsQuery query;
    QStringList hops;
    QStringList lines;
    bool answered;
};
Q_DECLARE_METATYPE(LookupCase)

class TestRdapLab : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!g_labFailure.isEmpty())
            QFAIL(qPrintable(g_labFailure));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(LabFolder() + "/ready"), 30000);
    }
    void cleanupTestCase() { QDir(LabFolder()).removeRecursively(); }
    void refreshKeepsTheLastGoodCopy();
    void lookup_data();
    void lookup();
    void automaticModeAsksRdapFirst();
};

void TestRdapLab::lookup_data()
{
    // clang-format off
    QTest::addColumn<LookupCase>("c");
    WhoIsQuery network;
    network.kind = WhoIsQueryKind::IPv4;
    network.address = *ParseAddressLiteral("192.0.2.1");
    network.prefixLength = 32;
    WhoIsQuery autnum;
    autnum.kind = WhoIsQueryKind::AsNumber;
    autnum.asNumber = 3333;
    const QString registrar = QStringLiteral("https://rdap.registrar.lab.test/domain/example.com");
    QTest::newRow("domain, registrar followed once") << LookupCase{DomainQuery("example.com"), {kVerisign + "example.com<<ok", registrar + "<" + kVerisign + "example.com<ok"}, {"Registrar: Lab Registrar", "Registrant: Ann Example"}, true};
    QTest::newRow("network") << LookupCase{network, {"https://rdap.arin.net/registry/ip/192.0.2.1<<ok"}, {"Range: 192.0.2.0 - 192.0.2.255"}, true};
    QTest::newRow("autnum") << LookupCase{autnum, {"https://rdap.db.ripe.net/autnum/3333<<ok"}, {"AS number: 3333"}, true};
    QTest::newRow("redirect") << LookupCase{DomainQuery("moved.com"), {kVerisign + "moved.com<<ok"}, {"Redirected to: " + kVerisign + "target.com"}, true};
    QTest::newRow("not found") << LookupCase{DomainQuery("missing.com"), {kVerisign + "missing.com<<HTTP 404"}, {"The server has no registration for missing.com"}, true};
    QTest::newRow("rate limited") << LookupCase{DomainQuery("busy.com"), {kVerisign + "busy.com<<HTTP 429"}, {"Retry after: 120 seconds"}, true};
    QTest::newRow("server error") << LookupCase{DomainQuery("broken.com"), {kVerisign + "broken.com<<HTTP 503"}, {"The server answered HTTP 503"}, false};
    QTest::newRow("https to http refused") << LookupCase{DomainQuery("insecure.com"), {kVerisign + "insecure.com<<Redirect to http://rdap.verisign.com/com/v1/domain/example.com refused: not https"}, {"refused: not https"}, false};
    QTest::newRow("no service") << LookupCase{DomainQuery("host.lab"), {}, {}, false};
    QTest::newRow("stall") << LookupCase{DomainQuery("stall.com"), {kVerisign + "stall.com<<No answer within 15 seconds"}, {"No answer within 15 seconds"}, false};
    // clang-format on
}

void TestRdapLab::lookup()
{
    QFETCH(LookupCase, c);
    RdapLookup lookup;
    QStringList started, hops;
    QList<bool> answers;
    connect(&lookup, &RdapLookup::hopStarted, this,
            [&](const QString& url, const QString& referredBy) { started << url + "<" + referredBy; });
    connect(&lookup, &RdapLookup::hopFinished, this, [&](const WhoIsHop& hop) {
        hops << hop.server + "<" + hop.referredBy + "<" + hop.status;
        QCOMPARE(hop.protocol, WhoIsProtocol::Rdap);
        QCOMPARE(hop.query, QUrl(hop.server).path());
        QVERIFY(hop.timeMs >= 0 && hop.timeMs < 20000);
        QCOMPARE(hop.rdapJson.isEmpty(), !hop.status.startsWith(QLatin1String("ok")) && !hop.status.startsWith("HTTP"));
        QVERIFY2(hop.text.contains(c.lines.value(hops.size() - 1) + "\r\n"), qPrintable(hop.text));
    });
    connect(&lookup, &RdapLookup::finished, this, [&](bool answered) { answers << answered; });
    QCOMPARE(lookup.Start(c.query), !c.hops.isEmpty());
    if (!c.hops.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 1, 25000);
    QCOMPARE(hops, c.hops);
    for (QString& hop : hops)
        hop.truncate(hop.lastIndexOf(QLatin1Char('<')));
    QCOMPARE(started, hops);
    QCOMPARE(answers, c.hops.isEmpty() ? QList<bool>() : QList<bool>{c.answered});
}

// The weekly refresh: a newer registry that parses is stored and used, one that does not parse leaves the copy
// in use, a missing one too; a registry refreshed now is not due again.
void TestRdapLab::refreshKeepsTheLastGoodCopy()
{
    // A good cached IPv4 registry, newer than the shipped one and due for its refresh.
    QFile shipped(":/rdap/ipv4.json");
    QVERIFY(shipped.open(QIODevice::ReadOnly) && QDir().mkpath(RdapBootstrapRefresh::CacheFolder()));
    QFile cached(RdapBootstrapRefresh::CacheFolder() + "/" + RdapRegistryFileName(RdapRegistry::IPv4));
    QVERIFY(cached.open(QIODevice::WriteOnly));
    cached.write(shipped.readAll().replace("2019-06-07T19:00:02Z", "2020-01-01T00:00:00Z"));
    QVERIFY(cached.flush());
    cached.setFileTime(QDateTime::currentDateTimeUtc().addDays(-8), QFileDevice::FileModificationTime);
    cached.close();
    QNetworkAccessManager network;
    RdapBootstrapRefresh refresh(network);
    QSignalSpy stored(&refresh, &RdapBootstrapRefresh::registryStored);
    refresh.RefreshIfDue();
    QTRY_COMPARE_WITH_TIMEOUT(stored.size(), 1, 20000);
    QTest::qWait(500);
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.at(0).at(0).value<RdapRegistry>(), RdapRegistry::Dns);
    const RdapBootstrap bootstrap = RdapBootstrap::Load(RdapBootstrapRefresh::CacheFolder());
    QCOMPARE(bootstrap.Publication(RdapRegistry::Dns), QDateTime::fromString("2026-12-01T00:00:00Z", Qt::ISODate));
    QCOMPARE(bootstrap.BaseUrlsFor(DomainQuery("www.refreshed.test")), QStringList{"https://rdap.registrar.lab.test/"});
    QCOMPARE(bootstrap.Publication(RdapRegistry::IPv4), QDateTime::fromString("2020-01-01T00:00:00Z", Qt::ISODate));
    RdapBootstrapRefresh again(network);
    QSignalSpy storedAgain(&again, &RdapBootstrapRefresh::registryStored);
    again.RefreshIfDue();
    QTest::qWait(1000);
    QVERIFY(storedAgain.isEmpty());
}

// WhoIs in automatic mode, run as report mode runs it: the registry's and the registrar's RDAP hops,
// each under its heading, the date of the bootstrap in use (the refreshed one) under the first, no port-43 server
// asked; the JSON form lists both hops with the objects received.
void TestRdapLab::automaticModeAsksRdapFirst()
{
    QProcess report;
    report.start(QStringLiteral(NETSONDE_EXECUTABLE),
                 {"--report", "--format", "json", "-w", "auto", "--user", QString::fromUtf8("Example.COM")});
    QVERIFY(report.waitForFinished(30000));
    QCOMPARE(report.exitCode(), 0);
    const QJsonObject json = QJsonDocument::fromJson(report.readAllStandardOutput()).object();
    QCOMPARE(json.value("mode").toString(), QStringLiteral("auto"));
    const QJsonArray hops = json.value("hops").toArray();
    QCOMPARE(hops.size(), 2);
    QCOMPARE(hops.at(1).toObject().value("referred_by").toString(), kVerisign + "example.com");
    for (const QJsonValue& hop : hops) {
        QCOMPARE(hop.toObject().value("protocol").toString(), QStringLiteral("rdap"));
        QVERIFY(hop.toObject().value("rdap").isObject());
    }
    const QString text = json.value("text").toString();
    QVERIFY2(text.startsWith("[" + kVerisign
                             + "example.com]\n(the RDAP service named by IANA's bootstrap registry of "
                               "2026-12-01T00:00:00Z)\n"),
             qPrintable(text));
    QVERIFY2(text.contains("\n[https://rdap.registrar.lab.test/domain/example.com, referred by " + kVerisign
                           + "example.com]\n"),
             qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Registrant: Ann Example")));
}

int main(int argc, char** argv)
{
    if (!IsInsideLab()) {
        QByteArray folder = QDir::tempPath().toLocal8Bit() + "/netsonde-rdap-XXXXXX";
        if (::mkdtemp(folder.data()) == nullptr)
            SkipWholeTest("cannot make the lab folder");
        ::setenv("NETSONDE_RDAP_LAB_FOLDER", folder.constData(), 1);
        RunInsideLab(argc, argv, {"/usr/bin/python3 " NETSONDE_RDAP_LAB_SERVER " " + folder.toStdString()});
    }
    // Before any thread starts: the mount namespace is this process's alone.
    ::setenv("XDG_CACHE_HOME", QFile::encodeName(LabFolder() + "/cache").constData(), 1);
    g_labFailure = InstallLabAuthority();
    if (g_labFailure.isEmpty())
        g_labFailure = InstallLabHosts("127.0.0.1 localhost\n" + LabText("NETSONDE_LAB_DESTINATION").toLatin1()
                                       + " rdap.verisign.com rdap.arin.net rdap.db.ripe.net rdap.registrar.lab.test"
                                         " data.iana.org\n");
    QCoreApplication application(argc, argv);
    TestRdapLab test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rdaplab.moc"
