// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/HelpWindow.h"

#include "resources/AppIcon.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace netsonde {

namespace {

QPushButton* AddButton(QHBoxLayout* row, const QString& text)
{
    auto* button = new QPushButton(text);
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

// The modal dialog in front, if any; otherwise the window asked for.
QWidget& HelpOwner(QWidget& owner)
{
    QWidget* modal = QApplication::activeModalWidget();
    return modal ? *modal : owner;
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Netsonde Help"));
    setWindowIcon(AppIcon());
    resize(560, 480);

    auto* buttons = new QHBoxLayout;
    QPushButton* contents = AddButton(buttons, QStringLiteral("&Contents"));
    m_back = AddButton(buttons, QStringLiteral("&Back"));
    m_forward = AddButton(buttons, QStringLiteral("&Forward"));
    buttons->addStretch();

    m_browser = new QTextBrowser;
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    connect(contents, &QPushButton::clicked, this, [this] { ShowPage(ContentsPage()); });
    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] { setWindowTitle(CurrentTitle()); });
    m_back->setEnabled(false);
    m_forward->setEnabled(false);
}

QUrl HelpWindow::ContentsPage()
{
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}

QUrl HelpWindow::HelpOnHelpPage()
{
    return QUrl(QStringLiteral("qrc:/help/using-help.html"));
}

void HelpWindow::ShowPage(const QUrl& page)
{
    m_browser->setSource(page);
}

QUrl HelpWindow::CurrentPage() const
{
    return m_browser->source();
}

QString HelpWindow::CurrentTitle() const
{
    return m_browser->documentTitle();
}

HelpWindow* ShowHelpPage(QWidget& owner, const QUrl& page)
{
    QWidget& helpOwner = HelpOwner(owner);
    HelpWindow* help = owner.findChild<HelpWindow*>();
    if (!help)
        help = new HelpWindow(&helpOwner);
    else if (help->parentWidget() != &helpOwner)
        help->setParent(&helpOwner, help->windowFlags());
    help->ShowPage(page);
    help->show();
    help->raise();
    help->activateWindow();
    return help;
}

} // namespace netsonde
