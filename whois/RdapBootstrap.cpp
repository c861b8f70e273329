// SPDX-License-Identifier: GPL-3.0-or-later
#include "whois/RdapBootstrap.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

#include <algorithm>

namespace netsonde {

namespace {

constexpr qsizetype kEntryTextLimit = 255;

int BitCount(RdapRegistry registry)
{
    return registry == RdapRegistry::IPv4 ? 32 : 128;
}

std::optional<IpAddress> ToIpAddress(const QHostAddress& host)
{
    if (host.protocol() == QAbstractSocket::IPv4Protocol)
        return IpAddress::FromIPv4(qToBigEndian(host.toIPv4Address()));
    if (host.protocol() != QAbstractSocket::IPv6Protocol)
        return std::nullopt;
    const Q_IPV6ADDR bytes = host.toIPv6Address();
    return IpAddress::FromIPv6(std::span<const std::uint8_t, kIpv6AddressBytes>(bytes.c, kIpv6AddressBytes));
}

// Whether the first bits of both addresses are the same.
bool SameLeadingBits(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b, int bits)
{
    for (std::size_t index = 0; bits > 0 && index < a.size() && index < b.size(); ++index, bits -= 8) {
        const auto mask = static_cast<std::uint8_t>(bits >= 8 ? 0xff : 0xff << (8 - bits));
        if ((a[index] & mask) != (b[index] & mask))
            return false;
    }
    return true;
}

// The base URLs that the registries accept: https only, each ending in "/".
QStringList HttpsUrls(const QJsonArray& urls)
{
    QStringList kept;
    for (const QJsonValue& url : urls) {
        QString text = url.toString();
        if (!text.startsWith(QLatin1String("https://")) || text.size() > kEntryTextLimit * 4)
            continue;
        if (!text.endsWith(QLatin1Char('/')))
            text += QLatin1Char('/');
        kept << text;
        if (kept.size() == RdapBootstrapFile::kUrlLimit)
            break;
    }
    return kept;
}

} // namespace

QString RdapRegistryFileName(RdapRegistry registry)
{
    switch (registry) {
    case RdapRegistry::Dns:
        return QStringLiteral("dns.json");
    case RdapRegistry::IPv4:
        return QStringLiteral("ipv4.json");
    case RdapRegistry::IPv6:
        return QStringLiteral("ipv6.json");
    case RdapRegistry::Asn:
        break;
    }
    return QStringLiteral("asn.json");
}

std::optional<RdapRegistry> RdapRegistryFor(const WhoIsQuery& query)
{
    switch (query.kind) {
    case WhoIsQueryKind::Domain:
        return RdapRegistry::Dns;
    case WhoIsQueryKind::IPv4:
        return RdapRegistry::IPv4;
    case WhoIsQueryKind::IPv6:
        return RdapRegistry::IPv6;
    case WhoIsQueryKind::AsNumber:
        return RdapRegistry::Asn;
    case WhoIsQueryKind::Refused:
        break;
    }
    return std::nullopt;
}

std::optional<RdapBootstrapFile> RdapBootstrapFile::Parse(RdapRegistry registry, QByteArrayView json)
{
    if (json.size() > kFileLimit)
        return std::nullopt;
    const QJsonObject root = QJsonDocument::fromJson(json.toByteArray()).object();
    RdapBootstrapFile file;
    file.m_registry = registry;
    file.m_publication = QDateTime::fromString(root.value(QLatin1String("publication")).toString(), Qt::ISODate);
    if (!file.m_publication.isValid())
        return std::nullopt;
    file.m_publication = file.m_publication.toUTC();
    const QJsonArray services = root.value(QLatin1String("services")).toArray();
    for (qsizetype index = 0; index < services.size() && index < kServiceLimit; ++index) {
        const QJsonArray service = services.at(index).toArray();
        if (!file.AddService(service.at(0).toArray(), HttpsUrls(service.at(1).toArray())))
            break;
    }
    return file;
}

// False once the file holds as many entries as it may.
bool RdapBootstrapFile::AddService(const QJsonArray& entries, const QStringList& urls)
{
    if (urls.isEmpty())
        return true;
    m_urls.push_back(urls);
    for (const QJsonValue& value : entries) {
        if (static_cast<qsizetype>(m_entries.size()) >= kEntryLimit)
            return false;
        if (std::optional<Entry> entry = ParseEntry(value.toString())) {
            entry->service = static_cast<qsizetype>(m_urls.size()) - 1;
            m_entries.push_back(*entry);
        }
    }
    return true;
}

std::optional<RdapBootstrapFile::Entry> RdapBootstrapFile::ParseEntry(const QString& text) const
{
    if (text.isEmpty() || text.size() > kEntryTextLimit)
        return std::nullopt;
    Entry entry;
    if (m_registry == RdapRegistry::Dns) {
        entry.suffix = text.toLower();
        while (entry.suffix.endsWith(QLatin1Char('.')))
            entry.suffix.chop(1);
        if (entry.suffix.isEmpty() || entry.suffix.startsWith(QLatin1Char('.')))
            return std::nullopt;
        return entry;
    }
    if (m_registry == RdapRegistry::Asn) {
        const QStringList bounds = text.split(QLatin1Char('-'));
        bool firstOk = false, lastOk = false;
        entry.first = bounds.value(0).toUInt(&firstOk);
        entry.last = bounds.value(bounds.size() - 1).toUInt(&lastOk);
        if (bounds.size() > 2 || !firstOk || !lastOk || entry.first > entry.last)
            return std::nullopt;
        return entry;
    }
    const auto [host, length] = QHostAddress::parseSubnet(text);
    const std::optional<IpAddress> network = ToIpAddress(host);
    const IpFamily family = m_registry == RdapRegistry::IPv4 ? IpFamily::IPv4 : IpFamily::IPv6;
    if (!network || network->Family() != family || length < 0 || length > BitCount(m_registry))
        return std::nullopt;
    entry.network = *network;
    entry.length = length;
    return entry;
}

QStringList RdapBootstrapFile::BaseUrlsFor(const WhoIsQuery& query) const
{
    if (RdapRegistryFor(query) != m_registry)
        return {};
    switch (m_registry) {
    case RdapRegistry::Dns:
        return DomainMatch(query.domain.toLower());
    case RdapRegistry::IPv4:
    case RdapRegistry::IPv6:
        return PrefixMatch(query.address, query.prefixLength);
    case RdapRegistry::Asn:
        break;
    }
    return AsMatch(query.asNumber);
}

// The entry with the most labels that is the name or ends it label-wise.
QStringList RdapBootstrapFile::DomainMatch(const QString& domain) const
{
    const Entry* best = nullptr;
    for (const Entry& entry : m_entries) {
        const bool matches = domain == entry.suffix
                             || (domain.endsWith(entry.suffix) && domain.size() > entry.suffix.size()
                                 && domain.at(domain.size() - entry.suffix.size() - 1) == QLatin1Char('.'));
        if (matches && (!best || entry.suffix.size() > best->suffix.size()))
            best = &entry;
    }
    return best ? m_urls[best->service] : QStringList();
}

// The longest prefix that holds the query's whole prefix.
QStringList RdapBootstrapFile::PrefixMatch(const IpAddress& address, int length) const
{
    const Entry* best = nullptr;
    for (const Entry& entry : m_entries) {
        const bool holds = entry.network.Family() == address.Family() && entry.length <= length
                           && SameLeadingBits(entry.network.Bytes(), address.Bytes(), entry.length);
        if (holds && (!best || entry.length > best->length))
            best = &entry;
    }
    return best ? m_urls[best->service] : QStringList();
}

// The narrowest range that holds the number.
QStringList RdapBootstrapFile::AsMatch(quint32 number) const
{
    const Entry* best = nullptr;
    for (const Entry& entry : m_entries) {
        const bool holds = entry.first <= number && number <= entry.last;
        if (holds && (!best || entry.last - entry.first < best->last - best->first))
            best = &entry;
    }
    return best ? m_urls[best->service] : QStringList();
}

QByteArray ReadBoundedFile(const QString& path, qsizetype limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.read(limit + 1);
    return bytes.size() > limit ? QByteArray() : bytes;
}

RdapBootstrap RdapBootstrap::Load(const QString& cacheFolder)
{
    RdapBootstrap bootstrap;
    for (std::size_t index = 0; index < kRdapRegistries.size(); ++index) {
        const RdapRegistry registry = kRdapRegistries[index];
        const QString name = RdapRegistryFileName(registry);
        const qsizetype limit = RdapBootstrapFile::kFileLimit;
        auto shipped = RdapBootstrapFile::Parse(registry, ReadBoundedFile(":/rdap/" + name, limit));
        auto cached = RdapBootstrapFile::Parse(registry, ReadBoundedFile(QDir(cacheFolder).filePath(name), limit));
        const bool cacheIsNewer = cached && (!shipped || cached->Publication() > shipped->Publication());
        bootstrap.m_files[index] = cacheIsNewer ? std::move(cached) : std::move(shipped);
    }
    return bootstrap;
}

QStringList RdapBootstrap::BaseUrlsFor(const WhoIsQuery& query) const
{
    for (const std::optional<RdapBootstrapFile>& file : m_files) {
        if (file && RdapRegistryFor(query) == file->Registry())
            return file->BaseUrlsFor(query);
    }
    return {};
}

QDateTime RdapBootstrap::Publication(RdapRegistry registry) const
{
    const auto index = static_cast<std::size_t>(std::find(kRdapRegistries.begin(), kRdapRegistries.end(), registry)
                                                - kRdapRegistries.begin());
    return m_files[index] ? m_files[index]->Publication() : QDateTime();
}

} // namespace netsonde
