// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/DialogUnits.h"

#include <QFontMetrics>

namespace netsonde {

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    static const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = qMax(1, (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2);
    m_baseY = qMax(1, metrics.height());
}

} // namespace netsonde
