// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// LOC RDATA (RFC 1876) as dig prints it.

#include "dns/DnsWireCursor.h"

#include <QByteArray>

namespace netsonde {

// "52 22 23.000 N 4 53 32.000 E -2.00m 1m 10000m 10m": latitude, longitude,
// altitude, size, horizontal and vertical precision. BadValue for a version
// other than 0, an angle beyond the pole or the antimeridian, or a size
// digit above 9.
QByteArray LocationText(DnsWireCursor& rdata);

} // namespace netsonde
