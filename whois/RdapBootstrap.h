// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The RDAP bootstrap registries (RFC 9224): which RDAP service answers for
// a domain name, an IPv4 or IPv6 address or prefix, or an AS number. Each of
// the four registries is a JSON file that names its services as pairs of a
// list of entries (domain suffixes, prefixes, AS ranges) and a list of base
// URLs. Only https base URLs are kept; everything read is bounded.

#include "platform/net/IpAddress.h"
#include "whois/WhoIsQuery.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QJsonArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace netsonde {

enum class RdapRegistry { Dns, IPv4, IPv6, Asn };

inline constexpr std::array kRdapRegistries{RdapRegistry::Dns, RdapRegistry::IPv4, RdapRegistry::IPv6,
                                            RdapRegistry::Asn};

// The registry's file name: "dns.json", "ipv4.json", "ipv6.json", "asn.json".
QString RdapRegistryFileName(RdapRegistry registry);

// The registry that answers for a query; none for a refused query.
std::optional<RdapRegistry> RdapRegistryFor(const WhoIsQuery& query);

// One registry file, parsed.
class RdapBootstrapFile {
public:
    static constexpr qsizetype kFileLimit = 4 * 1024 * 1024; // bytes of a registry file
    static constexpr qsizetype kServiceLimit = 10000;        // services of a file
    static constexpr qsizetype kEntryLimit = 100000;         // entries of a file, all services together
    static constexpr qsizetype kUrlLimit = 16;               // base URLs of a service

    // The file's services, or none when the bytes are not a registry file of
    // this kind: too large, not JSON, or without a publication date.
    static std::optional<RdapBootstrapFile> Parse(RdapRegistry registry, QByteArrayView json);

    RdapRegistry Registry() const { return m_registry; }
    // The file's "publication", in UTC.
    const QDateTime& Publication() const { return m_publication; }

    // The https base URLs of the longest match, each ending in "/"; empty
    // when nothing matches or the query is of another registry.
    QStringList BaseUrlsFor(const WhoIsQuery& query) const;

private:
    struct Entry {
        QString suffix;              // Dns: lower-case A-labels, no dots at either end
        IpAddress network;           // IPv4, IPv6
        int length = 0;              // IPv4, IPv6: the prefix length
        quint32 first = 0, last = 0; // Asn: the range
        qsizetype service = 0;       // index into m_urls
    };

    bool AddService(const QJsonArray& entries, const QStringList& urls);
    std::optional<Entry> ParseEntry(const QString& text) const;
    QStringList DomainMatch(const QString& domain) const;
    QStringList PrefixMatch(const IpAddress& address, int length) const;
    QStringList AsMatch(quint32 number) const;

    RdapRegistry m_registry = RdapRegistry::Dns;
    QDateTime m_publication;
    std::vector<Entry> m_entries;
    std::vector<QStringList> m_urls;
};

// The four registries in use: the copies shipped with the program, each
// replaced by the cached copy when that one parses and is newer.
class RdapBootstrap {
public:
    // The shipped copies, and the cached copies in the folder that are newer.
    static RdapBootstrap Load(const QString& cacheFolder);

    QStringList BaseUrlsFor(const WhoIsQuery& query) const;
    // The publication date of the registry in use; invalid when none loaded.
    QDateTime Publication(RdapRegistry registry) const;

private:
    std::array<std::optional<RdapBootstrapFile>, kRdapRegistries.size()> m_files;
};

// The bytes of a file, or empty when it is missing, unreadable or larger than limit.
QByteArray ReadBoundedFile(const QString& path, qsizetype limit);

} // namespace netsonde
