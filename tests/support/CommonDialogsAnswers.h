// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tests answer the program's common dialogs through CommonDialogs(): each
// case installs the answers it needs and puts the platform's back after.

#include "mainwindow/CommonDialogs.h"
#include "widgets/ControlIds.h"

#include <QDialog>
#include <QList>

namespace netsonde::test {

// March 4th 2024 was a Monday.
inline QString FixedExportDateLine()
{
    return QStringLiteral("Monday, March 04, 2024 09:05AM\r\n\r\n");
}

// Modal dialogs are noted by their IDs and closed at once; links are noted,
// not opened; the clock is fixed; any other common dialog is cancelled.
class CommonDialogsAnswers {
public:
    CommonDialogsAnswers()
    {
        CommonDialogs& dialogs = ActiveCommonDialogs();
        dialogs.chooseSavePath = [](QWidget*) { return std::optional<QString>(); };
        dialogs.chooseFont = [](QWidget*, const QFont&) { return std::optional<QFont>(); };
        dialogs.choosePrinter = [](QWidget*, QPrinter&) { return false; };
        dialogs.runModal = [this](QDialog& dialog) {
            dialog.show();
            modalIds << DialogId(&dialog);
            return int(QDialog::Rejected);
        };
        dialogs.openUrl = [this](const QUrl& url) { openedUrls.append(url); };
        dialogs.now = [] { return QDateTime(QDate(2024, 3, 4), QTime(9, 5)); };
    }
    ~CommonDialogsAnswers() { ActiveCommonDialogs() = PlatformCommonDialogs(); }
    CommonDialogsAnswers(const CommonDialogsAnswers&) = delete;
    CommonDialogsAnswers& operator=(const CommonDialogsAnswers&) = delete;

    QList<QUrl> openedUrls;
    QList<int> modalIds;
};

} // namespace netsonde::test
