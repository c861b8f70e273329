// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for tests of the Name Server LookUp flow: the main window on the
// lookup's tab with a scripted resolver, the page's fields, and the pane.

#include "support/MainDialogFixture.h"
#include "support/ScriptedResolver.h"

#include "dns/NameServerLookUp.h"
#include "mainwindow/OutputPane.h"
#include "pages/NameServerLookUpPage.h"
#include "resources/ResourceIds.h"

#include <QCheckBox>
#include <QComboBox>

#include <memory>

namespace netsonde::test {

inline constexpr int kGetHostByXIndex = 0;

struct LookupWindow {
    std::unique_ptr<MainDialog> dialog;
    ScriptedResolver* resolver = nullptr; // owned by the dialog; null with the system resolver

    NameServerLookUpPage* Page() const { return dialog->NameServerLookUpTab(); }
    NameServerLookUp* FunctionFor() const
    {
        return dynamic_cast<NameServerLookUp*>(dialog->FunctionFor(FunctionId::NameServerLookUp));
    }
    QString Output() const { return dialog->TextPane(FunctionId::NameServerLookUp)->Text(); }

    // The page's fields as the user sets them; a search-type index of -1
    // leaves the type box without a selection.
    void Fill(const QString& host, int searchType, const QString& nameServer = {}, bool verbose = false,
              bool clearOutput = true) const
    {
        Page()->HostCombo()->setEditText(host);
        Control<QComboBox>(Page(), kNsSearchTypeControl)->setCurrentIndex(searchType);
        Control<QComboBox>(Page(), kNsServerControl)->setEditText(nameServer);
        Control<QCheckBox>(Page(), kNsVerboseControl)->setChecked(verbose);
        Control<QCheckBox>(Page(), kNsClearControl)->setChecked(clearOutput);
    }
};

inline LookupWindow OpenLookupWindow(bool scripted = true)
{
    LookupWindow window;
    window.dialog = OpenMainDialog();
    if (scripted) {
        auto resolver = std::make_unique<ScriptedResolver>();
        window.resolver = resolver.get();
        window.dialog->SetResolver(std::move(resolver));
    }
    window.dialog->SelectFunction(FunctionId::NameServerLookUp);
    return window;
}

} // namespace netsonde::test
