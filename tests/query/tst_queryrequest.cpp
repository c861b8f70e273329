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
    void requestIsUtf8();
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

    const QString none;
    QTest::newRow("finger")
        << QueryFunction::Finger << "john" << "example" << false << none << "example" << 79
        << QByteArray("john\r\n");
    QTest::newRow("finger verbose")
        << QueryFunction::Finger << "john" << "example" << true << none << "example" << 79
        << QByteArray("/W john\r\n");
    QTest::newRow("finger firewall")
        << QueryFunction::Finger << "john" << "example" << false << "gate" << "gate" << 79
        << QByteArray("john@example\r\n");
    QTest::newRow("finger verbose firewall")
        << QueryFunction::Finger << "john" << "example" << true << "gate" << "gate" << 79
        << QByteArray("/W john@example\r\n");
    QTest::newRow("finger empty user")
        << QueryFunction::Finger << "" << "example" << false << none << "example" << 79
        << QByteArray("\r\n");
    QTest::newRow("finger empty user verbose")
        << QueryFunction::Finger << "" << "example" << true << none << "example" << 79
        << QByteArray("/W \r\n");
    QTest::newRow("finger empty user firewall")
        << QueryFunction::Finger << "" << "example" << false << "10.0.0.1" << "10.0.0.1" << 79
        << QByteArray("@example\r\n");
    QTest::newRow("whois")
        << QueryFunction::WhoIs << "example.org" << "whois.example" << false << none
        << "whois.example" << 43 << QByteArray("example.org\r\n");
    QTest::newRow("whois ignores verbose")
        << QueryFunction::WhoIs << "example.org" << "whois.example" << true << none
        << "whois.example" << 43 << QByteArray("example.org\r\n");
    QTest::newRow("whois firewall")
        << QueryFunction::WhoIs << "example.org" << "whois.example" << false << "gate"
        << "gate" << 43 << QByteArray("example.org@whois.example\r\n");
    QTest::newRow("whois empty user")
        << QueryFunction::WhoIs << "" << "whois.example" << false << none << "whois.example"
        << 43 << QByteArray("\r\n");
    QTest::newRow("whois empty user firewall")
        << QueryFunction::WhoIs << "" << "whois.example" << false << "gate" << "gate" << 43
        << QByteArray("@whois.example\r\n");
    QTest::newRow("qod")
        << QueryFunction::QuoteOfDay << "" << "quotes" << false << none << "quotes" << 17
        << QByteArray();
    QTest::newRow("qod has no firewall")
        << QueryFunction::QuoteOfDay << "john" << "quotes" << true << "gate" << "quotes" << 17
        << QByteArray();
    QTest::newRow("host kept unchanged")
        << QueryFunction::Finger << " John " << " Example.ORG " << false << none
        << " Example.ORG " << 79 << QByteArray(" John \r\n");
    QTest::newRow("at sign kept whole without splitting")
        << QueryFunction::Finger << "" << "ann@bob" << false << "gate" << "gate" << 79
        << QByteArray("@ann@bob\r\n");
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

void TestQueryRequest::requestIsUtf8()
{
    const QString user = QStringLiteral("J\u00f6rg");
    const QString host = QStringLiteral("h\u00f4te");
    const auto plan =
        BuildQueryPlan(QueryFields{QueryFunction::Finger, user, host, false, QStringLiteral("gate")});
    QCOMPARE(plan.request, QByteArray("J\xc3\xb6rg@h\xc3\xb4te\r\n"));
}

QTEST_GUILESS_MAIN(TestQueryRequest)
#include "tst_queryrequest.moc"
