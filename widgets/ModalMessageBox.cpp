// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/ModalMessageBox.h"

#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace netsonde {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

void ShowModalBox(const QString& text, MessageIcon icon)
{
    QMessageBox box(ToQtIcon(icon), QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace

void UseModalMessageBoxes()
{
    SetDefaultMessageBoxHandler(&ShowModalBox);
}

} // namespace netsonde
