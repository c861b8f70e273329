// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dialog units: the dialogs are described in units of a quarter of the
// font's average character width and an eighth of its height, so they
// scale with the user's font.

#include <QFont>
#include <QRect>

namespace netsonde {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int X(int units) const { return (units * m_baseX + 2) / 4; }
    int Y(int units) const { return (units * m_baseY + 4) / 8; }
    QRect Rect(int x, int y, int width, int height) const { return QRect(X(x), Y(y), X(width), Y(height)); }

private:
    int m_baseX;
    int m_baseY;
};

} // namespace netsonde
