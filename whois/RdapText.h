// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The readable text of an RDAP answer (RFC 9083) for the WhoIs pane: lines
// "Label: value" ending in CR LF, in a fixed order. A domain shows its
// names, status, registrar, dates, name servers, DNSSEC delegation and
// contacts; a network its range, name, type, country and parent; an AS
// number its range, name and country; then every object its contacts by
// role, redactions, remarks and notices. The answer is untrusted: nesting,
// counts and lengths are bounded, members of a wrong type are left out.

#include <QByteArray>
#include <QString>

namespace netsonde {

struct RdapAnswer {
    int httpStatus = 0;
    QByteArray body;       // the JSON received
    QByteArray retryAfter; // the Retry-After header of a 429 answer
    QString query;         // what was asked: the name, address, prefix or AS number
};

inline constexpr qsizetype kRdapTextLimit = 60000; // characters of the text, at most
inline constexpr qsizetype kRdapValueLimit = 1000; // characters of one value, at most

QString RdapReadableText(const RdapAnswer& answer);

} // namespace netsonde
