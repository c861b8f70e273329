// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/RoundTripGraph.h"

#include "mainwindow/RoundTripPlot.h"
#include "run/RoundTripSeries.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace netsonde {

namespace {

// The scroll bar counts in tenths of a second: an int of them spans years.
constexpr qint64 kPositionUnitMs = 100;
constexpr int kDefaultWindow = 2;

struct TimeWindow {
    const char* text;
    qint64 spanMs;
};

constexpr TimeWindow kTimeWindows[] = {
    {"30 s", 30000}, {"1 min", 60000}, {"5 min", 300000}, {"15 min", 900000}, {"1 h", 3600000}};

int Position(qint64 ms)
{
    return static_cast<int>(ms / kPositionUnitMs);
}

} // namespace

RoundTripGraph::RoundTripGraph(QWidget* parent)
    : QWidget(parent), m_plot(new RoundTripPlot(this)), m_window(new QComboBox(this)),
      m_position(new QScrollBar(Qt::Horizontal, this)), m_live(new QCheckBox(QStringLiteral("Live"), this))
{
    for (const TimeWindow& window : kTimeWindows)
        m_window->addItem(QString::fromLatin1(window.text), window.spanMs);
    m_window->setCurrentIndex(kDefaultWindow);
    m_live->setChecked(true);
    auto* controls = new QHBoxLayout;
    controls->addWidget(m_position, 1);
    controls->addWidget(m_live);
    controls->addWidget(m_window);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_plot, 1);
    layout->addLayout(controls);
    connect(m_window, &QComboBox::currentIndexChanged, this, &RoundTripGraph::Refresh);
    connect(m_position, &QScrollBar::valueChanged, this, &RoundTripGraph::OnScrolled);
    connect(m_live, &QCheckBox::toggled, this, &RoundTripGraph::OnLiveToggled);
    Refresh();
}

void RoundTripGraph::SetSeries(const RoundTripSeries* series)
{
    m_series = series;
    m_plot->SetSeries(series);
    Refresh();
}

void RoundTripGraph::Refresh()
{
    UpdateScrollRange();
    ShowView();
}

void RoundTripGraph::OnScrolled(int position)
{
    if (position < m_position->maximum())
        m_live->setChecked(false);
    ShowView();
}

void RoundTripGraph::OnLiveToggled(bool live)
{
    if (live)
        m_position->setValue(m_position->maximum());
    ShowView();
}

// From the first window of the recorded time to the newest probe, by the
// end of the window shown.
void RoundTripGraph::UpdateScrollRange()
{
    const QSignalBlocker blocker(m_position);
    if (!m_series || m_series->IsEmpty()) {
        m_position->setRange(0, 0);
        return;
    }
    const qint64 newest = m_series->LastMs();
    m_position->setRange(Position(std::min(m_series->FirstMs() + SpanMs(), newest)), Position(newest));
    m_position->setPageStep(Position(SpanMs()));
    m_position->setSingleStep(std::max(1, Position(SpanMs()) / 10));
    if (m_live->isChecked())
        m_position->setValue(m_position->maximum());
}

void RoundTripGraph::ShowView()
{
    qint64 endMs = 0;
    if (m_series && !m_series->IsEmpty())
        endMs = m_live->isChecked() ? m_series->LastMs() : m_position->value() * kPositionUnitMs;
    m_plot->SetView(endMs, SpanMs());
}

qint64 RoundTripGraph::SpanMs() const
{
    return m_window->currentData().toLongLong();
}

} // namespace netsonde
