// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// About Netsonde (dialog 100): the icon, the logo with a see-through
// background, the version and two lines of notice, and buttons to the
// homepage and to a feedback mail.

#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;

namespace netsonde {

class DialogUnits;

// The logo with every pixel of its top-left pixel's colour made transparent.
QImage TransparentLogo(const QImage& logo);

// The logo as drawn: from the program's own picture.
QImage AboutLogo();

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    QString m_text; // CR LF line ends
    // Where the logo's top-left corner goes, in the dialog's coordinates.
    QPoint LogoPosition() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateControls();
    QPushButton* AddButton(int id, const QString& text, const DialogUnits& units, QRect rect);
    void BuildText();

    QWidget* m_logoFrame = nullptr;
    QLabel* m_textLabel = nullptr;
    QImage m_logo;
};

} // namespace netsonde
