// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The columns of the Ping and TraceRoute results lists: their headings, the
// sample text that sets a list column's default width, and the width a cell
// is padded to in exported text (the last cell shown is never padded). The
// lists, their width samples, the export text and every cell a function
// writes take their columns from this one table. The first four are always
// shown; the others only in the runs that fill them.

#include "run/FunctionId.h"
#include "run/RunInputs.h"

#include <array>
#include <cstddef>
#include <vector>

namespace netsonde {

enum class ResultColumn {
    Number = 0,
    Address = 1,
    HostName = 2,
    ResponseTime = 3,
    AutonomousSystem = 4,
    // A repeated trace's statistics of each hop.
    LossPercent = 5,
    Sent = 6,
    Last = 7,
    Average = 8,
    Best = 9,
    Worst = 10,
    StandardDeviation = 11,
};

struct ResultColumnInfo {
    ResultColumn id;
    const char* heading;
    const char* widthSample; // list width: this text's width plus 15 pixels
    int exportWidth;
};

constexpr std::array<ResultColumnInfo, 12> kResultColumns{{
    {ResultColumn::Number, "#", "99", 5},
    {ResultColumn::Address, "Address", "255.255.255.255", 16},
    {ResultColumn::HostName, "Host Name", "WWWWWWWWWWWWWWWWWWWWWW", 50},
    {ResultColumn::ResponseTime, "Response Time", "Response Time", 15},
    {ResultColumn::AutonomousSystem, "AS", "AS4294967295", 14},
    {ResultColumn::LossPercent, "Loss%", "100.0%", 8},
    {ResultColumn::Sent, "Sent", "99999", 7},
    {ResultColumn::Last, "Last", "9999.9", 8},
    {ResultColumn::Average, "Avg", "9999.9", 8},
    {ResultColumn::Best, "Best", "9999.9", 8},
    {ResultColumn::Worst, "Worst", "9999.9", 8},
    {ResultColumn::StandardDeviation, "StDev", "9999.9", 0},
}};

constexpr int kResultColumnCount = static_cast<int>(kResultColumns.size());
// The columns every run shows; each has a stored width.
constexpr int kBaseResultColumnCount = 4;

// The width of the longest IPv6 address text (eight groups of four digits):
// what the Address column grows to when the window is widened.
constexpr const char* kLongestAddressSample = "8888:8888:8888:8888:8888:8888:8888:8888";

constexpr int ColumnIndex(ResultColumn column)
{
    return static_cast<int>(column);
}

// The four columns every run shows.
std::vector<ResultColumn> BaseResultColumns();

// The statistics columns of a repeated trace, in order.
std::vector<ResultColumn> StatisticsColumns();

// The columns a run of the function shows, in order: a TraceRoute of more
// than one round (or until stopped) adds the statistics columns.
std::vector<ResultColumn> ShownResultColumns(FunctionId id, const RunInputs& inputs);

} // namespace netsonde
