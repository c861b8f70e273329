// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The parameters of SVCB and HTTPS records (RFC 9460) as dig prints them.

#include "dns/DnsWireCursor.h"

#include <QByteArray>

namespace netsonde {

// The key=value parameters up to the cursor's end, in wire order, each after
// a blank. BadValue when keys are not in ascending order or a value does not
// fit its key's form.
QByteArray ServiceParametersText(DnsWireCursor& cursor);

} // namespace netsonde
