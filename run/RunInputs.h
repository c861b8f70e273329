// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The inputs of one run, as plain values: the page's fields read at Go (or
// the stored values and the options of a report-mode run). A function reads
// only the fields that concern it.

#include "platform/net/IpAddress.h"
#include "run/FunctionId.h"

#include <QString>

namespace netsonde {

struct RunInputs {
    FunctionId function = FunctionId::Ping;
    QString host; // the host field as typed
    QString user; // Finger, WhoIs
    // Which address of a name with both families is used ("Prefer IPv6",
    // report mode's -4 and -6).
    AddressPreference preference = AddressPreference::PreferIPv4;

    // Ping and TraceRoute.
    unsigned timeout = 0; // seconds; NS LookUp: per try
    unsigned pings = 0;
    unsigned delay = 0; // milliseconds
    unsigned maxHops = 0;
    bool resolve = false;
    bool pingUntilStopped = false; // Ping: `pings` is not read

    // TraceRoute.
    bool probeOneHopAtATime = false; // the old way: each hop waited for in turn
    bool showAsNumbers = false;
    QString asnZone;                 // the origin zone of IPv4 addresses
    QString asnZone6;                // the origin zone of IPv6 addresses
    unsigned rounds = 1;             // passes over the hops; 0: until stopped ("Repeat", --rounds)
    unsigned roundIntervalMs = 1000; // from the start of a round to the start of the next

    // The text functions.
    bool clearOutput = false;
    bool verboseFormat = false; // Finger, NS LookUp
    QString fireWall;           // Finger, WhoIs: the firewall host read at Go

    // NS LookUp.
    QString searchType;
    QString nameServer; // a host name or address, optionally with ":port"
    unsigned tries = 3;
    unsigned udpPayloadSize = 1232; // the OPT record's; 0 sends no OPT record
    bool useTcp = false;            // ask over TCP from the start
    bool requestDnssec = false;     // the DO bit
};

} // namespace netsonde
