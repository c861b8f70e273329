#pragma once
// The blocking lookups that the resolver runs off the application's thread.

#include "platform/resolver/Resolver.h"

#include <QByteArray>

#include <cstdint>

namespace netsonde {

struct CLookupOutcome {
    int nError = kLookupSucceeded;
    CHostEntry entry;
};

// A host entry never lists more aliases or addresses than this.
constexpr int kMaxHostEntryItems = 64;

// Name-to-address lookup of the name's bytes (no terminating zero).
// Success always carries at least one address.
CLookupOutcome LookUpHostByName(const QByteArray& name);

// Address-to-name lookup of an IPv4 address in network byte order.
CLookupOutcome LookUpHostByAddress(std::uint32_t address);

} // namespace netsonde
