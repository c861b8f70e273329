// SPDX-License-Identifier: GPL-3.0-or-later
// The entry of the RDAP library: a new lookup for automatic mode.

#include "whois/RdapLookup.h"

extern "C" __attribute__((visibility("default"))) netsonde::RdapService* netsonde_rdap_create()
{
    return new netsonde::RdapLookup;
}
