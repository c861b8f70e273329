// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The drawing of a run's round trips over a window of time: time across,
// round trip up, on a scale fitted to the samples in view with a few
// labelled grid lines. A line joins consecutive round trips and never
// bridges a lost probe; each lost probe is a red column over the full
// height. Colours come from the palette (Base, Text, Mid, Highlight), so a
// dark palette gives a dark graph; lines stay one device pixel wide at any
// device pixel ratio.

#include <QWidget>

namespace netsonde {

class RoundTripSeries;
struct PlotFrame;

class RoundTripPlot final : public QWidget {
    Q_OBJECT
public:
    explicit RoundTripPlot(QWidget* parent = nullptr);

    // The series drawn, owned by the caller; none draws the empty state.
    void SetSeries(const RoundTripSeries* series);
    // Shows the `spanMs` of the run that end at `endMs` since it began.
    void SetView(qint64 endMs, qint64 spanMs);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PlotFrame FrameFor(std::size_t first, std::size_t end) const;
    void DrawEmptyState(QPainter& painter) const;
    void DrawTimeGrid(QPainter& painter, const PlotFrame& frame) const;
    void DrawRoundTripGrid(QPainter& painter, const PlotFrame& frame) const;
    void DrawLine(QPainter& painter, const PlotFrame& frame, std::size_t first, std::size_t end) const;
    void DrawLosses(QPainter& painter, const PlotFrame& frame, std::size_t first, std::size_t end) const;
    void DrawAxes(QPainter& painter, const PlotFrame& frame) const;
    QPen CosmeticPen(QPalette::ColorRole role) const;

    const RoundTripSeries* m_series = nullptr;
    qint64 m_endMs = 0;
    qint64 m_spanMs = 1;
};

} // namespace netsonde
