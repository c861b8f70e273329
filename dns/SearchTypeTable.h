// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search types of Name Server LookUp: the "Type of Search" list
// in this order, the stored "Search Type" index, and the QTYPE sent. New
// types go at the end, so that a stored index keeps its meaning.

#include <QString>

#include <array>

namespace netsonde {

struct SearchType {
    const char* text;
    int qtype; // 0: no query is built (the resolver mode)
};

inline constexpr std::array<SearchType, 30> SearchTypeTable{{
    {"Use Winsock Function GetHostByX", 0},
    {"A - Host address", 1},
    {"ALL - All records", 255},
    {"CNAME - Canonical name for an alias", 5},
    {"HINFO - Host information", 13},
    {"MAILB - Mailbox related records", 253},
    {"MB - Mailbox domain name", 7},
    {"MG - Mail group member", 8},
    {"MINFO - Mailbox or mail list information", 14},
    {"MR - Mail rename domain name", 9},
    {"MX - Mail exchange", 15},
    {"NS - Authoritative name server", 2},
    {"PTR - Domain name pointer", 12},
    {"SOA - Start of a zone of authority", 6},
    {"TXT - Text strings", 16},
    {"WKS - Well known service description", 11},
    {"AAAA - IPv6 host address", 28},
    {"SRV - Service location", 33},
    {"CAA - Certification authority authorization", 257},
    {"DNSKEY - DNSSEC public key", 48},
    {"DS - Delegation signer", 43},
    {"HTTPS - HTTPS service binding", 65},
    {"NAPTR - Naming authority pointer", 35},
    {"NSEC - Next secure record", 47},
    {"NSEC3PARAM - NSEC3 parameters", 51},
    {"RRSIG - DNSSEC signature", 46},
    {"SSHFP - SSH key fingerprint", 44},
    {"SVCB - Service binding", 64},
    {"TLSA - TLS certificate association", 52},
    {"URI - Uniform resource identifier", 256},
}};

// The text of the first table entry, which selects the resolver mode.
inline QString GetHostByXSearchType()
{
    return QString::fromLatin1(SearchTypeTable[0].text);
}

// The QTYPE of the entry whose text equals searchType exactly (case
// included), or 0 when there is none.
int QueryTypeOf(const QString& searchType);

} // namespace netsonde
