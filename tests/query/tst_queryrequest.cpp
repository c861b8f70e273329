// SPDX-License-Identifier: GPL-3.0-or-later
#include "query/QueryRequest.h"

#include <QTest>

using netsonde::BuildQueryPlan;
using netsonde::QueryFields;
using netsonde::QueryFunction;

class TestQueryRequest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void plan_data();
    void plan();
};

void TestQueryRequest::plan_data()
{
    QTest::addColumn<QueryFunction>("function");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("verbose");
    QTest::addColumn<QString>("firewall");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("request");
    const auto row = [](const char* tag, QueryFunction function, const QString& user, const QString& host, bool verbose,
                        const QString& firewall, const QString& target, int port, const QByteArray& request) {
        QTest::newRow(tag) << function << user << host << verbose << firewall << target << port << request;
    };
    const auto finger = QueryFunction::Finger;
    const auto whoIs = QueryFunction::WhoIs;
    const auto quote = QueryFunction::QuoteOfDay;
    row("finger", finger, "john", "example", false, "", "example", 79, "john\r\n");
    row("finger verbose", finger, "john", "example", true, "", "example", 79, "/W john\r\n");
    row("finger firewall", finger, "john", "example", false, "gate", "gate", 79, "john@example\r\n");
    row("finger verbose firewall", finger, "john", "example", true, "gate", "gate", 79, "/W john@example\r\n");
    row("finger empty user", finger, "", "example", false, "", "example", 79, "\r\n");
    row("finger empty user verbose", finger, "", "example", true, "", "example", 79, "/W \r\n");
    row("finger empty user firewall", finger, "", "example", false, "10.0.0.1", "10.0.0.1", 79, "@example\r\n");
    row("whois", whoIs, "example.org", "whois.example", false, "", "whois.example", 43, "example.org\r\n");
    row("whois ignores verbose", whoIs, "example.org", "whois.example", true, "", "whois.example", 43,
        "example.org\r\n");
    row("whois firewall", whoIs, "example.org", "whois.example", false, "gate", "gate", 43,
        "example.org@whois.example\r\n");
    row("whois empty user", whoIs, "", "whois.example", false, "", "whois.example", 43, "\r\n");
    row("whois empty user firewall", whoIs, "", "whois.example", false, "gate", "gate", 43, "@whois.example\r\n");
    row("qod", quote, "", "quotes", false, "", "quotes", 17, "");
    row("qod has no firewall", quote, "john", "quotes", true, "gate", "quotes", 17, "");
    row("host kept unchanged", finger, " John ", " Example.ORG ", false, "", " Example.ORG ", 79, " John \r\n");
    row("at sign kept whole", finger, "", "ann@bob", false, "gate", "gate", 79, "@ann@bob\r\n");
    row("request is UTF-8", finger, "J\u00f6rg", "h\u00f4te", false, "gate", "gate", 79,
        "J\xc3\xb6rg@h\xc3\xb4te\r\n");
}

void TestQueryRequest::plan()
{
    QFETCH(QueryFunction, function);
    QFETCH(QString, user);
    QFETCH(QString, host);
    QFETCH(bool, verbose);
    QFETCH(QString, firewall);
    const auto plan = BuildQueryPlan(QueryFields{function, user, host, verbose, firewall});
    QTEST(plan.targetHost, "target");
    QTEST(int(plan.port), "port");
    QTEST(plan.request, "request");
}

QTEST_GUILESS_MAIN(TestQueryRequest)
#include "tst_queryrequest.moc"
