// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The table of the options of ours: each option's name, value, the
// functions it applies to, its line in --help and how it sets its value.

#include "app/ReportOptions.h"
#include "run/FunctionId.h"

#include <QString>

#include <initializer_list>
#include <span>

namespace netsonde {

// How an option sets its value: the usage error, or empty once it is stored.
using OptionSetter = QString (*)(ReportOptions& options, const QString& name, const QString& value);

// One option of ours: its name, its value, the functions it applies to, its
// line in --help and how it sets its value.
struct ReportOption {
    const char* name;
    const char* valueName;                       // the value's name in --help; null when the option takes none
    std::initializer_list<FunctionId> functions; // empty: every function
    const char* help;                            // its line in --help after the functions; null for none
    OptionSetter set;
    bool leavesWindow = false; // given, the run goes without the window
};

// Every option of ours, in the order of --help.
std::span<const ReportOption> AllReportOptions();
// The option of that name (without "--"), or null.
const ReportOption* FindReportOption(const QString& name);
bool AppliesTo(const ReportOption& option, FunctionId function);

} // namespace netsonde
