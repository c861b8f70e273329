// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/SearchTypeTable.h"

namespace netsonde {

int QueryTypeOf(const QString& searchType)
{
    for (const SearchType& entry : SearchTypeTable) {
        if (searchType == QLatin1String(entry.text))
            return entry.qtype;
    }
    return 0;
}

} // namespace netsonde
