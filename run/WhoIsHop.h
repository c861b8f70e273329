// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One server asked by WhoIs in automatic mode: a port-43 connection or an
// RDAP request. The pane shows each under a heading; report mode's JSON
// lists them.

#include <QByteArray>
#include <QString>

namespace netsonde {

enum class WhoIsProtocol { Whois, Rdap };

struct WhoIsHop {
    WhoIsProtocol protocol = WhoIsProtocol::Whois;
    QString server;      // port 43: host, or host:port when not 43; RDAP: the URL asked
    QString referredBy;  // the server or URL whose answer led here; empty for the first
    QString query;       // port 43: the text sent, without CR LF; RDAP: the URL's path
    QString status;      // "ok", "HTTP 404", or the error that ended the hop
    qint64 timeMs = 0;   // from the connect or request to the end of the answer
    QString text;        // what the pane shows under the hop's heading
    QByteArray rdapJson; // RDAP: the object received, verbatim
};

} // namespace netsonde
