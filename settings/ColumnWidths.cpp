// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ColumnWidths.h"

#include <QStringList>

namespace netsonde {

QString FormatColumnWidths(const ColumnWidths& w)
{
    return QStringLiteral("%1,%2,%3,%4").arg(w[0]).arg(w[1]).arg(w[2]).arg(w[3]);
}

std::optional<ColumnWidths> ParseColumnWidths(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    ColumnWidths widths{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        widths[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok || widths[i] < 0)
            return std::nullopt;
    }
    return widths;
}

} // namespace netsonde
