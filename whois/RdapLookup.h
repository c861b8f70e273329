// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One RDAP lookup of a domain name, an address or prefix, or an AS number:
// the bootstrap registries name the registry's service, a GET asks it, and
// a registry answer that links to a related RDAP object (a registrar's) is
// followed once. Each request is a hop; its start and its end are signals.
// Everything runs on the event loop: no call blocks. Only https is used,
// certificates are checked against the system's store, redirects are
// followed at most kRedirectLimit times, and each hop and each answer are
// bounded in time and size. The lookup is deleted with deleteLater, never
// from a slot of its own signals.

#include "whois/RdapService.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QObject>
#include <QTimer>
#include <QUrl>

class QNetworkReply;

namespace netsonde {

class RdapLookup final : public RdapService {
    Q_OBJECT
public:
    static constexpr int kRedirectLimit = 5;
    static constexpr int kHopTimeoutMs = 15000;
    static constexpr qsizetype kBodyLimit = 4 * 1024 * 1024;

    RdapLookup();
    ~RdapLookup() override;

    bool Start(const WhoIsQuery& query) override;
    void Cancel() override;
    QDateTime BootstrapPublication() const override { return m_publication; }

private:
    void StartHop(const QUrl& url, const QString& referredBy);
    void Send(const QUrl& url);
    void OnReadyRead();
    void OnReplyFinished();
    bool FollowRedirect(const QUrl& target);
    void EndHop(int httpStatus, const QByteArray& retryAfter);
    void FailHop(const QString& error);
    void EndLookup(bool hopAnswered);
    void DropReply();
    QUrl RelatedLink() const;

    QNetworkAccessManager m_network;
    QNetworkReply* m_reply = nullptr;
    QTimer m_timeout;
    QElapsedTimer m_clock;
    QDateTime m_publication;
    WhoIsHop m_hop;
    QString m_queryText;
    QString m_redirects;
    QByteArray m_body;
    int m_redirectCount = 0;
    bool m_onRegistryHop = true;
    bool m_registryAnswered = false;
};

} // namespace netsonde
