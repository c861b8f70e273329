// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Winsock Information (dialog 142): what the sockets layer reported at
// start-up, and how ICMP echo requests are sent.

#include "platform/SocketStartupRecord.h"

#include <QDialog>

#include <cstdint>

class QLabel;
class QPlainTextEdit;

namespace netsonde {

class DialogUnits;

// "major.minor" of a version value whose low byte is the major number.
QString FormatSocketVersion(std::uint16_t version);

class WinsockInfoDialog : public QDialog {
    Q_OBJECT
public:
    // icmpMethod names the ICMP method in use, or why there is none; it is
    // added as a last line of the general information when not empty.
    WinsockInfoDialog(const SocketStartupRecord& record, const QString& icmpMethod = {}, QWidget* parent = nullptr);

    QString m_version;
    QString m_highest;
    QString m_maxSockets;
    QString m_maxUdp;
    QString m_general; // CR LF line ends

private:
    void CreateControls();
    QLabel* AddLabel(const QString& text, const DialogUnits& units, QRect rect, int id = 0);
    void FormatValues(const SocketStartupRecord& record, const QString& icmpMethod);
    void CopyValuesIntoControls();

    QLabel* m_versionLabel = nullptr;
    QLabel* m_highestLabel = nullptr;
    QLabel* m_maxSocketsLabel = nullptr;
    QLabel* m_maxUdpLabel = nullptr;
    QPlainTextEdit* m_generalEdit = nullptr;
};

} // namespace netsonde
