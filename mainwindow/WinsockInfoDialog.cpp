// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/WinsockInfoDialog.h"

#include "mainwindow/SmallDialogIds.h"
#include "platform/widgets/ControlIds.h"
#include "platform/widgets/DialogUnits.h"
#include "resources/ResourceIds.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace netsonde {

namespace {


QString ShownText(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

} // namespace

QString FormatSocketVersion(std::uint16_t version)
{
    return QStringLiteral("%1.%2").arg(version & 0xFF).arg(version >> 8);
}

CWinsockInfoDialog::CWinsockInfoDialog(const SocketStartupRecord& record, const QString& icmpMethod,
                                       QWidget* parent)
    : QDialog(parent)
{
    SetDialogId(this, IDD_WINSOCK_INFO);
    setWindowTitle(QStringLiteral("Winsock Information"));
    CreateControls();
    FormatValues(record, icmpMethod);
    CopyValuesIntoControls();
}

void CWinsockInfoDialog::CreateControls()
{
    const DialogUnits units(font());
    setFixedSize(units.X(225), units.Y(89));
    AddLabel(QStringLiteral("Windows Sockets Version:"), units, {7, 7, 100, 8});
    m_version = AddLabel({}, units, {118, 7, 24, 8}, IDC_WINSOCK_VERSION);
    AddLabel(QStringLiteral("Highest:"), units, {150, 7, 32, 8});
    m_highest = AddLabel({}, units, {186, 7, 32, 8}, IDC_WINSOCK_HIGHEST);
    AddLabel(QStringLiteral("Maximum Number of Sockets:"), units, {7, 19, 100, 8});
    m_maxSockets = AddLabel({}, units, {118, 19, 60, 8}, IDC_WINSOCK_MAX_SOCKETS);
    AddLabel(QStringLiteral("Maximum UDP datagram size:"), units, {7, 31, 100, 8});
    m_maxUdp = AddLabel({}, units, {118, 31, 60, 8}, IDC_WINSOCK_MAX_UDP);
    AddLabel(QStringLiteral("General Information:"), units, {7, 43, 98, 8});

    m_general = new QPlainTextEdit(this);
    SetControlId(m_general, IDC_WINSOCK_GENERAL);
    m_general->setReadOnly(true);
    m_general->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_general->setGeometry(units.Rect(7, 53, 160, 30));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    SetControlId(ok, IDC_WINSOCK_OK);
    ok->setDefault(true);
    ok->setGeometry(units.Rect(175, 69, 43, 14));
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
}

QLabel* CWinsockInfoDialog::AddLabel(const QString& text, const DialogUnits& units, QRect rect, int id)
{
    auto* label = new QLabel(text, this);
    if (id != 0)
        SetControlId(label, id);
    const QRect r = units.Rect(rect.x(), rect.y(), rect.width(), rect.height());
    label->setGeometry(r.x(), r.y(), qMax(r.width(), label->sizeHint().width()),
                       qMax(r.height(), label->sizeHint().height()));
    return label;
}

void CWinsockInfoDialog::FormatValues(const SocketStartupRecord& record, const QString& icmpMethod)
{
    m_strVersion = FormatSocketVersion(record.wVersion);
    m_strHighest = FormatSocketVersion(record.wHighVersion);
    m_strMaxSockets = QString::number(record.iMaxSockets);
    m_strMaxUdp = QString::number(record.iMaxUdpDg);
    m_strGeneral = record.szDescription + QStringLiteral("\r\n") + record.szSystemStatus
        + QStringLiteral("\r\n") + record.lpVendorInfo;
    if (!icmpMethod.isEmpty())
        m_strGeneral += QStringLiteral("\r\n") + icmpMethod;
}

void CWinsockInfoDialog::CopyValuesIntoControls()
{
    m_version->setText(m_strVersion);
    m_highest->setText(m_strHighest);
    m_maxSockets->setText(m_strMaxSockets);
    m_maxUdp->setText(m_strMaxUdp);
    m_general->setPlainText(ShownText(m_strGeneral));
}

} // namespace netsonde
