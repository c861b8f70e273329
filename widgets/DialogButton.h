// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A push button of a small dialog, placed in pixels.

#include <QRect>
#include <QString>

class QDialog;
class QPushButton;

namespace netsonde {

// The button with its control ID at the rectangle, grown to its text when
// the rectangle is smaller.
QPushButton* AddDialogButton(QDialog* dialog, int id, const QString& text, QRect rect);

} // namespace netsonde
