// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every text the main window's status line shows while the watch lives, in
// order; a text shown again right after itself is noted once.

#include "mainwindow/MainDialog.h"

#include <QObject>
#include <QStringList>

namespace netsonde::test {

class CStatusWatch : public QObject {
public:
    explicit CStatusWatch(const CMainDialog& dialog)
    {
        connect(&dialog, &CMainDialog::StatusTextShown, this, [this](const QString& text) {
            if (m_texts.isEmpty() || m_texts.constLast() != text)
                m_texts << text;
        });
    }

    const QStringList& Texts() const { return m_texts; }

private:
    QStringList m_texts;
};

} // namespace netsonde::test
