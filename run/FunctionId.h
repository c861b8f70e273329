// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The six functions in tab order; the value is also the tab index.

#include <array>

namespace netsonde {

enum class FunctionId { Ping = 0, TraceRoute = 1, Finger = 2, WhoIs = 3, NameServerLookUp = 4, QuoteOfDay = 5 };

constexpr int kFunctionCount = 6;

struct FunctionInfo {
    const char* tabLabel;
    const char* windowTitle;
    char letter;      // the command-line switch
    const char* name; // in running text, as report mode's messages name it
};

inline constexpr std::array<FunctionInfo, kFunctionCount> FunctionTable{{
    {"Ping", "Ping", 'P', "Ping"},
    {"TraceRoute", "TraceRoute", 'T', "TraceRoute"},
    {"Finger", "Finger", 'F', "Finger"},
    {"WhoIs", "WhoIs", 'W', "WhoIs"},
    {"NS LookUp", "Name Server LookUp", 'N', "NS LookUp"},
    {"QoD", "Quote Of The Day", 'Q', "Quote Of The Day"},
}};

constexpr int Index(FunctionId id)
{
    return static_cast<int>(id);
}

// The function whose switch letter is given (upper case), or -1.
constexpr int FunctionOfLetter(char letter)
{
    for (int i = 0; i < kFunctionCount; ++i) {
        if (FunctionTable[i].letter == letter)
            return i;
    }
    return -1;
}

} // namespace netsonde
