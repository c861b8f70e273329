// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The blocking lookups that the resolver runs off the application's thread.

#include "platform/resolver/Resolver.h"

#include <QByteArray>

#include <cstdint>
#include <functional>

namespace netsonde {

struct LookupOutcome {
    int errorCode = kLookupSucceeded;
    HostEntry entry;
};

// A host entry never lists more aliases or addresses than this.
constexpr int kMaxHostEntryItems = 64;

// Name-to-address lookup of the name's bytes (no terminating zero), for
// addresses of both families. The official name is the canonical name, else
// the name asked; the only alias is the name asked when it differs from the
// canonical name. Success always carries at least one address.
LookupOutcome LookUpHostByName(const QByteArray& name);

// Address-to-name lookup: the official name, no aliases, the address itself.
LookupOutcome LookUpHostByAddress(const IpAddress& address);

// The pair of blocking lookups a caller makes; tests put scripted ones in.
struct HostLookups {
    std::function<LookupOutcome(const QByteArray& name)> byName;
    std::function<LookupOutcome(const IpAddress& address)> byAddress;

    // The C library's: LookUpHostByName and LookUpHostByAddress.
    static HostLookups System();
};

} // namespace netsonde
