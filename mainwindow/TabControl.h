// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tab control of the main window: a row of tabs over a framed area in
// which the pages live. It reports a change first as about to happen, then
// as done.

#include <QWidget>

class QTabBar;

namespace netsonde {

class TabControl : public QWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent);

    void AddTab(const QString& label);
    int CurrentIndex() const;
    void SetCurrentIndex(int index);
    QTabBar* TabBar() const { return m_tabBar; }
    // The area below the tabs, in the control's coordinates.
    QRect ClientRect() const;

Q_SIGNALS:
    void selectionChanging(int leavingIndex);
    void selectionChanged(int newIndex);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnTabBarChanged(int newIndex);

    QTabBar* m_tabBar;
    int m_current = -1;
};

} // namespace netsonde
