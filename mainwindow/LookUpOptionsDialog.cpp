// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/LookUpOptionsDialog.h"

#include "dns/LookUpOptions.h"
#include "mainwindow/MainDialog.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsKeys.h"
#include "widgets/ControlIds.h"
#include "widgets/DialogButton.h"
#include "widgets/DialogUnits.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

namespace netsonde {

namespace {

constexpr int kFieldX = 96;
constexpr int kButtonX = 150;

} // namespace

LookUpOptionsDialog::LookUpOptionsDialog(QWidget* parent) : QDialog(parent)
{
    SetDialogId(this, kLookUpOptionsDialog);
    setWindowTitle(QStringLiteral("Name Server LookUp Options"));
    CreateControls();
    ShowStoredValues();
}

void LookUpOptionsDialog::CreateControls()
{
    const DialogUnits units(font());
    setFixedSize(units.X(207), units.Y(98));
    m_timeoutSpin =
        AddSpin(kLookUpTimeoutControl, QStringLiteral("&Time-out per try (s):"), SettingKey::NsLookUpTimeout, 6);
    m_triesSpin = AddSpin(kLookUpTriesControl, QStringLiteral("T&ries:"), SettingKey::NsLookUpTries, 22);
    m_ednsCheck = AddCheck(kLookUpEdnsControl, QStringLiteral("Send &EDNS (OPT record)"), 40);
    m_payloadSpin =
        AddSpin(kLookUpPayloadControl, QStringLiteral("&UDP payload size:"), SettingKey::NsLookUpUdpPayloadSize, 54);
    m_payloadSpin->setMinimum(std::max(m_payloadSpin->minimum(), static_cast<int>(kMinUdpPayloadSize)));
    connect(m_ednsCheck, &QCheckBox::toggled, m_payloadSpin, &QSpinBox::setEnabled);
    m_tcpCheck = AddCheck(kLookUpTcpControl, QStringLiteral("Use T&CP"), 72);
    m_dnssecCheck = AddCheck(kLookUpDnssecControl, QStringLiteral("Request &DNSSEC records"), 84);
    QPushButton* ok = AddDialogButton(this, kLookUpOkControl, QStringLiteral("OK"), units.Rect(kButtonX, 4, 50, 14));
    ok->setDefault(true);
    QPushButton* cancel =
        AddDialogButton(this, kLookUpCancelControl, QStringLiteral("Cancel"), units.Rect(kButtonX, 21, 50, 14));
    connect(ok, &QPushButton::clicked, this, &LookUpOptionsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &LookUpOptionsDialog::reject);
}

// A spin box in the range of its setting, with its label on the left.
QSpinBox* LookUpOptionsDialog::AddSpin(int id, const QString& label, SettingKey key, int y)
{
    const DialogUnits units(font());
    const SettingInfo& info = SettingInfoOf(key);
    auto* spin = new QSpinBox(this);
    SetControlId(spin, id);
    spin->setRange(info.minimum, info.maximum);
    spin->setGeometry(units.Rect(kFieldX, y, 40, 12));
    auto* text = new QLabel(label, this);
    text->setBuddy(spin);
    text->setGeometry(units.Rect(6, y + 2, kFieldX - 8, 10));
    return spin;
}

QCheckBox* LookUpOptionsDialog::AddCheck(int id, const QString& text, int y)
{
    const DialogUnits units(font());
    auto* check = new QCheckBox(text, this);
    SetControlId(check, id);
    check->setGeometry(units.Rect(6, y, kButtonX - 10, 10));
    return check;
}

// A stored payload size of 0 sends no OPT record: the box is cleared and
// the field offers the default size; 1 to 511 show as the 512 they mean.
void LookUpOptionsDialog::ShowStoredValues()
{
    m_timeoutSpin->setValue(ReadIntSetting(SettingKey::NsLookUpTimeout));
    m_triesSpin->setValue(ReadIntSetting(SettingKey::NsLookUpTries));
    const auto payload =
        UsableUdpPayloadSize(static_cast<unsigned>(ReadIntSetting(SettingKey::NsLookUpUdpPayloadSize)));
    m_ednsCheck->setChecked(payload != 0);
    m_payloadSpin->setEnabled(payload != 0);
    m_payloadSpin->setValue(payload != 0 ? static_cast<int>(payload)
                                         : SettingInfoOf(SettingKey::NsLookUpUdpPayloadSize).defaultInt);
    m_tcpCheck->setChecked(ReadFlagSetting(SettingKey::NsLookUpUseTcp));
    m_dnssecCheck->setChecked(ReadFlagSetting(SettingKey::NsLookUpRequestDnssec));
}

void LookUpOptionsDialog::accept()
{
    WriteSetting(SettingKey::NsLookUpTimeout, m_timeoutSpin->value());
    WriteSetting(SettingKey::NsLookUpTries, m_triesSpin->value());
    WriteSetting(SettingKey::NsLookUpUdpPayloadSize, m_ednsCheck->isChecked() ? m_payloadSpin->value() : 0);
    WriteFlagSetting(SettingKey::NsLookUpUseTcp, m_tcpCheck->isChecked());
    WriteFlagSetting(SettingKey::NsLookUpRequestDnssec, m_dnssecCheck->isChecked());
    QDialog::accept();
}

void InstallLookUpOptionsCommand(MainDialog& dialog)
{
    QObject::connect(dialog.Actions().lookUpOptions, &QAction::triggered, &dialog, [&dialog] {
        LookUpOptionsDialog options(&dialog);
        options.exec();
    });
}

} // namespace netsonde
