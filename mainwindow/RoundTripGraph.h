// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A run's round trips over time: the plot, with a choice of the time window
// (30 s to 1 h), a scroll bar over the recorded time and a Live box that
// keeps the newest probe at the right edge. Scrolling back turns Live off;
// ticking Live jumps to the newest probe again.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QScrollBar;

namespace netsonde {

class RoundTripPlot;
class RoundTripSeries;

class RoundTripGraph final : public QWidget {
    Q_OBJECT
public:
    explicit RoundTripGraph(QWidget* parent = nullptr);

    // The series shown, owned by the caller, who calls Refresh() after
    // adding to it or clearing it, and sets another or none before it goes.
    void SetSeries(const RoundTripSeries* series);
    void Refresh();

private:
    void OnScrolled(int position);
    void OnLiveToggled(bool live);
    void UpdateScrollRange();
    void ShowView();
    qint64 SpanMs() const;

    const RoundTripSeries* m_series = nullptr;
    RoundTripPlot* m_plot;
    QComboBox* m_window;
    QScrollBar* m_position;
    QCheckBox* m_live;
};

} // namespace netsonde
