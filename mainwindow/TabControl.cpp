// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/TabControl.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

namespace netsonde {

TabControl::TabControl(QWidget* parent) : QWidget(parent), m_tabBar(new QTabBar(this))
{
    m_tabBar->setDrawBase(false);
    m_tabBar->setExpanding(false);
    connect(m_tabBar, &QTabBar::currentChanged, this, &TabControl::OnTabBarChanged);
}

void TabControl::AddTab(const QString& label)
{
    const QSignalBlocker blocker(m_tabBar);
    m_tabBar->addTab(label);
    m_tabBar->setCurrentIndex(m_current);
    m_tabBar->resize(m_tabBar->sizeHint().width(), m_tabBar->sizeHint().height());
}

int TabControl::CurrentIndex() const
{
    return m_current;
}

void TabControl::SetCurrentIndex(int index)
{
    if (index == m_current)
        return;
    if (index < 0 || index >= m_tabBar->count()) {
        m_current = -1;
        return;
    }
    m_tabBar->setCurrentIndex(index);
    if (m_current != index)
        OnTabBarChanged(index);
}

void TabControl::OnTabBarChanged(int newIndex)
{
    if (newIndex == m_current)
        return;
    if (m_current >= 0)
        Q_EMIT selectionChanging(m_current);
    m_current = newIndex;
    Q_EMIT selectionChanged(newIndex);
}

QRect TabControl::ClientRect() const
{
    const int top = m_tabBar->height();
    return QRect(0, top, width(), height() - top);
}

void TabControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = ClientRect();
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = m_tabBar->size();
    frame.tabBarRect = m_tabBar->geometry();
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

void TabControl::resizeEvent(QResizeEvent*)
{
    m_tabBar->resize(qMin(width(), m_tabBar->sizeHint().width()), m_tabBar->sizeHint().height());
}

} // namespace netsonde
