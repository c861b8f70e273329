// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The help window: the program's own help pages, compiled into it, with
// Contents, Back and Forward. One window serves the whole run; opening help
// again brings it to the front on the page asked for.

#include <QUrl>
#include <QWidget>

class QPushButton;
class QTextBrowser;

namespace netsonde {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent);

    static QUrl ContentsPage();
    static QUrl HelpOnHelpPage();

    void ShowPage(const QUrl& page);
    QUrl CurrentPage() const;
    QString CurrentTitle() const;

private:
    QTextBrowser* m_browser = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_forward = nullptr;
};

// Shows the page in the help window of `owner`, creating the window when
// needed. While a dialog of the program is open it owns the help window, so
// that the help stays usable beside it.
HelpWindow* ShowHelpPage(QWidget& owner, const QUrl& page);

} // namespace netsonde
