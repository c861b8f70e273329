// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for tests of Finger, WhoIs and Quote Of The Day in the main
// window: filling a page as the user does.

#include "support/MainDialogFixture.h"

#include "mainwindow/OutputPane.h"
#include "resources/ResourceIds.h"

namespace netsonde::test {

struct QueryInput {
    QString host{};
    QString user{};
    bool verbose = false;
    bool clearOutput = true;
};

// Selects the function's tab and types the input into its page.
inline void FillPage(MainDialog& dialog, FunctionId id, const QueryInput& input)
{
    dialog.SelectFunction(id);
    PropertyPage* page = dialog.Page(id);
    if (id != FunctionId::QuoteOfDay)
        Control<QLineEdit>(page, id == FunctionId::Finger ? kFingerUserControl : kWhoIsUserControl)
            ->setText(input.user);
    page->HostCombo()->setEditText(input.host);
    const int clear = id == FunctionId::Finger  ? kFingerClearControl
                      : id == FunctionId::WhoIs ? kWhoIsClearControl
                                                : kQuoteClearControl;
    Control<QCheckBox>(page, clear)->setChecked(input.clearOutput);
    if (id == FunctionId::Finger)
        Control<QCheckBox>(page, kFingerVerboseControl)->setChecked(input.verbose);
}

inline QString PaneText(const MainDialog& dialog, FunctionId id)
{
    return dialog.TextPane(id)->Text();
}

} // namespace netsonde::test
