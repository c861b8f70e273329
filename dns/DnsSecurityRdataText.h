// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The RDATA of the DNSSEC types and ZONEMD as dig prints it, hex and base64
// unbroken. Each reads up to the cursor's end and fails it with BadValue on
// a field that breaks its form.

#include "dns/DnsWireCursor.h"

#include <QByteArray>

namespace netsonde {

// DS and CDS: key tag, algorithm, digest type, digest in hex.
QByteArray DsText(DnsWireCursor& rdata);
// Serial, scheme, hash algorithm, digest in hex.
QByteArray ZonemdText(DnsWireCursor& rdata);
// DNSKEY and CDNSKEY: flags, protocol, algorithm, key in base64.
QByteArray DnskeyText(DnsWireCursor& rdata);
// The key tag of a DNSKEY's whole RDATA (RFC 4034 appendix B).
quint16 DnskeyTag(QByteArrayView rdata);
// Type covered, algorithm, labels, TTL, expiration and inception times,
// key tag, signer, signature in base64.
QByteArray RrsigText(DnsWireCursor& rdata);
// The next name, then the type bitmap.
QByteArray NsecText(DnsWireCursor& rdata);
// Algorithm, flags, iterations and the salt in hex, "-" when it is empty.
QByteArray Nsec3ParamText(DnsWireCursor& rdata);
// NSEC3PARAM's fields, the next hashed owner in base32hex, the type bitmap.
QByteArray Nsec3Text(DnsWireCursor& rdata);

} // namespace netsonde
