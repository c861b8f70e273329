// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/AboutDialog.h"

#include "mainwindow/SmallDialogIds.h"
#include "mainwindow/WebLinks.h"
#include "resources/AppIcon.h"
#include "resources/ResourceIds.h"
#include "widgets/ControlIds.h"
#include "widgets/DialogUnits.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace netsonde {

namespace {

constexpr int kIconSize = 32;
const QString kCrLf = QStringLiteral("\r\n");

} // namespace

QImage TransparentLogo(const QImage& logo)
{
    if (logo.isNull())
        return logo;
    QImage image = logo.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == key)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return image;
}

QImage AboutLogo()
{
    return TransparentLogo(QImage(QStringLiteral(":/logo.xpm")));
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), m_logo(AboutLogo())
{
    SetDialogId(this, kAboutBoxDialog);
    setWindowTitle(QStringLiteral("About Netsonde"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    CreateControls();
    BuildText();
    m_textLabel->setText(QString(m_text).replace(kCrLf, QStringLiteral("\n")));
}

void AboutDialog::CreateControls()
{
    const DialogUnits units(font());
    setFixedSize(units.X(217), units.Y(100));

    auto* icon = new QLabel(this);
    SetControlId(icon, kAboutIconControl);
    icon->setPixmap(AppIcon().pixmap(QSize(kIconSize, kIconSize), devicePixelRatioF()));
    icon->setGeometry(units.X(53), units.Y(6), kIconSize, kIconSize);

    // Only the place of this frame is used: the logo is drawn there.
    m_logoFrame = new QWidget(this);
    SetControlId(m_logoFrame, kAboutLogoControl);
    m_logoFrame->setGeometry(units.Rect(82, 8, 80, 17));
    m_logoFrame->hide();

    m_textLabel = new QLabel(this);
    SetControlId(m_textLabel, kAboutTextControl);
    m_textLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_textLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_textLabel->setWordWrap(true);
    m_textLabel->setGeometry(units.Rect(5, 31, 207, 43));

    QPushButton* feedback = AddButton(kAboutFeedbackControl, QStringLiteral("Feedback"), units, {5, 81, 47, 14});
    QPushButton* homepage =
        AddButton(kAboutHomepageControl, QStringLiteral("Visit Netsonde Homepage"), units, {62, 81, 92, 14});
    QPushButton* close = AddButton(kAboutCloseControl, QStringLiteral("Close"), units, {165, 81, 47, 14});
    close->setDefault(true);
    close->setFocus(Qt::OtherFocusReason);

    connect(feedback, &QPushButton::clicked, this, [] { OpenFeedback(); });
    connect(homepage, &QPushButton::clicked, this, [] { OpenHomepage(); });
    connect(close, &QPushButton::clicked, this, [this] { accept(); });
}

QPushButton* AboutDialog::AddButton(int id, const QString& text, const DialogUnits& units, QRect rect)
{
    auto* button = new QPushButton(text, this);
    SetControlId(button, id);
    button->setAutoDefault(false);
    // A text wider than its place widens the button on both sides.
    QRect place = units.Rect(rect.x(), rect.y(), rect.width(), rect.height());
    const int missing = button->sizeHint().width() - place.width();
    if (missing > 0)
        place.adjust(-(missing + 1) / 2, 0, missing / 2, 0);
    button->setGeometry(place);
    return button;
}

void AboutDialog::BuildText()
{
    m_text = kCrLf + QString::fromLatin1(kVersionText) + kCrLf + QStringLiteral("A network toolkit for the desktop.")
             + kCrLf + QStringLiteral("Free software, offered without any warranty.");
}

QPoint AboutDialog::LogoPosition() const
{
    return m_logoFrame->geometry().topLeft();
}

void AboutDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.drawImage(LogoPosition(), m_logo);
}

} // namespace netsonde
