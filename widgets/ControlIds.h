// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Resource numbers on widgets: every dialog carries its dialog number and
// every control named by an ID carries that ID, so code and tests find
// controls by the numbers the dialogs are described with. IDs are unique
// within one dialog only, so a search never descends into another dialog
// (a page inside the main window is a dialog of its own).

#include <QWidget>

namespace netsonde {

void SetDialogId(QWidget* dialog, int dialogId);
int DialogId(const QWidget* dialog); // 0 when the widget is no dialog

void SetControlId(QWidget* control, int controlId);
int ControlId(const QWidget* control); // 0 when the widget has no ID

// The control with that ID inside dialog, or null.
QWidget* FindControl(const QWidget* dialog, int controlId);

template <typename T>
T* FindControlAs(const QWidget* dialog, int controlId)
{
    return qobject_cast<T*>(FindControl(dialog, controlId));
}

} // namespace netsonde
