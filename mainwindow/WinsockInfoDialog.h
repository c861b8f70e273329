#pragma once
// Winsock Information (dialog 142): what the sockets layer reported at
// start-up, and how ICMP echo requests are sent.

#include "platform/StartupRecord.h"

#include <QDialog>

#include <cstdint>
#include <functional>

class QLabel;
class QPlainTextEdit;

namespace netsonde {

class DialogUnits;

// "major.minor" of a version value whose low byte is the major number.
QString FormatSocketVersion(std::uint16_t version);

// The hook through which the echo service names the ICMP method in use (the
// kind of socket it opened). The text is added as a last line of the general
// information; without a source, or with an empty text, nothing is added.
using IcmpMethodTextSource = std::function<QString()>;
void SetIcmpMethodTextSource(IcmpMethodTextSource source);
QString IcmpMethodText();

class CWinsockInfoDialog : public QDialog {
    Q_OBJECT
public:
    CWinsockInfoDialog(const SocketStartupRecord& record, QWidget* parent = nullptr);

    QString m_strVersion;
    QString m_strHighest;
    QString m_strMaxSockets;
    QString m_strMaxUdp;
    QString m_strGeneral; // CR LF line ends

private:
    void CreateControls();
    QLabel* AddLabel(const QString& text, const DialogUnits& units, QRect rect, int id = 0);
    void FormatValues(const SocketStartupRecord& record);
    void CopyValuesIntoControls();

    QLabel* m_version = nullptr;
    QLabel* m_highest = nullptr;
    QLabel* m_maxSockets = nullptr;
    QLabel* m_maxUdp = nullptr;
    QPlainTextEdit* m_general = nullptr;
};

} // namespace netsonde
