// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/RoundTripPlot.h"

#include "run/RoundTripSeries.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace netsonde {

namespace {

const QColor kLossColour(0xD0, 0x20, 0x20);
constexpr int kRoundTripLines = 4;
constexpr int kTimeLines = 8;
constexpr int kLabelGap = 4;
constexpr double kEmptyScaleMs = 1.0;
constexpr std::array<qint64, 14> kTimeStepsMs = {1000,   2000,   5000,   10000,  15000,   30000,   60000,
                                                 120000, 300000, 600000, 900000, 1800000, 3600000, 7200000};

// The smallest of 1, 2 or 5 times a power of ten that is at least `rough`.
double NiceStep(double rough)
{
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough)
            return factor * power;
    }
    return 10.0 * power;
}

qint64 TimeStepMs(qint64 spanMs)
{
    for (const qint64 step : kTimeStepsMs) {
        if (step * kTimeLines >= spanMs)
            return step;
    }
    return kTimeStepsMs.back();
}

QString RoundTripLabel(double ms, double step)
{
    const int decimals = step >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(step)));
    return QString::number(ms, 'f', decimals) + QStringLiteral(" ms");
}

// The time since the run began: "m:ss", or "h:mm:ss" from one hour on.
QString TimeLabel(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    const QLatin1Char zero('0');
    if (seconds < 3600)
        return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, zero);
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, zero)
        .arg(seconds % 60, 2, 10, zero);
}

} // namespace

// Where samples land: the plot's rectangle inside the widget, its time
// window and its round-trip scale, from 0 to topMs in steps of stepMs.
struct PlotFrame {
    QRectF area;
    qint64 startMs = 0;
    qint64 spanMs = 1;
    double topMs = kEmptyScaleMs;
    double stepMs = kEmptyScaleMs;

    double X(qint64 ms) const { return area.left() + area.width() * double(ms - startMs) / double(spanMs); }
    double Y(double ms) const { return area.bottom() - area.height() * ms / topMs; }
};

RoundTripPlot::RoundTripPlot(QWidget* parent) : QWidget(parent)
{
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void RoundTripPlot::SetSeries(const RoundTripSeries* series)
{
    m_series = series;
    update();
}

void RoundTripPlot::SetView(qint64 endMs, qint64 spanMs)
{
    m_endMs = endMs;
    m_spanMs = std::max<qint64>(spanMs, 1);
    update();
}

QSize RoundTripPlot::sizeHint() const
{
    return {640, 240};
}

QSize RoundTripPlot::minimumSizeHint() const
{
    return {160, 80};
}

void RoundTripPlot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_series || m_series->IsEmpty()) {
        DrawEmptyState(painter);
        return;
    }
    // One sample either side of the window, so that the line runs on to the edges.
    const std::size_t first = m_series->FirstAtOrAfter(m_endMs - m_spanMs);
    const std::size_t from = first > 0 ? first - 1 : first;
    const std::size_t end = std::min(m_series->FirstAtOrAfter(m_endMs + 1) + 1, m_series->Count());
    const PlotFrame frame = FrameFor(from, end);
    DrawTimeGrid(painter, frame);
    DrawRoundTripGrid(painter, frame);
    painter.save();
    painter.setClipRect(frame.area);
    DrawLine(painter, frame, from, end);
    DrawLosses(painter, frame, first, end);
    painter.restore();
    DrawAxes(painter, frame);
}

PlotFrame RoundTripPlot::FrameFor(std::size_t first, std::size_t end) const
{
    PlotFrame frame;
    frame.startMs = m_endMs - m_spanMs;
    frame.spanMs = m_spanMs;
    float highest = 0;
    for (std::size_t index = first; index < end; ++index)
        highest = std::max(highest, m_series->At(index).roundTripMs.value_or(0.0F));
    const double scale = highest > 0 ? highest : kEmptyScaleMs;
    frame.stepMs = NiceStep(scale / kRoundTripLines);
    frame.topMs = frame.stepMs * std::ceil(scale / frame.stepMs);
    const QFontMetrics metrics = fontMetrics();
    const int left = metrics.horizontalAdvance(RoundTripLabel(frame.topMs, frame.stepMs)) + 2 * kLabelGap;
    const int right = metrics.horizontalAdvance(TimeLabel(m_endMs)) / 2 + kLabelGap;
    frame.area = QRectF(QPointF(left, metrics.height() / 2 + kLabelGap),
                        QPointF(width() - right, height() - metrics.height() - kLabelGap));
    return frame;
}

void RoundTripPlot::DrawEmptyState(QPainter& painter) const
{
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No round trips yet"));
}

void RoundTripPlot::DrawTimeGrid(QPainter& painter, const PlotFrame& frame) const
{
    const qint64 step = TimeStepMs(frame.spanMs);
    const qint64 firstLine = std::max<qint64>(0, (frame.startMs + step - 1) / step * step);
    const int labelTop = static_cast<int>(frame.area.bottom()) + kLabelGap;
    for (qint64 ms = firstLine; ms <= frame.startMs + frame.spanMs; ms += step) {
        const double x = frame.X(ms);
        painter.setPen(CosmeticPen(QPalette::Mid));
        painter.drawLine(QPointF(x, frame.area.top()), QPointF(x, frame.area.bottom()));
        const QString label = TimeLabel(ms);
        const int labelWidth = fontMetrics().horizontalAdvance(label);
        const QRect labelRect(static_cast<int>(x) - labelWidth / 2, labelTop, labelWidth, fontMetrics().height());
        if (labelRect.left() < 0 || labelRect.right() >= width())
            continue;
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(labelRect, Qt::AlignCenter, label);
    }
}

void RoundTripPlot::DrawRoundTripGrid(QPainter& painter, const PlotFrame& frame) const
{
    const int lines = static_cast<int>(std::lround(frame.topMs / frame.stepMs));
    for (int line = 0; line <= lines; ++line) {
        const double ms = line * frame.stepMs;
        const double y = frame.Y(ms);
        painter.setPen(CosmeticPen(QPalette::Mid));
        painter.drawLine(QPointF(frame.area.left(), y), QPointF(frame.area.right(), y));
        const QRectF labelRect(0, y - fontMetrics().height() / 2.0, frame.area.left() - kLabelGap,
                               fontMetrics().height());
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(labelRect, Qt::AlignRight | Qt::AlignVCenter, RoundTripLabel(ms, frame.stepMs));
    }
}

// The round trips in send order as lines broken at every lost probe; a
// round trip between two losses is a dot.
void RoundTripPlot::DrawLine(QPainter& painter, const PlotFrame& frame, std::size_t first, std::size_t end) const
{
    painter.setPen(CosmeticPen(QPalette::Highlight));
    QPolygonF run;
    for (std::size_t index = first; index <= end; ++index) {
        const RoundTripSample* sample = index < end ? &m_series->At(index) : nullptr;
        if (sample && sample->roundTripMs) {
            run.append(QPointF(frame.X(sample->sentMs), frame.Y(*sample->roundTripMs)));
            continue;
        }
        if (run.size() == 1)
            painter.drawPoint(run.front());
        else
            painter.drawPolyline(run);
        run.clear();
    }
}

void RoundTripPlot::DrawLosses(QPainter& painter, const PlotFrame& frame, std::size_t first, std::size_t end) const
{
    for (std::size_t index = first; index < end; ++index) {
        const RoundTripSample& sample = m_series->At(index);
        if (!sample.roundTripMs)
            painter.fillRect(QRectF(frame.X(sample.sentMs), frame.area.top(), 1.0, frame.area.height()), kLossColour);
    }
}

void RoundTripPlot::DrawAxes(QPainter& painter, const PlotFrame& frame) const
{
    painter.setPen(CosmeticPen(QPalette::Text));
    painter.drawLine(frame.area.topLeft(), frame.area.bottomLeft());
    painter.drawLine(frame.area.bottomLeft(), frame.area.bottomRight());
}

QPen RoundTripPlot::CosmeticPen(QPalette::ColorRole role) const
{
    QPen pen(palette().color(role), 1);
    pen.setCosmetic(true);
    return pen;
}

} // namespace netsonde
