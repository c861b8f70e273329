// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/FireWallDialog.h"

#include "mainwindow/MainDialog.h"
#include "platform/widgets/ControlIds.h"
#include "platform/widgets/DialogUnits.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsKeys.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace netsonde {

namespace {

QPushButton* AddButton(QDialog* dialog, int id, const QString& text, QRect rect)
{
    auto* button = new QPushButton(text, dialog);
    SetControlId(button, id);
    button->setGeometry(rect.x(), rect.y(), qMax(rect.width(), button->sizeHint().width()),
                        qMax(rect.height(), button->sizeHint().height()));
    return button;
}

void OnFireWalls(CMainDialog& mainDialog)
{
    CFireWallDialog dialog(&mainDialog);
    dialog.m_strFingerFireWall = mainDialog.Options().strFingerFireWall;
    dialog.m_strWhoIsFireWall = mainDialog.Options().strWhoIsFireWall;
    if (dialog.exec() != QDialog::Accepted)
        return;
    mainDialog.SetFireWalls(dialog.m_strFingerFireWall, dialog.m_strWhoIsFireWall);
}

} // namespace

CFireWallDialog::CFireWallDialog(QWidget* parent) : QDialog(parent)
{
    SetDialogId(this, IDD_FIREWALL);
    setWindowTitle(QStringLiteral("FireWall Configuration"));
    CreateControls();
}

void CFireWallDialog::CreateControls()
{
    const DialogUnits units(font());
    setFixedSize(units.X(255), units.Y(39));
    m_fingerEdit = AddField(IDC_FIREWALL_FINGER, QStringLiteral("&Finger FireWall:"), 4);
    m_whoIsEdit = AddField(IDC_FIREWALL_WHOIS, QStringLiteral("&WhoIs FireWall:"), 23);
    QPushButton* ok = AddButton(this, IDC_FIREWALL_OK, QStringLiteral("OK"), units.Rect(198, 4, 50, 14));
    ok->setDefault(true);
    QPushButton* cancel = AddButton(this, IDC_FIREWALL_CANCEL, QStringLiteral("Cancel"), units.Rect(198, 21, 50, 14));
    connect(ok, &QPushButton::clicked, this, &CFireWallDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CFireWallDialog::reject);
}

QLineEdit* CFireWallDialog::AddField(int id, const QString& label, int y)
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
void CFireWallDialog::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        m_fingerEdit->setText(m_strFingerFireWall);
        m_whoIsEdit->setText(m_strWhoIsFireWall);
        m_fingerEdit->setFocus(Qt::OtherFocusReason);
    }
    QDialog::setVisible(visible);
}

// Texts are kept as typed: an empty one means no firewall.
void CFireWallDialog::accept()
{
    m_strFingerFireWall = m_fingerEdit->text();
    m_strWhoIsFireWall = m_whoIsEdit->text();
    WriteSetting(SettingKey::FingerFireWall, m_strFingerFireWall);
    WriteSetting(SettingKey::WhoIsFireWall, m_strWhoIsFireWall);
    QDialog::accept();
}

void InstallFireWallsCommand(CMainDialog& dialog)
{
    dialog.SetCommandHandler(ID_FIREWALLS, [&dialog] { OnFireWalls(dialog); });
}

} // namespace netsonde
