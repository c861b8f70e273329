// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rules of WhoIs's port-43 chain, on text alone: which server comes
// first, what each server is sent, which server an answer refers to, and
// which referrals are not followed.

#include "whois/WhoIsQuery.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace netsonde {

inline constexpr char kFirstWhoIsServer[] = "whois.iana.org";
inline constexpr std::uint16_t kWhoIsPort = 43;
// Connections of one query at most.
inline constexpr int kMostWhoIsServers = 5;

struct WhoIsServer {
    QString host; // a host name in lower case, an IPv4 address or an IPv6 address
    std::uint16_t port = kWhoIsPort;

    // "host", "host:port" when the port is not 43, an IPv6 address in brackets then.
    QString Text() const;
    bool operator==(const WhoIsServer&) const = default;
};

// Where an answer points: nowhere (target empty), a server to ask next, or
// a target given but refused, with the reason.
struct WhoIsReferral {
    QString target; // as the answer gave it
    std::optional<WhoIsServer> server;
    QString refusal; // why the target is not asked; empty when it is
};

// The bytes sent to the server for the query, CR LF included: ARIN takes
// "n + ADDRESS", "r + = NETWORK/LENGTH" and "a NUMBER", DENIC "-T dn,ace
// DOMAIN", the thin registry of .com and .net "domain DOMAIN"; every other
// server the query's plain form.
QByteArray WhoIsRequest(const WhoIsServer& server, const WhoIsQuery& query);

// The referral in the answer of the server asked: IANA's "refer:" (else
// "whois:"); ARIN's last "ReferralServer:"; a "% referto: whois -h HOST -p
// PORT" pointer; "Registrar WHOIS Server:" inside the queried domain's
// record. A referral to the server itself is none.
WhoIsReferral FindWhoIsReferral(QStringView answer, const WhoIsServer& asked, const WhoIsQuery& query);

// Why an address may not be asked (loopback, link-local, multicast,
// unspecified), or empty.
QString RefusedWhoIsAddress(const IpAddress& address);

} // namespace netsonde
