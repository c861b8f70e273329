// SPDX-License-Identifier: GPL-3.0-or-later
#include "whois/RdapLookup.h"

#include "whois/RdapBootstrapRefresh.h"

#include "platform/net/IpAddress.h"
#include "whois/RdapBootstrap.h"
#include "whois/RdapText.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>

namespace netsonde {

namespace {

constexpr qsizetype kLinkLimit = 100; // links read of an answer

// The path of the query under a base URL, and the text the answer names it by.
std::pair<QString, QString> PathAndText(const WhoIsQuery& query)
{
    switch (query.kind) {
    case WhoIsQueryKind::Domain:
        return {QStringLiteral("domain/") + query.domain, query.domain};
    case WhoIsQueryKind::IPv4:
    case WhoIsQueryKind::IPv6: {
        QString address = QString::fromStdString(IpAddressText(query.address));
        if (query.prefixLength < (query.kind == WhoIsQueryKind::IPv4 ? 32 : 128))
            address += QLatin1Char('/') + QString::number(query.prefixLength);
        return {QStringLiteral("ip/") + address, address};
    }
    case WhoIsQueryKind::AsNumber:
        return {QStringLiteral("autnum/") + QString::number(query.asNumber),
                QStringLiteral("AS") + QString::number(query.asNumber)};
    case WhoIsQueryKind::Refused:
        break;
    }
    return {};
}

bool IsRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// A 2xx or 4xx answer is the server's own word; anything else leaves the query open.
bool IsAnswer(int status)
{
    return (status >= 200 && status < 300) || (status >= 400 && status < 500);
}

// The weekly refresh of the bootstrap registries, for as long as the
// application lives: it goes on after the lookup that started it. Only the
// window starts it: report mode ends with its run, and downloads still on
// their way (their name lookups among them) would be cut off at exit.
void RefreshBootstrapIfDue()
{
    if (!QCoreApplication::instance()->inherits("QGuiApplication"))
        return;
    static RdapBootstrapRefresh* refresh = nullptr;
    if (!refresh) {
        auto* network = new QNetworkAccessManager(QCoreApplication::instance());
        refresh = new RdapBootstrapRefresh(*network, network);
    }
    refresh->RefreshIfDue();
}

} // namespace

RdapLookup::RdapLookup()
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kHopTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this,
            [this] { FailHop(QStringLiteral("No answer within %1 seconds").arg(kHopTimeoutMs / 1000)); });
}

RdapLookup::~RdapLookup()
{
    Cancel();
}

bool RdapLookup::Start(const WhoIsQuery& query)
{
    Cancel();
    const RdapBootstrap bootstrap = RdapBootstrap::Load(RdapBootstrapRefresh::CacheFolder());
    const QStringList baseUrls = bootstrap.BaseUrlsFor(query);
    const std::optional<RdapRegistry> registry = RdapRegistryFor(query);
    m_publication = registry ? bootstrap.Publication(*registry) : QDateTime();
    RefreshBootstrapIfDue();
    const auto [path, text] = PathAndText(query);
    if (baseUrls.isEmpty() || path.isEmpty())
        return false;
    m_queryText = text;
    m_onRegistryHop = true;
    StartHop(QUrl(baseUrls.first() + path), QString());
    return true;
}

void RdapLookup::Cancel()
{
    m_timeout.stop();
    DropReply();
}

void RdapLookup::DropReply()
{
    if (!m_reply)
        return;
    m_reply->disconnect(this);
    m_reply->abort();
    m_reply->deleteLater();
    m_reply = nullptr;
}

void RdapLookup::StartHop(const QUrl& url, const QString& referredBy)
{
    m_hop = WhoIsHop{WhoIsProtocol::Rdap, url.toString(), referredBy, url.path(), {}, 0, {}, {}};
    m_redirects.clear();
    m_redirectCount = 0;
    m_clock.start();
    m_timeout.start();
    Q_EMIT hopStarted(m_hop.server, referredBy);
    Send(url);
}

void RdapLookup::Send(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setRawHeader("Accept", "application/rdap+json");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    m_body.clear();
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &RdapLookup::OnReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &RdapLookup::OnReplyFinished);
}

void RdapLookup::OnReadyRead()
{
    m_body += m_reply->read(kBodyLimit + 1 - m_body.size());
    if (m_body.size() > kBodyLimit)
        FailHop(QStringLiteral("The answer is larger than %1 MiB").arg(kBodyLimit / (1024 * 1024)));
}

void RdapLookup::OnReplyFinished()
{
    OnReadyRead();
    if (!m_reply)
        return;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QUrl location = m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    const QByteArray retryAfter = m_reply->rawHeader("Retry-After");
    const QString error = m_reply->errorString();
    const bool failed = m_reply->error() != QNetworkReply::NoError && status == 0;
    const QUrl asked = m_reply->url();
    DropReply();
    if (IsRedirect(status) && location.isValid())
        FollowRedirect(asked.resolved(location));
    else if (failed)
        FailHop(error);
    else
        EndHop(status, retryAfter);
}

bool RdapLookup::FollowRedirect(const QUrl& target)
{
    if (++m_redirectCount > kRedirectLimit) {
        FailHop(QStringLiteral("More than %1 redirects").arg(kRedirectLimit));
        return false;
    }
    if (target.scheme() != QLatin1String("https")) {
        FailHop(QStringLiteral("Redirect to %1 refused: not https").arg(target.toString()));
        return false;
    }
    m_redirects += QStringLiteral("Redirected to: ") + target.toString() + QStringLiteral("\r\n");
    Send(target);
    return true;
}

void RdapLookup::EndHop(int httpStatus, const QByteArray& retryAfter)
{
    m_timeout.stop();
    m_hop.status =
        httpStatus >= 200 && httpStatus < 300 ? QStringLiteral("ok") : QStringLiteral("HTTP %1").arg(httpStatus);
    m_hop.timeMs = m_clock.elapsed();
    m_hop.text = m_redirects + RdapReadableText({httpStatus, m_body, retryAfter, m_queryText});
    m_hop.rdapJson = m_body;
    Q_EMIT hopFinished(m_hop);
    const QUrl related = httpStatus >= 200 && httpStatus < 300 && m_onRegistryHop ? RelatedLink() : QUrl();
    if (related.isValid()) {
        m_registryAnswered = true;
        m_onRegistryHop = false;
        const QString registryUrl = m_hop.server;
        StartHop(related, registryUrl);
        return;
    }
    EndLookup(IsAnswer(httpStatus));
}

void RdapLookup::FailHop(const QString& error)
{
    m_timeout.stop();
    DropReply();
    m_hop.status = error;
    m_hop.timeMs = m_clock.elapsed();
    m_hop.text = m_redirects + error + QStringLiteral("\r\n");
    m_hop.rdapJson.clear();
    Q_EMIT hopFinished(m_hop);
    EndLookup(false);
}

// The registry's hop decides whether the lookup answered.
void RdapLookup::EndLookup(bool hopAnswered)
{
    if (m_onRegistryHop)
        m_registryAnswered = hopAnswered;
    Q_EMIT finished(m_registryAnswered);
}

// The https link of rel "related" to an RDAP object, or none.
QUrl RdapLookup::RelatedLink() const
{
    const QJsonArray links = QJsonDocument::fromJson(m_body).object().value(QLatin1String("links")).toArray();
    for (qsizetype index = 0; index < links.size() && index < kLinkLimit; ++index) {
        const QJsonObject link = links.at(index).toObject();
        const QUrl href(link.value(QLatin1String("href")).toString());
        if (link.value(QLatin1String("rel")).toString() == QLatin1String("related")
            && link.value(QLatin1String("type")).toString() == QLatin1String("application/rdap+json") && href.isValid()
            && href.scheme() == QLatin1String("https") && href.toString() != m_hop.server)
            return href;
    }
    return {};
}

} // namespace netsonde
