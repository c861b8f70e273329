// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Response Time cell of the Ping and TraceRoute lists: a bar behind its
// text, as long as the time against the longest time in the list, coloured
// from the palette's highlight for fast replies to a warm colour for slow
// ones. A row without response has no bar. The cell's text is drawn as
// before and stays the item's text.

#include <QColor>
#include <QRect>
#include <QStyledItemDelegate>

#include <optional>

class QPalette;
class QTreeWidget;

namespace netsonde {

// Replies up to this time take the highlight colour.
constexpr unsigned kFastReplyMs = 50;
// Replies from this time on take the warm colour; between, a mix.
constexpr unsigned kSlowReplyMs = 200;
// An answered row shows a bar even when its time is 0 ms.
constexpr int kShortestBarWidth = 2;
// Space above and below a bar inside its cell.
constexpr int kBarInset = 2;

// The bar of a cell of `cell`'s rectangle: `ms` against `scaleMs` of its
// width. Empty for a row without response.
QRect ResponseTimeBarRect(const QRect& cell, std::optional<unsigned> ms, unsigned scaleMs);

// The bar's colour for a reply of `ms`, translucent so the text stays legible.
QColor ResponseTimeBarColour(const QPalette& palette, unsigned ms);

class ResponseTimeDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Draws `list`'s Response Time column and follows its rows.
    explicit ResponseTimeDelegate(QTreeWidget* list);

    // The longest time in the list: it only grows as rows arrive, and goes
    // back to what is left when rows go.
    unsigned ScaleMs() const { return m_scaleMs; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void OnCellsChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    void RecomputeScale();

    QTreeWidget* m_list;
    const QAbstractItemModel* m_model;
    unsigned m_scaleMs = 0;
};

} // namespace netsonde
