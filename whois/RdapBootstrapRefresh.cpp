// SPDX-License-Identifier: GPL-3.0-or-later
#include "whois/RdapBootstrapRefresh.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>
#include <QStandardPaths>

#include <map>

namespace netsonde {

namespace {

constexpr int kTransferTimeoutMs = 15000;

// When this process last started a download of each registry.
std::map<RdapRegistry, QDateTime> s_lastAttempts;

QString IanaUrl(RdapRegistry registry)
{
    return QStringLiteral("https://data.iana.org/rdap/") + RdapRegistryFileName(registry);
}

bool IsOlderThanMaxAge(const QDateTime& time)
{
    return !time.isValid() || time.addDays(RdapBootstrapRefresh::kMaxAgeDays) < QDateTime::currentDateTimeUtc();
}

} // namespace

RdapBootstrapRefresh::RdapBootstrapRefresh(QNetworkAccessManager& network, QObject* parent)
    : QObject(parent), m_network(network)
{
}

QString RdapBootstrapRefresh::CacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/Korvelin/rdap");
}

void RdapBootstrapRefresh::RefreshIfDue()
{
    for (const RdapRegistry registry : kRdapRegistries) {
        if (IsDue(registry))
            Fetch(registry);
    }
}

bool RdapBootstrapRefresh::IsDue(RdapRegistry registry) const
{
    const auto attempt = s_lastAttempts.find(registry);
    if (attempt != s_lastAttempts.end() && !IsOlderThanMaxAge(attempt->second))
        return false;
    const QFileInfo cached(QDir(CacheFolder()).filePath(RdapRegistryFileName(registry)));
    return !cached.exists() || IsOlderThanMaxAge(cached.lastModified().toUTC());
}

void RdapBootstrapRefresh::Fetch(RdapRegistry registry)
{
    s_lastAttempts[registry] = QDateTime::currentDateTimeUtc();
    QNetworkRequest request(QUrl(IanaUrl(registry)));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(kTransferTimeoutMs);
    QNetworkReply* reply = m_network.get(request);
    reply->setReadBufferSize(RdapBootstrapFile::kFileLimit + 1);
    connect(reply, &QNetworkReply::finished, this, [this, reply, registry] { OnFetched(reply, registry); });
}

void RdapBootstrapRefresh::OnFetched(QNetworkReply* reply, RdapRegistry registry)
{
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status != 200)
        return;
    if (Store(registry, reply->read(RdapBootstrapFile::kFileLimit + 1)))
        Q_EMIT registryStored(registry);
}

// Writes the bytes in place of the cached copy, at once, when they parse.
bool RdapBootstrapRefresh::Store(RdapRegistry registry, const QByteArray& bytes)
{
    if (!RdapBootstrapFile::Parse(registry, bytes) || !QDir().mkpath(CacheFolder()))
        return false;
    QSaveFile file(QDir(CacheFolder()).filePath(RdapRegistryFileName(registry)));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace netsonde
