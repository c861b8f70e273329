// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for tests of Finger, WhoIs and Quote Of The Day in the main
// window: filling a page as the user does.

#include "mainwindow/MainDialogFixture.h"

#include "mainwindow/OutputPane.h"
#include "pages/QuoteOfDayPage.h"
#include "pages/UserHostPage.h"
#include "resources/ResourceIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace netsonde::test {

struct QueryInput {
    QString host{};
    QString user{};
    bool verbose = false;
    bool clearOutput = true;
};

struct PageControlIds {
    int host;
    int user; // 0 when the page has none
    int clear;
    int verbose; // 0 when the page has none
};

inline PageControlIds ControlIdsOf(FunctionId id)
{
    if (id == FunctionId::Finger)
        return {IDC_FINGER_HOST, IDC_FINGER_USER, IDC_FINGER_CLEAR, IDC_FINGER_VERBOSE};
    if (id == FunctionId::WhoIs)
        return {IDC_WHOIS_HOST, IDC_WHOIS_USER, IDC_WHOIS_CLEAR, 0};
    return {IDC_QUOTE_HOST, 0, IDC_QUOTE_CLEAR, 0};
}

// Selects the function's tab and types the input into its page.
inline void FillPage(CMainDialog& dialog, FunctionId id, const QueryInput& input)
{
    dialog.SelectFunction(id);
    const QWidget* page = dialog.Page(id);
    const PageControlIds ids = ControlIdsOf(id);
    if (ids.user)
        Control<QLineEdit>(page, ids.user)->setText(input.user);
    Control<QComboBox>(page, ids.host)->setEditText(input.host);
    Control<QCheckBox>(page, ids.clear)->setChecked(input.clearOutput);
    if (ids.verbose)
        Control<QCheckBox>(page, ids.verbose)->setChecked(input.verbose);
}

inline QString PaneText(const CMainDialog& dialog, FunctionId id) { return dialog.TextPane(id)->Text(); }

} // namespace netsonde::test
