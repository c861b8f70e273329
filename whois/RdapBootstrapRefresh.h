// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps the cached copies of the RDAP bootstrap registries at most a week
// old: a copy that is missing or older is downloaded from IANA in the
// background, and written in place of the old one only once it parsed. A
// download that fails leaves the last good copy, and is not tried again by
// this process within the week.

#include "whois/RdapBootstrap.h"

#include <QObject>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;

namespace netsonde {

class RdapBootstrapRefresh : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxAgeDays = 7;

    explicit RdapBootstrapRefresh(QNetworkAccessManager& network, QObject* parent = nullptr);

    // The folder of the cached copies: the user's cache folder + "/Korvelin/rdap".
    static QString CacheFolder();

    // Starts the downloads that are due; returns at once.
    void RefreshIfDue();

Q_SIGNALS:
    // A newer copy of the registry is in the cache folder.
    void registryStored(netsonde::RdapRegistry registry);

private:
    bool IsDue(RdapRegistry registry) const;
    void Fetch(RdapRegistry registry);
    void OnFetched(QNetworkReply* reply, RdapRegistry registry);
    bool Store(RdapRegistry registry, const QByteArray& bytes);

    QNetworkAccessManager& m_network;
};

} // namespace netsonde
