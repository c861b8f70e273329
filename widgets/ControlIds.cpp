// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/ControlIds.h"

#include <QVariant>

namespace netsonde {

namespace {

constexpr const char* kDialogIdProperty = "dialogId";
constexpr const char* kControlIdProperty = "controlId";

QWidget* FindControlBelow(const QWidget* parent, int controlId)
{
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget)
            continue;
        if (ControlId(widget) == controlId)
            return widget;
        if (DialogId(widget) != 0)
            continue;
        if (QWidget* found = FindControlBelow(widget, controlId))
            return found;
    }
    return nullptr;
}

} // namespace

void SetDialogId(QWidget* dialog, int dialogId)
{
    dialog->setProperty(kDialogIdProperty, dialogId);
}

int DialogId(const QWidget* dialog)
{
    return dialog->property(kDialogIdProperty).toInt();
}

void SetControlId(QWidget* control, int controlId)
{
    control->setProperty(kControlIdProperty, controlId);
}

int ControlId(const QWidget* control)
{
    return control->property(kControlIdProperty).toInt();
}

QWidget* FindControl(const QWidget* dialog, int controlId)
{
    return FindControlBelow(dialog, controlId);
}

} // namespace netsonde
