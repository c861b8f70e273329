// SPDX-License-Identifier: GPL-3.0-or-later
#include "whois/WhoIsReferrals.h"

#include <QList>
#include <QRegularExpression>

namespace netsonde {

namespace {

using namespace Qt::Literals::StringLiterals;

bool IsServer(const WhoIsServer& server, QLatin1StringView host)
{
    return server.host == host;
}

// The value of every line "key: value" (the key in any case, spaces around
// the line allowed), in their order.
QStringList ValuesOf(QStringView answer, QLatin1StringView key)
{
    QStringList values;
    for (QStringView line : answer.split(u'\n')) {
        line = line.trimmed();
        if (line.size() > key.size() && line.startsWith(key, Qt::CaseInsensitive) && line.at(key.size()) == u':')
            values << line.mid(key.size() + 1).trimmed().toString();
    }
    return values;
}

bool IsHostName(const QString& host)
{
    static const QRegularExpression name(
        u"^([a-z0-9_]([a-z0-9_-]{0,61}[a-z0-9])?\\.)*[a-z]([a-z0-9-]{0,61}[a-z0-9])?$"_s);
    return host.size() <= 253 && name.match(host).hasMatch();
}

// "host", "host:port", "[v6]" or "[v6]:port"; a bare IPv6 address has no
// port. The port is empty when none is given, the host empty when the text
// has no such form.
std::pair<QString, QString> SplitHostAndPort(const QString& target)
{
    if (target.startsWith(u'[')) {
        const qsizetype close = target.indexOf(u']');
        const QString rest = close < 0 ? QString() : target.mid(close + 1);
        if (close < 0 || (!rest.isEmpty() && !rest.startsWith(u':')))
            return {};
        return {target.mid(1, close - 1), rest.mid(1)};
    }
    if (target.count(u':') == 1)
        return {target.section(u':', 0, 0), target.section(u':', 1)};
    return {target, {}};
}

std::optional<std::uint16_t> PortOf(const QString& text)
{
    static const QRegularExpression digits(u"^\\d{1,5}$"_s);
    if (text.isEmpty())
        return kWhoIsPort;
    const int port = digits.match(text).hasMatch() ? text.toInt() : 0;
    return port >= 1 && port <= 65535 ? std::optional<std::uint16_t>(port) : std::nullopt;
}

// The address of a dotted quad of four parts or of an IPv6 address.
std::optional<IpAddress> AddressOf(const QString& host)
{
    if (host.contains(u':'))
        return ParseIpv6Literal(host.toStdString());
    return host.count(u'.') == 3 ? ParseAddressLiteral(host.toStdString()) : std::nullopt;
}

WhoIsReferral ParseTarget(const QString& target)
{
    WhoIsReferral referral{target, std::nullopt, {}};
    auto [host, portText] = SplitHostAndPort(target);
    host = host.toLower();
    if (host.endsWith(u'.'))
        host.chop(1);
    const std::optional<std::uint16_t> port = PortOf(portText);
    const std::optional<IpAddress> address = AddressOf(host);
    if (!port || (!address && !IsHostName(host))) {
        referral.refusal = u"not a host name"_s;
        return referral;
    }
    if (address) {
        referral.refusal = RefusedWhoIsAddress(*address);
        host = QString::fromStdString(IpAddressText(*address));
    }
    if (referral.refusal.isEmpty())
        referral.server = WhoIsServer{host, *port};
    return referral;
}

// "whois://host[:port][/...]"; any other scheme is refused.
WhoIsReferral ParseReferralServer(const QString& value)
{
    const qsizetype scheme = value.indexOf(u"://"_s);
    const QString name = scheme < 0 ? QString() : value.left(scheme).toLower();
    if (name != u"whois"_s)
        return {value, std::nullopt, name == u"rwhois"_s ? u"an rwhois server, not whois"_s : u"not a whois URL"_s};
    const QString rest = value.mid(scheme + 3);
    WhoIsReferral referral = ParseTarget(rest.left(rest.indexOf(u'/')));
    referral.target = value;
    return referral;
}

WhoIsReferral ParseReferTo(const QString& line)
{
    static const QRegularExpression referTo(u"^%\\s*referto:\\s*whois\\s+-h\\s+(\\S+)\\s+-p\\s+(\\d{1,5})(\\s|$)"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = referTo.match(line);
    if (!match.hasMatch())
        return {};
    const QString target = match.captured(1) + u':' + match.captured(2);
    return ParseTarget(target);
}

// "Registrar WHOIS Server:" after "Domain Name: DOMAIN" and before the next
// record's "Domain Name:".
QString RegistrarServer(QStringView answer, const QString& domain)
{
    bool inRecord = false;
    for (QStringView line : answer.split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u"Domain Name:"_s, Qt::CaseInsensitive))
            inRecord = line.mid(12).trimmed().compare(domain, Qt::CaseInsensitive) == 0;
        else if (inRecord && line.startsWith(u"Registrar WHOIS Server:"_s, Qt::CaseInsensitive))
            return line.mid(23).trimmed().toString();
    }
    return {};
}

WhoIsReferral FindTarget(QStringView answer, const WhoIsServer& asked, const WhoIsQuery& query)
{
    if (IsServer(asked, QLatin1StringView(kFirstWhoIsServer))) {
        QStringList values = ValuesOf(answer, "refer"_L1);
        if (values.isEmpty())
            values = ValuesOf(answer, "whois"_L1);
        return values.isEmpty() ? WhoIsReferral{} : ParseTarget(values.first());
    }
    if (const QStringList values = ValuesOf(answer, "ReferralServer"_L1); !values.isEmpty())
        return ParseReferralServer(values.last());
    for (QStringView line : answer.split(u'\n')) {
        if (WhoIsReferral referral = ParseReferTo(line.trimmed().toString()); !referral.target.isEmpty())
            return referral;
    }
    if (query.kind != WhoIsQueryKind::Domain)
        return {};
    const QString registrar = RegistrarServer(answer, query.domain);
    return registrar.isEmpty() ? WhoIsReferral{} : ParseTarget(registrar);
}

QString ArinRequest(const WhoIsQuery& query)
{
    if (query.kind == WhoIsQueryKind::AsNumber)
        return u"a "_s + QString::number(query.asNumber);
    return (query.IsPrefix() ? u"r + = "_s : u"n + "_s) + query.PlainText();
}

} // namespace

QString WhoIsServer::Text() const
{
    const QString shown = host.contains(u':') ? u'[' + host + u']' : host;
    return port == kWhoIsPort && shown == host ? host : shown + u':' + QString::number(port);
}

QByteArray WhoIsRequest(const WhoIsServer& server, const WhoIsQuery& query)
{
    QString request = query.PlainText();
    if (IsServer(server, "whois.arin.net"_L1) && query.kind != WhoIsQueryKind::Domain)
        request = ArinRequest(query);
    else if (IsServer(server, "whois.denic.de"_L1) && query.kind == WhoIsQueryKind::Domain)
        request = u"-T dn,ace "_s + query.domain;
    else if (IsServer(server, "whois.verisign-grs.com"_L1) && query.kind == WhoIsQueryKind::Domain)
        request = u"domain "_s + query.domain;
    return request.toLatin1() + "\r\n";
}

WhoIsReferral FindWhoIsReferral(QStringView answer, const WhoIsServer& asked, const WhoIsQuery& query)
{
    WhoIsReferral referral = FindTarget(answer, asked, query);
    if (referral.server == asked)
        return {};
    return referral;
}

QString RefusedWhoIsAddress(const IpAddress& address)
{
    const std::span<const std::uint8_t> bytes = address.Bytes();
    if (!address.IsIPv6()) {
        if (bytes[0] == 127)
            return u"a loopback address"_s;
        if (bytes[0] == 169 && bytes[1] == 254)
            return u"a link-local address"_s;
        if (bytes[0] >= 224 && bytes[0] <= 239)
            return u"a multicast address"_s;
        return bytes[0] == 0 ? u"an unspecified address"_s : QString();
    }
    static const IpAddress loopback = *ParseIpv6Literal("::1");
    static const IpAddress unspecified = *ParseIpv6Literal("::");
    if (address == loopback)
        return u"a loopback address"_s;
    if (bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0x80)
        return u"a link-local address"_s;
    if (bytes[0] == 0xff)
        return u"a multicast address"_s;
    return address == unspecified ? u"an unspecified address"_s : QString();
}

} // namespace netsonde
