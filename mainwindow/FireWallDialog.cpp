// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/FireWallDialog.h"

#include "mainwindow/MainDialog.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsKeys.h"
#include "widgets/ControlIds.h"
#include "widgets/DialogButton.h"
#include "widgets/DialogUnits.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace netsonde {

namespace {

void OnFireWalls(MainDialog& mainDialog)
{
    FireWallDialog dialog(&mainDialog);
    dialog.m_fingerFireWall = mainDialog.CurrentOptions().fingerFireWall;
    dialog.m_whoIsFireWall = mainDialog.CurrentOptions().whoIsFireWall;
    if (dialog.exec() != QDialog::Accepted)
        return;
    mainDialog.SetFireWalls(dialog.m_fingerFireWall, dialog.m_whoIsFireWall);
}

} // namespace

FireWallDialog::FireWallDialog(QWidget* parent) : QDialog(parent)
{
    SetDialogId(this, kFireWallDialog);
    setWindowTitle(QStringLiteral("FireWall Configuration"));
    CreateControls();
}

void FireWallDialog::CreateControls()
{
    const DialogUnits units(font());
    setFixedSize(units.X(255), units.Y(39));
    m_fingerEdit = AddField(kFireWallFingerControl, QStringLiteral("&Finger FireWall:"), 4);
    m_whoIsEdit = AddField(kFireWallWhoIsControl, QStringLiteral("&WhoIs FireWall:"), 23);
    QPushButton* ok = AddDialogButton(this, kFireWallOkControl, QStringLiteral("OK"), units.Rect(198, 4, 50, 14));
    ok->setDefault(true);
    QPushButton* cancel =
        AddDialogButton(this, kFireWallCancelControl, QStringLiteral("Cancel"), units.Rect(198, 21, 50, 14));
    connect(ok, &QPushButton::clicked, this, &FireWallDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &FireWallDialog::reject);
}

QLineEdit* FireWallDialog::AddField(int id, const QString& label, int y)
{
    const DialogUnits units(font());
    auto* edit = new QLineEdit(this);
    SetControlId(edit, id);
    edit->setGeometry(units.Rect(60, y, 130, 12));
    auto* text = new QLabel(label, this);
    text->setBuddy(edit);
    text->setGeometry(units.Rect(6, y + 2, 52, 8 + 2));
    return edit;
}

// The fields show the members, and the focus goes to the first one.
void FireWallDialog::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        m_fingerEdit->setText(m_fingerFireWall);
        m_whoIsEdit->setText(m_whoIsFireWall);
        m_fingerEdit->setFocus(Qt::OtherFocusReason);
    }
    QDialog::setVisible(visible);
}

// Texts are kept as typed: an empty one means no firewall.
void FireWallDialog::accept()
{
    m_fingerFireWall = m_fingerEdit->text();
    m_whoIsFireWall = m_whoIsEdit->text();
    WriteSetting(SettingKey::FingerFireWall, m_fingerFireWall);
    WriteSetting(SettingKey::WhoIsFireWall, m_whoIsFireWall);
    QDialog::accept();
}

void InstallFireWallsCommand(MainDialog& dialog)
{
    QObject::connect(dialog.Actions().fireWalls, &QAction::triggered, &dialog, [&dialog] { OnFireWalls(dialog); });
}

} // namespace netsonde
