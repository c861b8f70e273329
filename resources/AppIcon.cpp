// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/AppIcon.h"

#include <QPainter>
#include <QPixmap>

namespace netsonde {

namespace {

QPixmap DrawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    painter.setPen(QPen(QColor(20, 60, 120), 1.5));
    painter.setBrush(QColor(70, 140, 210));
    painter.drawEllipse(QRectF(2, 2, 28, 28));
    painter.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF trace[] = {{5, 17}, {11, 17}, {14, 9}, {18, 24}, {21, 14}, {23, 17}, {27, 17}};
    painter.drawPolyline(trace, 7);
    return pixmap;
}

} // namespace

QIcon AppIcon()
{
    QIcon icon;
    // Up to 256 pixels, so that the small sizes stay sharp on screens of
    // up to four device pixels to one.
    for (int size : {16, 24, 32, 48, 64, 96, 128, 256})
        icon.addPixmap(DrawIcon(size));
    return icon;
}

} // namespace netsonde
