// SPDX-License-Identifier: GPL-3.0-or-later
#include "whois/WhoIsQuery.h"

#include <QRegularExpression>
#include <QUrl>

#include <optional>

namespace netsonde {

namespace {

constexpr int kLongestName = 253;

// The address of a dotted quad of four parts or of an IPv6 literal; the
// short IPv4 forms ("10.1") are no query.
std::optional<IpAddress> ParseStrictAddress(const QString& text)
{
    static const QRegularExpression dottedQuad(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
    if (text.contains(QLatin1Char(':')))
        return ParseIpv6Literal(text.toStdString());
    if (!dottedQuad.match(text).hasMatch())
        return std::nullopt;
    return ParseAddressLiteral(text.toStdString());
}

IpAddress NetworkAddress(const IpAddress& address, int prefixLength)
{
    std::array<std::uint8_t, kIpv6AddressBytes> bytes{};
    const std::span<const std::uint8_t> source = address.Bytes();
    for (std::size_t i = 0; i < source.size(); ++i) {
        const int kept = std::clamp(prefixLength - int(8 * i), 0, 8);
        bytes[i] = source[i] & std::uint8_t(0xff00 >> kept);
    }
    if (!address.IsIPv6())
        return IpAddress::FromIPv4(std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8
                                   | std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24);
    return IpAddress::FromIPv6(bytes);
}

std::optional<WhoIsQuery> AddressQuery(const QString& text)
{
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    const std::optional<IpAddress> address = ParseStrictAddress(slash < 0 ? text : text.left(slash));
    if (!address)
        return std::nullopt;
    const int longest = address->IsIPv6() ? 128 : 32;
    int length = longest;
    if (slash >= 0) {
        static const QRegularExpression digits(QStringLiteral("^\\d{1,3}$"));
        const QString lengthText = text.mid(slash + 1);
        if (!digits.match(lengthText).hasMatch() || lengthText.toInt() > longest)
            return std::nullopt;
        length = lengthText.toInt();
    }
    WhoIsQuery query;
    query.kind = address->IsIPv6() ? WhoIsQueryKind::IPv6 : WhoIsQueryKind::IPv4;
    query.address = NetworkAddress(*address, length);
    query.prefixLength = length;
    return query;
}

std::optional<WhoIsQuery> AsNumberQuery(const QString& text)
{
    static const QRegularExpression asNumber(QStringLiteral("^[Aa][Ss](\\d{1,10})$"));
    const QRegularExpressionMatch match = asNumber.match(text);
    bool ok = false;
    const quint32 number = match.hasMatch() ? match.captured(1).toUInt(&ok) : 0;
    if (!ok)
        return std::nullopt;
    WhoIsQuery query;
    query.kind = WhoIsQueryKind::AsNumber;
    query.asNumber = number;
    return query;
}

// Letters, digits and inner hyphens in labels of 1 to 63 characters.
std::optional<WhoIsQuery> DomainQuery(const QString& text)
{
    static const QRegularExpression name(
        QStringLiteral("^([a-z0-9]([a-z0-9-]{0,61}[a-z0-9])?\\.)*[a-z0-9]([a-z0-9-]{0,61}[a-z0-9])?$"));
    QString domain = QString::fromLatin1(QUrl::toAce(text)).toLower();
    if (domain.endsWith(QLatin1Char('.')))
        domain.chop(1);
    if (domain.size() > kLongestName || !name.match(domain).hasMatch())
        return std::nullopt;
    // Digits alone, or "as" and digits, are no name.
    static const QRegularExpression numeric(QStringLiteral("^(as)?[0-9.]+$"));
    if (numeric.match(domain).hasMatch())
        return std::nullopt;
    WhoIsQuery query;
    query.kind = WhoIsQueryKind::Domain;
    query.domain = domain;
    return query;
}

} // namespace

bool WhoIsQuery::IsPrefix() const
{
    return (kind == WhoIsQueryKind::IPv4 && prefixLength < 32) || (kind == WhoIsQueryKind::IPv6 && prefixLength < 128);
}

QString WhoIsQuery::PlainText() const
{
    switch (kind) {
    case WhoIsQueryKind::Domain:
        return domain;
    case WhoIsQueryKind::IPv4:
    case WhoIsQueryKind::IPv6: {
        const QString shown = QString::fromStdString(IpAddressText(address));
        return IsPrefix() ? shown + QLatin1Char('/') + QString::number(prefixLength) : shown;
    }
    case WhoIsQueryKind::AsNumber:
        return QStringLiteral("as") + QString::number(asNumber);
    case WhoIsQueryKind::Refused:
        break;
    }
    return {};
}

bool NamesAutomaticMode(const QString& host)
{
    const QString trimmed = host.trimmed();
    return trimmed.isEmpty() || trimmed.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0;
}

WhoIsQuery ClassifyWhoIsQuery(const QString& text)
{
    const QString trimmed = text.trimmed();
    std::optional<WhoIsQuery> query = AddressQuery(trimmed);
    if (!query)
        query = AsNumberQuery(trimmed);
    if (!query && !trimmed.isEmpty())
        query = DomainQuery(trimmed);
    WhoIsQuery classified = query.value_or(WhoIsQuery{});
    classified.text = text;
    return classified;
}

} // namespace netsonde
