// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/WinsockInfoDialog.h"

#include "mainwindow/SmallDialogIds.h"
#include "resources/ResourceIds.h"
#include "widgets/ControlIds.h"
#include "widgets/DialogUnits.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace netsonde {

namespace {

QString ShownText(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

QString FormatSocketVersion(std::uint16_t version)
{
    return QStringLiteral("%1.%2").arg(version & 0xFF).arg(version >> 8);
}

WinsockInfoDialog::WinsockInfoDialog(const SocketStartupRecord& record, const QString& icmpMethod, QWidget* parent)
    : QDialog(parent)
{
    SetDialogId(this, kWinsockInfoDialog);
    setWindowTitle(QStringLiteral("Winsock Information"));
    CreateControls();
    FormatValues(record, icmpMethod);
    CopyValuesIntoControls();
}

void WinsockInfoDialog::CreateControls()
{
    const DialogUnits units(font());
    setFixedSize(units.X(225), units.Y(89));
    AddLabel(QStringLiteral("Windows Sockets Version:"), units, {7, 7, 100, 8});
    m_versionLabel = AddLabel({}, units, {118, 7, 24, 8}, kWinsockVersionControl);
    AddLabel(QStringLiteral("Highest:"), units, {150, 7, 32, 8});
    m_highestLabel = AddLabel({}, units, {186, 7, 32, 8}, kWinsockHighestControl);
    AddLabel(QStringLiteral("Maximum Number of Sockets:"), units, {7, 19, 100, 8});
    m_maxSocketsLabel = AddLabel({}, units, {118, 19, 60, 8}, kWinsockMaxSocketsControl);
    AddLabel(QStringLiteral("Maximum UDP datagram size:"), units, {7, 31, 100, 8});
    m_maxUdpLabel = AddLabel({}, units, {118, 31, 60, 8}, kWinsockMaxUdpControl);
    AddLabel(QStringLiteral("General Information:"), units, {7, 43, 98, 8});

    m_generalEdit = new QPlainTextEdit(this);
    SetControlId(m_generalEdit, kWinsockGeneralControl);
    m_generalEdit->setReadOnly(true);
    m_generalEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_generalEdit->setGeometry(units.Rect(7, 53, 160, 30));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    SetControlId(ok, kWinsockOkControl);
    ok->setDefault(true);
    ok->setGeometry(units.Rect(175, 69, 43, 14));
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
}

QLabel* WinsockInfoDialog::AddLabel(const QString& text, const DialogUnits& units, QRect rect, int id)
{
    auto* label = new QLabel(text, this);
    if (id != 0)
        SetControlId(label, id);
    const QRect r = units.Rect(rect.x(), rect.y(), rect.width(), rect.height());
    label->setGeometry(r.x(), r.y(), qMax(r.width(), label->sizeHint().width()),
                       qMax(r.height(), label->sizeHint().height()));
    return label;
}

void WinsockInfoDialog::FormatValues(const SocketStartupRecord& record, const QString& icmpMethod)
{
    m_version = FormatSocketVersion(record.version);
    m_highest = FormatSocketVersion(record.highVersion);
    m_maxSockets = QString::number(record.maxSockets);
    m_maxUdp = QString::number(record.maxUdpDg);
    m_general =
        record.description + QStringLiteral("\r\n") + record.systemStatus + QStringLiteral("\r\n") + record.vendorInfo;
    if (!icmpMethod.isEmpty())
        m_general += QStringLiteral("\r\n") + icmpMethod;
}

void WinsockInfoDialog::CopyValuesIntoControls()
{
    m_versionLabel->setText(m_version);
    m_highestLabel->setText(m_highest);
    m_maxSocketsLabel->setText(m_maxSockets);
    m_maxUdpLabel->setText(m_maxUdp);
    m_generalEdit->setPlainText(ShownText(m_general));
}

} // namespace netsonde
