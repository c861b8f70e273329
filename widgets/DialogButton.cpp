// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/DialogButton.h"

#include "widgets/ControlIds.h"

#include <QDialog>
#include <QPushButton>

namespace netsonde {

QPushButton* AddDialogButton(QDialog* dialog, int id, const QString& text, QRect rect)
{
    auto* button = new QPushButton(text, dialog);
    SetControlId(button, id);
    button->setGeometry(rect.x(), rect.y(), qMax(rect.width(), button->sizeHint().width()),
                        qMax(rect.height(), button->sizeHint().height()));
    return button;
}

} // namespace netsonde
