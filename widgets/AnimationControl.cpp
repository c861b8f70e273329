// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/AnimationControl.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimerEvent>

#include <cmath>

namespace netsonde {

namespace {

// A sonde on the left sends three pulses to the right; frame n moves them
// one step outwards, so the whole clip is one seamless cycle.
void DrawFrame(QPainter& painter, int frame, const QPalette& palette)
{
    const QColor body = palette.color(QPalette::WindowText);
    const QColor pulse = palette.color(QPalette::Highlight);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(QPen(body, 1.5));
    painter.setBrush(body);
    painter.drawEllipse(QPointF(8, 16), 4, 4);
    painter.drawLine(QPointF(4, 27), QPointF(8, 20));
    painter.drawLine(QPointF(12, 27), QPointF(8, 20));

    painter.setBrush(Qt::NoBrush);
    constexpr int kPulses = 3;
    for (int p = 0; p < kPulses; ++p) {
        const double phase = std::fmod(double(frame) / AnimationControl::kFrameCount + double(p) / kPulses, 1.0);
        const double radius = 6 + phase * 44;
        QColor colour = pulse;
        colour.setAlphaF(1.0 - phase * 0.85);
        painter.setPen(QPen(colour, 2.0));
        QPainterPath arc;
        const QRectF box(8 - radius, 16 - radius, 2 * radius, 2 * radius);
        arc.arcMoveTo(box, -35);
        arc.arcTo(box, -35, 70);
        painter.drawPath(arc);
    }
}

} // namespace

AnimationControl::AnimationControl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void AnimationControl::Open()
{
    m_open = true;
    m_frame = 0;
    update();
}

void AnimationControl::Close()
{
    m_timer.stop();
    m_open = false;
    m_frame = 0;
    update();
}

void AnimationControl::Play()
{
    if (!m_open)
        return;
    m_timer.start(kFrameIntervalMs, Qt::PreciseTimer, this);
}

void AnimationControl::Stop()
{
    m_timer.stop();
    m_frame = 0;
    update();
}

void AnimationControl::paintEvent(QPaintEvent*)
{
    if (!m_open)
        return;
    QPainter painter(this);
    painter.translate((width() - kFrameWidth) / 2, (height() - kFrameHeight) / 2);
    painter.setClipRect(0, 0, kFrameWidth, kFrameHeight);
    DrawFrame(painter, m_frame, palette());
}

void AnimationControl::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId())
        return QWidget::timerEvent(event);
    m_frame = (m_frame + 1) % kFrameCount;
    update();
}

} // namespace netsonde
