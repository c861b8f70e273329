// SPDX-License-Identifier: GPL-3.0-or-later
// The RDAP bootstrap matcher over registry files of each kind, and the
// readable text of RDAP answers of each kind and of broken shapes.

#include "whois/RdapBootstrap.h"
#include "whois/RdapText.h"

#include <QtTest>

using namespace netsonde;

namespace {

WhoIsQuery Domain(const char* name)
{
    WhoIsQuery query;
    query.kind = WhoIsQueryKind::Domain;
    query.domain = QString::fromLatin1(name);
    return query;
}

WhoIsQuery Prefix(const char* text, int length)
{
    const std::optional<IpAddress> address = ParseAddressLiteral(text);
    WhoIsQuery query;
    query.kind = address && address->IsIPv6() ? WhoIsQueryKind::IPv6 : WhoIsQueryKind::IPv4;
    query.address = address.value_or(IpAddress{});
    query.prefixLength = length;
    return query;
}

WhoIsQuery As(quint32 number)
{
    WhoIsQuery query;
    query.kind = WhoIsQueryKind::AsNumber;
    query.asNumber = number;
    return query;
}

QByteArray File(const char* services)
{
    return QByteArray(R"({"publication":"2026-11-30T19:00:01Z","services":)") + services + "}";
}

} // namespace

Q_DECLARE_METATYPE(RdapRegistry)
Q_DECLARE_METATYPE(WhoIsQuery)

class TestRdap : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bootstrapMatch_data();
    void bootstrapMatch();
    void readableText_data();
    void readableText();
};

void TestRdap::bootstrapMatch_data()
{
    // clang-format off
    QTest::addColumn<RdapRegistry>("registry");
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<WhoIsQuery>("query");
    QTest::addColumn<QStringList>("urls"); // {"unparsed"}: the file does not parse
    const QByteArray dns = File(R"([[["uk"],["https://uk.test/"]],[["co.uk","Example."],["https://co.test","https://b.test/"]],[["org"],["http://plain.test/"]],[["com"],["http://c.test/","https://c.test/"]]])");
    const QByteArray v4 = File(R"([[["10.0.0.0/8"],["https://wide.test/"]],[["10.1.0.0/16","bad/8","::/0"],["https://narrow.test/"]]])");
    const QByteArray v6 = File(R"([[["2001:db8::/32"],["https://v6.test/"]],[["2001:db8:1::/48"],["https://v6narrow.test/"]]])");
    const QByteArray asn = File(R"([[["1-1000"],["https://wide.test/"]],[["64-64","70-69","x-9"],["https://one.test/"]]])");
    QTest::newRow("domain, longest suffix") << RdapRegistry::Dns << dns << Domain("www.shop.co.uk") << QStringList{"https://co.test/", "https://b.test/"};
    QTest::newRow("domain, shorter suffix") << RdapRegistry::Dns << dns << Domain("shop.uk") << QStringList{"https://uk.test/"};
    QTest::newRow("domain, label-wise only") << RdapRegistry::Dns << dns << Domain("xco.uk") << QStringList{"https://uk.test/"};
    QTest::newRow("domain, entry in upper case") << RdapRegistry::Dns << dns << Domain("a.example") << QStringList{"https://co.test/", "https://b.test/"};
    QTest::newRow("domain, http dropped") << RdapRegistry::Dns << dns << Domain("a.com") << QStringList{"https://c.test/"};
    QTest::newRow("domain, http only") << RdapRegistry::Dns << dns << Domain("a.org") << QStringList{};
    QTest::newRow("domain, no match") << RdapRegistry::Dns << dns << Domain("a.net") << QStringList{};
    QTest::newRow("domain file, address query") << RdapRegistry::Dns << dns << Prefix("10.1.2.3", 32) << QStringList{};
    QTest::newRow("ipv4, longest prefix") << RdapRegistry::IPv4 << v4 << Prefix("10.1.2.3", 32) << QStringList{"https://narrow.test/"};
    QTest::newRow("ipv4, query prefix inside") << RdapRegistry::IPv4 << v4 << Prefix("10.1.0.0", 16) << QStringList{"https://narrow.test/"};
    QTest::newRow("ipv4, query prefix wider") << RdapRegistry::IPv4 << v4 << Prefix("10.0.0.0", 12) << QStringList{"https://wide.test/"};
    QTest::newRow("ipv4, no match") << RdapRegistry::IPv4 << v4 << Prefix("11.0.0.1", 32) << QStringList{};
    QTest::newRow("ipv6, longest prefix") << RdapRegistry::IPv6 << v6 << Prefix("2001:db8:1::5", 128) << QStringList{"https://v6narrow.test/"};
    QTest::newRow("ipv6, other /48") << RdapRegistry::IPv6 << v6 << Prefix("2001:db8:2::", 48) << QStringList{"https://v6.test/"};
    QTest::newRow("ipv6, no match") << RdapRegistry::IPv6 << v6 << Prefix("2001:db9::", 128) << QStringList{};
    QTest::newRow("as, narrowest range") << RdapRegistry::Asn << asn << As(64) << QStringList{"https://one.test/"};
    QTest::newRow("as, range ends") << RdapRegistry::Asn << asn << As(1000) << QStringList{"https://wide.test/"};
    QTest::newRow("as, outside") << RdapRegistry::Asn << asn << As(1001) << QStringList{};
    QTest::newRow("no publication") << RdapRegistry::Dns << QByteArray(R"({"services":[]})") << Domain("a.uk") << QStringList{"unparsed"};
    QTest::newRow("not json") << RdapRegistry::Dns << QByteArray("[1,") << Domain("a.uk") << QStringList{"unparsed"};
    QTest::newRow("too large") << RdapRegistry::Dns << File(QByteArray(5 << 20, ' ').constData()) << Domain("a.uk") << QStringList{"unparsed"};
    QTest::newRow("wrong shapes") << RdapRegistry::Dns << File(R"([7,[7,7],[["uk"]],[["uk"],[7,{}]],[[7,"uk"],["https://u.test/"]]])") << Domain("a.uk") << QStringList{"https://u.test/"};
    // clang-format on
}

void TestRdap::bootstrapMatch()
{
    QFETCH(RdapRegistry, registry);
    QFETCH(QByteArray, json);
    QFETCH(WhoIsQuery, query);
    QFETCH(QStringList, urls);
    const std::optional<RdapBootstrapFile> file = RdapBootstrapFile::Parse(registry, json);
    QCOMPARE(file.has_value(), urls != QStringList{"unparsed"});
    if (!file)
        return;
    QCOMPARE(file->Publication(), QDateTime(QDate(2026, 11, 30), QTime(19, 0, 1), Qt::UTC));
    QCOMPARE(file->BaseUrlsFor(query), urls);
}

void TestRdap::readableText_data()
{
    // clang-format off
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    const QByteArray card = R"("vcardArray":["vcard",[["version",{},"text","4.0"],["fn",{},"text","Ann Example"],["org",{},"text","Example Ltd"],["email",{},"text","ann@example.test"],["tel",{},"uri","tel:+1.5550100"],["adr",{},"text",["","","1 Main St",["Town","Shire"],"","","GB"]]]])";
    QTest::newRow("domain") << 200 << QByteArray(R"({"objectClassName":"domain","ldhName":"xn--caf-dma.test","unicodeName":"café.test","status":["active","client transfer prohibited"],
        "entities":[{"roles":["registrar"],"publicIds":[{"type":"IANA Registrar ID","identifier":"292"}],"vcardArray":["vcard",[["fn",{},"text","Reg Inc"]]],
          "entities":[{"roles":["abuse"],"vcardArray":["vcard",[["email",{},"text","abuse@reg.test"]]]}]},
          {"roles":["registrant","technical"],)" + card + R"(}],
        "events":[{"eventAction":"last changed","eventDate":"2026-01-03"},{"eventAction":"registration","eventDate":"2001-01-01"},{"eventAction":"expiration","eventDate":"2027-01-01"}],
        "nameservers":[{"ldhName":"ns1.test"},{"ldhName":"ns2.test"}],
        "secureDNS":{"delegationSigned":true,"dsData":[{"keyTag":370,"algorithm":13,"digestType":2,"digest":"AB12"}]},
        "remarks":[{"title":"Note","description":["Line one"]}],"notices":[{"title":"Terms","description":["Use with care"]}]})")
        << "Domain name: café.test\r\nASCII name: xn--caf-dma.test\r\nStatus: active, client transfer prohibited\r\nRegistrar: Reg Inc\r\n"
           "Registrar IANA ID: 292\r\nRegistered: 2001-01-01\r\nExpires: 2027-01-01\r\nLast changed: 2026-01-03\r\nName server: ns1.test\r\n"
           "Name server: ns2.test\r\nDNSSEC: signed\r\nDS record: 370 13 2 AB12\r\nAbuse contact email: abuse@reg.test\r\n"
           "Registrant: Ann Example\r\nRegistrant org: Example Ltd\r\nRegistrant email: ann@example.test\r\nRegistrant tel: +1.5550100\r\n"
           "Registrant adr: 1 Main St, Town Shire, GB\r\nTechnical contact: Ann Example\r\nTechnical contact org: Example Ltd\r\n"
           "Technical contact email: ann@example.test\r\nTechnical contact tel: +1.5550100\r\nTechnical contact adr: 1 Main St, Town Shire, GB\r\n"
           "Remark: Note\r\nRemark: Line one\r\nNotice: Terms\r\nNotice: Use with care\r\n";
    QTest::newRow("network") << 200 << QByteArray(R"({"objectClassName":"ip network","startAddress":"192.0.2.0","endAddress":"192.0.2.255","cidr0_cidrs":[{"v4prefix":"192.0.2.0","length":24}],
        "name":"TEST-NET-1","type":"ASSIGNMENT","country":"ZZ","parentHandle":"NET-192-0-0-0-1","entities":[{"roles":["abuse"],"vcardArray":["vcard",[["fn",{},"text","Abuse Desk"],["email",{},"text","abuse@net.test"]]]}]})")
        << "Range: 192.0.2.0 - 192.0.2.255\r\nCIDR: 192.0.2.0/24\r\nName: TEST-NET-1\r\nType: ASSIGNMENT\r\nCountry: ZZ\r\nParent: NET-192-0-0-0-1\r\n"
           "Abuse contact: Abuse Desk\r\nAbuse contact email: abuse@net.test\r\n";
    QTest::newRow("autnum") << 200 << QByteArray(R"({"objectClassName":"autnum","startAutnum":64496,"endAutnum":64511,"name":"AS-DOC","country":"ZZ"})")
        << "AS range: 64496-64511\r\nName: AS-DOC\r\nCountry: ZZ\r\n";
    QTest::newRow("redaction") << 200 << QByteArray(R"({"objectClassName":"domain","ldhName":"r.test","entities":[{"roles":["registrant"],"remarks":[{"title":"REDACTED FOR PRIVACY"}]}],
        "redacted":[{"name":{"type":"Registrant Name"},"reason":{"description":"Server policy"},"method":"removal"},{"name":{"description":"Tech Email"}}]})")
        << "Domain name: r.test\r\nRegistrant remark: REDACTED FOR PRIVACY\r\nRedacted: Registrant Name (Server policy)\r\nRedacted: Tech Email\r\n";
    QTest::newRow("not found") << 404 << QByteArray("{}") << "The server has no registration for example.test\r\n";
    QTest::newRow("server error") << 503 << QByteArray(R"({"errorCode":503,"title":"Down"})") << "The server answered HTTP 503\r\nServer message: Down\r\n";
    QTest::newRow("not an object") << 200 << QByteArray("[1,2]") << "The answer is not an RDAP object\r\n";
    QTest::newRow("nothing readable") << 200 << QByteArray(R"({"objectClassName":7,"cidr0_cidrs":[7]})") << "The answer holds nothing to show\r\n";
    QTest::newRow("wrong types") << 200 << QByteArray(R"({"objectClassName":"autnum","startAutnum":1e300,"name":["x"],"country":7,"status":"active","remarks":{"title":"x"},
        "entities":[{"roles":"abuse"},{"roles":[7],"vcardArray":["vcard",[["fn"],["fn",{},"text",{}],7]]}]})")
        << "Status: active\r\n";
    QTest::newRow("lines kept apart") << 200 << QByteArray(R"({"objectClassName":"x","handle":"H\r\nForged: yes\u0000"})")
        << "Object: x\r\nHandle: H  Forged: yes\r\n";
    // clang-format on
}

void TestRdap::readableText()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QTEST(RdapReadableText({status, body, {}, QStringLiteral("example.test")}), "text");
}

QTEST_GUILESS_MAIN(TestRdap)
#include "tst_rdap.moc"
