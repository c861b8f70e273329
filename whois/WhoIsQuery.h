// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What WhoIs in automatic mode asks about: a domain name, an IPv4 or IPv6
// address or prefix, or an AS number, read from the text the user typed.

#include "platform/net/IpAddress.h"

#include <QString>

namespace netsonde {

enum class WhoIsQueryKind { Domain, IPv4, IPv6, AsNumber, Refused };

struct WhoIsQuery {
    WhoIsQueryKind kind = WhoIsQueryKind::Refused;
    QString text;         // as typed
    QString domain;       // Domain: A-labels, lower case, no trailing dot
    IpAddress address;    // IPv4, IPv6: the address, or the prefix's network address
    int prefixLength = 0; // IPv4, IPv6: 32 or 128 for a single address
    quint32 asNumber = 0; // AsNumber

    bool IsPrefix() const;
    // The query in its plain form: the domain's A-labels, the address, the
    // network address and "/length", or "as" and the number.
    QString PlainText() const;
};

// Whether the host field asks for automatic mode: empty, or "auto".
bool NamesAutomaticMode(const QString& host);

// The query the text asks about: surrounding spaces are ignored, an AS
// number needs its "AS" (a bare number is refused), a name with letters
// outside ASCII is written in A-labels.
WhoIsQuery ClassifyWhoIsQuery(const QString& text);

} // namespace netsonde
