// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a Finger, WhoIs or Quote Of The Day query connects to and sends,
// worked out from the page fields and the function's firewall host.

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace netsonde {

// The three functions that query a TCP text service.
enum class QueryFunction { Finger, WhoIs, QuoteOfDay };

// The service port of the function; with a firewall host the connection
// goes to that host on the same port.
std::uint16_t QueryPort(QueryFunction function);

struct QueryFields {
    QueryFunction function = QueryFunction::Finger;
    QString user;         // the User field (Finger, WhoIs)
    QString host;         // the page's host field
    bool verbose = false; // Finger's Verbose Format
    QString firewallHost; // the function's firewall host; empty means none
};

struct QueryPlan {
    QString targetHost; // the host resolved and connected to
    std::uint16_t port = 0;
    QByteArray request; // the exact bytes sent once connected
};

// Target host, port and request of one query. Both the target host and the
// request come from the one firewall value given here, so a request naming
// the host after "@" always goes to the firewall host and only there.
// Quote Of The Day has no firewall and sends nothing: its user, verbose and
// firewall fields are not used.
QueryPlan BuildQueryPlan(const QueryFields& fields);

} // namespace netsonde
