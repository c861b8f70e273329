// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WhoIs's RDAP lookups as automatic mode sees them. The lookups themselves
// (Qt Network and the TLS stack under it) live in a library of their own,
// loaded at the first RDAP lookup, so that no other run of the program pays
// for loading them.
//
// One lookup at a time: each request is a hop whose start and end are
// signals, then finished once. Delete it with deleteLater, never from a slot
// of its own signals.

#include "run/WhoIsHop.h"
#include "whois/WhoIsQuery.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <memory>

namespace netsonde {

class RdapService : public QObject {
    Q_OBJECT
public:
    // Starts the lookup; false, with no signal to follow, when the bootstrap
    // names no RDAP service for the query. A lookup still running is cancelled.
    virtual bool Start(const WhoIsQuery& query) = 0;
    // Ends the running hop at once; no signal follows.
    virtual void Cancel() = 0;
    // The publication date of the bootstrap registry the last Start read.
    virtual QDateTime BootstrapPublication() const = 0;

Q_SIGNALS:
    void hopStarted(const QString& url, const QString& referredBy);
    void hopFinished(const netsonde::WhoIsHop& hop);
    // After the last hop. answered is false when the registry's hop ended
    // in a network or TLS error, a time-out or an HTTP 5xx answer.
    void finished(bool answered);
};

// The RDAP library's file name, and the function it exports to make a lookup.
inline constexpr char kRdapModuleName[] = "libnetsonde_rdap.so";
inline constexpr char kRdapEntryName[] = "netsonde_rdap_create";
using RdapEntryFunction = RdapService* (*)();

struct RdapServiceDeleter {
    void operator()(RdapService* service) const;
};
using RdapServicePointer = std::unique_ptr<RdapService, RdapServiceDeleter>;

// A new lookup from the RDAP library, loaded at the first call and kept
// loaded; null, with the reason in *failure, when the library cannot be
// loaded.
RdapServicePointer CreateRdapService(QString* failure);

} // namespace netsonde
