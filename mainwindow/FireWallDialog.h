// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The FireWall Configuration dialog (dialog 141): the firewall hosts that
// relay Finger and WhoIs queries. OK writes both to the settings at once;
// Cancel changes nothing.

#include <QDialog>
#include <QString>

class QLineEdit;

namespace netsonde {

class MainDialog;

// Dialog 141's control IDs.
constexpr int kFireWallFingerControl = 1005;
constexpr int kFireWallWhoIsControl = 1006;
constexpr int kFireWallOkControl = 1;
constexpr int kFireWallCancelControl = 2;

class FireWallDialog : public QDialog {
    Q_OBJECT
public:
    explicit FireWallDialog(QWidget* parent = nullptr);

    void setVisible(bool visible) override;
    void accept() override;

    QString m_fingerFireWall;
    QString m_whoIsFireWall;

private:
    void CreateControls();
    QLineEdit* AddField(int id, const QString& label, int y);

    QLineEdit* m_fingerEdit = nullptr;
    QLineEdit* m_whoIsEdit = nullptr;
};

// Connects the FireWalls command (also F11) to OnFireWalls: the dialog opens
// with the main window's firewall hosts, and OK hands the new ones back.
void InstallFireWallsCommand(MainDialog& dialog);

} // namespace netsonde
