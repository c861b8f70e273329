// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The inputs of one run, as plain values: the page's fields read at Go (or
// the stored values and the options of a report-mode run). A function reads
// only the fields that concern it.

#include "platform/net/IpAddress.h"
#include "run/FunctionId.h"

#include <QString>

namespace netsonde {

struct CRunInputs {
    FunctionId function = FunctionId::Ping;
    QString strHost; // the host field as typed
    QString strUser; // Finger, WhoIs
    // Which address of a name with both families is used ("Prefer IPv6",
    // report mode's -4 and -6).
    AddressPreference preference = AddressPreference::PreferIPv4;

    // Ping and TraceRoute.
    unsigned nTimeout = 0; // seconds
    unsigned nPings = 0;
    unsigned nDelay = 0; // milliseconds
    unsigned nMaxHops = 0;
    bool bResolve = false;

    // The text functions.
    bool bClearOutput = false;
    bool bVerboseFormat = false; // Finger, NS LookUp
    QString strFireWall;         // Finger, WhoIs: the firewall host read at Go

    // NS LookUp.
    QString strSearchType;
    QString strNameServer;
};

} // namespace netsonde
