// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Name Server LookUp Options dialog (dialog 151): how NS LookUp asks a
// name server, its time-out per try, tries, UDP payload size (or no OPT
// record), TCP and the DNSSEC bit. It shows the stored values; OK writes
// them all at once and Cancel changes nothing. A lookup reads them at Go.

#include <QDialog>

class QCheckBox;
class QSpinBox;

namespace netsonde {

class MainDialog;
enum class SettingKey;

// Dialog 151's control IDs.
constexpr int kLookUpTimeoutControl = 1005;
constexpr int kLookUpTriesControl = 1006;
constexpr int kLookUpEdnsControl = 1007;
constexpr int kLookUpPayloadControl = 1008;
constexpr int kLookUpTcpControl = 1009;
constexpr int kLookUpDnssecControl = 1010;
constexpr int kLookUpOkControl = 1;
constexpr int kLookUpCancelControl = 2;

class LookUpOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit LookUpOptionsDialog(QWidget* parent = nullptr);

    void accept() override;

private:
    void CreateControls();
    QSpinBox* AddSpin(int id, const QString& label, SettingKey key, int y);
    QCheckBox* AddCheck(int id, const QString& text, int y);
    void ShowStoredValues();

    QSpinBox* m_timeoutSpin = nullptr;
    QSpinBox* m_triesSpin = nullptr;
    QCheckBox* m_ednsCheck = nullptr;
    QSpinBox* m_payloadSpin = nullptr;
    QCheckBox* m_tcpCheck = nullptr;
    QCheckBox* m_dnssecCheck = nullptr;
};

// Connects the Options menu's Name Server LookUp command to the dialog.
void InstallLookUpOptionsCommand(MainDialog& dialog);

} // namespace netsonde
