// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's lookups answered by a scripted resolver.

#include "mainwindow/MainDialog.h"
#include "resolver/ScriptedResolver.h"

#include <memory>

namespace netsonde::test {

// Gives the window a scripted resolver and returns it; the window owns it.
inline CScriptedResolver& UseScriptedResolver(CMainDialog& dialog)
{
    auto resolver = std::make_unique<CScriptedResolver>();
    CScriptedResolver& scripted = *resolver;
    dialog.SetResolver(std::move(resolver));
    return scripted;
}

} // namespace netsonde::test
