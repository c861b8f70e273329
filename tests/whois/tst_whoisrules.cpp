// SPDX-License-Identifier: GPL-3.0-or-later
// WhoIs's automatic mode on text alone: what a typed query is, and where a
// server's answer refers to.

#include "whois/WhoIsReferrals.h"

#include <QtTest>

using namespace netsonde;

class TestWhoIsRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void classification_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("plain"); // the query's plain form
        const auto row = [](const char* text, WhoIsQueryKind kind, const char* plain) {
            QTest::newRow(text) << QString::fromUtf8(text) << int(kind) << QString::fromUtf8(plain);
        };
        using enum WhoIsQueryKind;
        // clang-format off
        row(" Example.COM. ", Domain, "example.com");
        row("bücher.de", Domain, "xn--bcher-kva.de");
        row("com", Domain, "com");
        row("192.0.2.1", IPv4, "192.0.2.1");
        row("192.0.2.7/24", IPv4, "192.0.2.0/24");
        row("2001:DB8::1", IPv6, "2001:db8::1");
        row("2001:db8:1::/32", IPv6, "2001:db8::/32");
        row("AS64500", AsNumber, "as64500");
        row("as4294967295", AsNumber, "as4294967295");
        row("64500", Refused, "");
        row("AS4294967296", Refused, "");
        row("192.0.2.1/33", Refused, "");
        row("10.1", Refused, "");
        row("not a name!", Refused, "");
        row("", Refused, "");
        // clang-format on
    }

    void classification()
    {
        QFETCH(QString, text);
        const WhoIsQuery query = ClassifyWhoIsQuery(text);
        QTEST(int(query.kind), "kind");
        QTEST(query.PlainText(), "plain");
    }

    // The answer of a server (host[:port]) to a query: the server asked next, or the refusal.
    void referral_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QString>("refusal");
        const auto row = [](const char* tag, const char* asked, const char* query, const char* answer, const char* next,
                            const char* refusal = "") {
            QTest::newRow(tag) << asked << query << answer << next << refusal;
        };
        // clang-format off
        row("IANA refer", "whois.iana.org", "example.com", "refer:  Whois.Verisign-GRS.com\n\nwhois:  whois.other.test\n", "whois.verisign-grs.com");
        row("IANA whois", "whois.iana.org", "example.test", "domain: TEST\nwhois:  whois.nic.test\n", "whois.nic.test");
        row("IANA, none", "whois.iana.org", "example.test", "domain: TEST\nstatus: ACTIVE\n", "");
        row("registrar in the record", "whois.verisign-grs.com", "example.com", "   Domain Name: OTHER.COM\n   Registrar WHOIS Server: whois.wrong.test\n   Domain Name: EXAMPLE.COM\n   Registrar WHOIS Server: whois.registrar.test\n", "whois.registrar.test");
        row("registrar of another record", "whois.verisign-grs.com", "example.com", "Domain Name: EXAMPLE.COM\nDomain Name: OTHER.COM\nRegistrar WHOIS Server: whois.wrong.test\n", "");
        row("registrar for an address", "whois.x.test", "192.0.2.1", "Domain Name: 192.0.2.1\nRegistrar WHOIS Server: whois.wrong.test\n", "");
        row("last ReferralServer, port", "whois.arin.net", "192.0.2.1", "ReferralServer: whois://whois.first.test\nReferralServer: whois://WHOIS.RIPE.NET:4343/\n", "whois.ripe.net:4343");
        row("IPv6 address and port", "whois.arin.net", "192.0.2.1", "ReferralServer: whois://[2001:db8::43]:4343\n", "[2001:db8::43]:4343");
        row("rwhois", "whois.arin.net", "192.0.2.1", "ReferralServer: rwhois://rwhois.example.net:4321/\n", "", "an rwhois server, not whois");
        row("referto", "whois.ripe.net", "192.0.2.1", "% referto: whois -h whois.arin.net -p 43 192.0.2.1\n", "whois.arin.net");
        row("loopback", "whois.iana.org", "192.0.2.1", "refer: 127.0.0.1\n", "", "a loopback address");
        row("link-local", "whois.arin.net", "192.0.2.1", "ReferralServer: whois://[fe80::1]:43\n", "", "a link-local address");
        row("multicast", "whois.iana.org", "192.0.2.1", "refer: 224.0.0.1\n", "", "a multicast address");
        row("a URL", "whois.verisign-grs.com", "example.com", "Domain Name: EXAMPLE.COM\nRegistrar WHOIS Server: http://www.registrar.test/whois\n", "", "not a host name");
        row("port out of range", "whois.iana.org", "example.com", "refer: whois.x.test:65536\n", "", "not a host name");
        row("itself", "whois.registrar.test", "example.com", "Domain Name: example.com\nRegistrar WHOIS Server: whois.registrar.test\n", "");
        // clang-format on
    }

    void referral()
    {
        QFETCH(QString, asked);
        QFETCH(QString, query);
        QFETCH(QString, answer);
        const WhoIsServer server{asked.section(':', 0, 0), std::uint16_t(asked.section(':', 1).toUInt() ?: 43)};
        const WhoIsReferral referral = FindWhoIsReferral(answer, server, ClassifyWhoIsQuery(query));
        QTEST(referral.server ? referral.server->Text() : QString(), "next");
        QTEST(referral.refusal, "refusal");
    }

    void request_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QByteArray>("request");
        // clang-format off
        QTest::newRow("ARIN address") << "whois.arin.net" << "2001:db8::1" << QByteArray("n + 2001:db8::1\r\n");
        QTest::newRow("ARIN network") << "whois.arin.net" << "192.0.2.0/24" << QByteArray("r + = 192.0.2.0/24\r\n");
        QTest::newRow("ARIN AS") << "whois.arin.net" << "AS64500" << QByteArray("a 64500\r\n");
        QTest::newRow("DENIC") << "whois.denic.de" << "bücher.de" << QByteArray("-T dn,ace xn--bcher-kva.de\r\n");
        QTest::newRow("thin registry") << "whois.verisign-grs.com" << "EXAMPLE.NET" << QByteArray("domain example.net\r\n");
        QTest::newRow("plain") << "whois.ripe.net" << "AS64500" << QByteArray("as64500\r\n");
        // clang-format on
    }

    void request()
    {
        QFETCH(QString, server);
        QFETCH(QString, query);
        QTEST(WhoIsRequest(WhoIsServer{server}, ClassifyWhoIsQuery(query)), "request");
    }
};

QTEST_GUILESS_MAIN(TestWhoIsRules)
#include "tst_whoisrules.moc"
