// SPDX-License-Identifier: GPL-3.0-or-later
#include "query/AddressSplitting.h"

namespace netsonde {

std::optional<UserAndHost> SplitAtFirstAt(const QString& text)
{
    const qsizetype at = text.indexOf(QLatin1Char('@'));
    if (at < 0)
        return std::nullopt;
    return UserAndHost{text.left(at), text.mid(at + 1)};
}

} // namespace netsonde
