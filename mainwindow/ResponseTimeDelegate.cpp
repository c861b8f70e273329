// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ResponseTimeDelegate.h"

#include "mainwindow/RunSummary.h"
#include "run/ResultColumns.h"

#include <QPainter>
#include <QPalette>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

namespace netsonde {

namespace {

constexpr int kTimeColumn = ColumnIndex(ResultColumn::ResponseTime);
const QColor kWarmColour(0xE0, 0x6C, 0x2E);
constexpr double kBarOpacity = 0.55;

std::optional<unsigned> TimeAt(const QModelIndex& index)
{
    return ResponseTimeOf(index.data(Qt::DisplayRole).toString());
}

// 0 at kFastReplyMs and below, 1 at kSlowReplyMs and above.
double Slowness(unsigned ms)
{
    const double span = kSlowReplyMs - kFastReplyMs;
    return std::clamp((static_cast<double>(ms) - kFastReplyMs) / span, 0.0, 1.0);
}

double Mix(double from, double to, double share)
{
    return from + (to - from) * share;
}

} // namespace

QRect ResponseTimeBarRect(const QRect& cell, std::optional<unsigned> ms, unsigned scaleMs)
{
    if (!ms || cell.width() <= 0)
        return {};
    const double share = scaleMs == 0 ? 0.0 : std::min(1.0, static_cast<double>(*ms) / scaleMs);
    const int length = std::clamp(static_cast<int>(std::lround(share * cell.width())), kShortestBarWidth, cell.width());
    return QRect(cell.left(), cell.top() + kBarInset, length, std::max(0, cell.height() - 2 * kBarInset));
}

QColor ResponseTimeBarColour(const QPalette& palette, unsigned ms)
{
    const QColor fast = palette.color(QPalette::Active, QPalette::Highlight).toRgb();
    const double share = Slowness(ms);
    QColor colour = QColor::fromRgbF(static_cast<float>(Mix(fast.redF(), kWarmColour.redF(), share)),
                                     static_cast<float>(Mix(fast.greenF(), kWarmColour.greenF(), share)),
                                     static_cast<float>(Mix(fast.blueF(), kWarmColour.blueF(), share)));
    colour.setAlphaF(static_cast<float>(kBarOpacity));
    return colour;
}

ResponseTimeDelegate::ResponseTimeDelegate(QTreeWidget* list)
    : QStyledItemDelegate(list), m_list(list), m_model(list->model())
{
    const QAbstractItemModel* model = m_model;
    connect(model, &QAbstractItemModel::dataChanged, this, &ResponseTimeDelegate::OnCellsChanged);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &ResponseTimeDelegate::RecomputeScale);
    connect(model, &QAbstractItemModel::modelReset, this, &ResponseTimeDelegate::RecomputeScale);
    list->setItemDelegateForColumn(kTimeColumn, this);
}

void ResponseTimeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const std::optional<unsigned> ms = TimeAt(index);
    const QRect bar = ResponseTimeBarRect(option.rect, ms, m_scaleMs);
    if (!bar.isEmpty())
        painter->fillRect(bar, ResponseTimeBarColour(option.palette, *ms));
    QStyledItemDelegate::paint(painter, option, index);
}

void ResponseTimeDelegate::OnCellsChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight)
{
    if (topLeft.column() > kTimeColumn || bottomRight.column() < kTimeColumn)
        return;
    unsigned longest = m_scaleMs;
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
        longest = std::max(longest, TimeAt(topLeft.siblingAtRow(row).siblingAtColumn(kTimeColumn)).value_or(0));
    if (longest == m_scaleMs)
        return;
    // Every bar is drawn again at once against the longer scale.
    m_scaleMs = longest;
    m_list->viewport()->update();
}

// The view draws its rows again itself when rows go; the model empties
// itself as the list goes too, so nothing of the list is touched here.
void ResponseTimeDelegate::RecomputeScale()
{
    unsigned longest = 0;
    for (int row = 0; row < m_model->rowCount(); ++row)
        longest = std::max(longest, TimeAt(m_model->index(row, kTimeColumn)).value_or(0));
    m_scaleMs = longest;
}

} // namespace netsonde
