// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How NS LookUp got the answer it reports: the text report's notes and
// footer and report mode's JSON are written from it.

#include <QString>

namespace netsonde {

enum class DnsTransport { Udp, Tcp };

struct DnsExchange {
    QString serverAddress; // the address asked, as text (IPv6 without brackets)
    quint16 serverPort = 53;
    DnsTransport transport = DnsTransport::Udp; // of the answer reported
    bool retriedOverTcp = false;                // the UDP answer had TC set
    bool retriedWithoutEdns = false;            // FORMERR or NOTIMP to the query with EDNS
    QString tcpError;                           // the TCP retry failed: the UDP answer is reported, cut
    qint64 queryTimeMs = 0;                     // from the first query sent to the answer taken
    qsizetype answerSize = 0;                   // bytes of the answer reported
};

} // namespace netsonde
