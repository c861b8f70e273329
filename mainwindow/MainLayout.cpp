// SPDX-License-Identifier: GPL-3.0-or-later
// The layout of the main window: the compact form, the anchored right
// column, the stretched tab control, pages and fields, and the visible pane
// filling the area above the status line.

#include "mainwindow/MainDialog.h"

#include "mainwindow/TabControl.h"
#include "pages/PropertyPage.h"
#include "widgets/AnimationControl.h"

#include <QComboBox>
#include <QEvent>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QStatusBar>

namespace netsonde {

namespace {

constexpr int kNarrowAllowance = 50;

} // namespace

int MainDialog::ClientTop() const
{
    return m_menuBar ? m_menuBar->sizeHint().height() : 0;
}

QRect MainDialog::ClientRect() const
{
    const int top = ClientTop();
    return QRect(0, top, width(), height() - top);
}

int MainDialog::CompactHeight() const
{
    const int tabTop = m_tab->y() - ClientTop();
    return m_tab->geometry().bottom() + 1 + tabTop;
}

void MainDialog::MakeCompact()
{
    const int compact = CompactHeight();
    setMinimumHeight(compact);
    setMaximumHeight(compact);
    resize(width(), compact);
}

bool MainDialog::IsNarrow() const
{
    const int gap = m_goButton->x() - (m_tab->geometry().right() + 1);
    const int hostLeft = Page(FunctionId::Ping)->HostCombo()->x();
    return width() < m_goButton->width() + 2 * gap + hostLeft + kNarrowAllowance;
}

void MainDialog::LayoutControls()
{
    if (!m_initialised || isMinimized() || m_layingOut)
        return;
    m_layingOut = true;
    // A maximised compact window keeps its state; its height limit holds it.
    if (m_outputShown)
        m_options.expandedHeight = height();
    else if (height() != CompactHeight() && !isMaximized())
        MakeCompact();
    m_menuBar->setGeometry(0, 0, width(), ClientTop());
    if (std::find(m_paneShown.begin(), m_paneShown.end(), true) != m_paneShown.end())
        LayoutStatusBar();
    if (!IsNarrow()) {
        // Every gap is measured before anything moves.
        const int gap = m_clearButton->x() - (m_tab->geometry().right() + 1);
        LayoutRightColumn();
        LayoutTabAndPages(gap);
    }
    LayoutVisiblePane();
    m_layingOut = false;
}

void MainDialog::LayoutStatusBar()
{
    const int barHeight = m_statusBar->sizeHint().height();
    m_statusBar->setGeometry(0, height() - barHeight, width(), barHeight);
}

void MainDialog::LayoutRightColumn()
{
    const int tabRight = m_tab->geometry().right() + 1;
    for (QWidget* control : {static_cast<QWidget*>(m_animation), static_cast<QWidget*>(m_goButton),
                             static_cast<QWidget*>(m_stopButton), static_cast<QWidget*>(m_clearButton)}) {
        const int gap = control->x() - tabRight;
        control->move(width() - gap - control->width(), control->y());
    }
}

void MainDialog::LayoutTabAndPages(int gap)
{
    // The tab control ends one gap left of the column.
    const int tabWidth = m_clearButton->x() - gap - m_tab->x();
    m_tab->resize(tabWidth, m_tab->height());
    for (PropertyPage* page : m_pages) {
        page->resize(m_tab->width() - 2 * page->x(), m_tab->height() - page->y() - 2);
        for (QWidget* field : page->StretchableFields())
            field->resize(page->width() - gap - field->x(), field->height());
    }
}

void MainDialog::LayoutVisiblePane()
{
    // The shown pane follows the window even after a tab change.
    const auto shown = std::find(m_paneShown.begin(), m_paneShown.end(), true);
    if (shown == m_paneShown.end())
        return;
    QWidget* pane = m_panes[static_cast<std::size_t>(shown - m_paneShown.begin())];
    // A run started before the window is first shown (by a switch) already
    // has its status line, though nothing in the window is visible yet.
    const int barHeight = m_statusBar->isVisibleTo(this) ? m_statusBar->height() : 0;
    pane->resize(width() - 2 * pane->x(), height() - pane->y() - barHeight);
}

void MainDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    LayoutControls();
    if (isVisible() && event->oldSize().isValid())
        WidenAddressColumns(event->size().width() - event->oldSize().width());
}

void MainDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    const int top = ClientTop();
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, top, width() - 1, top);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, top + 1, width() - 1, top + 1);
    CheckWindowColour();
}

void MainDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        CheckWindowColour();
}

void MainDialog::CheckWindowColour()
{
    const QColor colour = palette().color(QPalette::Window);
    if (colour == m_crWindow || !m_animation)
        return;
    m_crWindow = colour;
    m_animation->Close();
    m_animation->Open();
    if (m_runs->IsBusy())
        m_animation->Play();
}

} // namespace netsonde
