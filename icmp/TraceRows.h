// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What both ways of tracing share: the start texts, the probe data, the probe
// for the host's second address and the rows and status texts of a hop.

#include "icmp/IcmpRun.h"
#include "run/ResultColumns.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace netsonde {

// The time-out of the probe that looks for the host's second address.
inline constexpr std::uint32_t kSecondAddressTimeoutMs = 10000;
inline constexpr std::uint32_t kMillisecondsPerSecond = 1000;

const IcmpRunTexts& TraceRouteTexts();

// The data of the probe without a Ttl, and of the hop probes.
std::span<const std::uint8_t> SecondAddressProbeData();
std::span<const std::uint8_t> HopProbeData();
std::uint8_t TimeToLiveOf(unsigned hop);

// "Looking for host N ..." followed by `rest`.
QString HopStatus(unsigned hop, const char* rest = "");

// The rows of hop `hop` (row hop - 1): one that answered, one that did not.
void PostAnsweredRow(IcmpRun& run, unsigned hop, const IpAddress& address, std::uint32_t roundTripMs);
void PostSilentRow(IcmpRun& run, unsigned hop);
// A cell filled in once its lookup has ended.
void PostHopCell(IcmpRun& run, unsigned hop, ResultColumn column, const QString& text);
// Cells of a row that change together.
using HopCells = std::vector<std::pair<ResultColumn, QString>>;
void PostHopCells(IcmpRun& run, unsigned hop, HopCells cells);

} // namespace netsonde
