// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/TraceRows.h"

#include "icmp/IcmpFunction.h"
#include "platform/resolver/Resolver.h"
#include "run/RunView.h"

#include <algorithm>
#include <limits>

namespace netsonde {

namespace {

constexpr std::size_t kFirstProbeDataSize = 64;
constexpr std::size_t kHopProbeDataSize = 48;

template <std::size_t Size>
constexpr std::array<std::uint8_t, Size> FilledData()
{
    std::array<std::uint8_t, Size> data{};
    data.fill(kEchoFillByte);
    return data;
}

constexpr auto kFirstProbeData = FilledData<kFirstProbeDataSize>();
constexpr auto kHopProbeData = FilledData<kHopProbeDataSize>();

int RowOf(unsigned hop)
{
    return static_cast<int>(hop - 1);
}

} // namespace

const IcmpRunTexts& TraceRouteTexts()
{
    static const IcmpRunTexts texts{QStringLiteral("Reserving memory for reply buffer and option information"),
                                    QStringLiteral("Opening TraceRoute service"),
                                    QStringLiteral("Unable to access TraceRoute service!")};
    return texts;
}

std::span<const std::uint8_t> SecondAddressProbeData()
{
    return kFirstProbeData;
}

std::span<const std::uint8_t> HopProbeData()
{
    return kHopProbeData;
}

std::uint8_t TimeToLiveOf(unsigned hop)
{
    return static_cast<std::uint8_t>(std::min<unsigned>(hop, std::numeric_limits<std::uint8_t>::max()));
}

QString HopStatus(unsigned hop, const char* rest)
{
    return QStringLiteral("Looking for host %1 ...").arg(hop) + QString::fromLatin1(rest);
}

void PostAnsweredRow(IcmpRun& run, unsigned hop, const IpAddress& address, std::uint32_t roundTripMs)
{
    run.Post([hop, address, roundTripMs](RunController& runs) {
        RunView& view = runs.View();
        view.InsertRow(FunctionId::TraceRoute, RowOf(hop), hop);
        view.SetCell(FunctionId::TraceRoute, RowOf(hop), ResultColumn::Address, FormatIpAddress(address));
        view.SetCell(FunctionId::TraceRoute, RowOf(hop), ResultColumn::ResponseTime, FormatRoundTrip(roundTripMs));
    });
}

void PostSilentRow(IcmpRun& run, unsigned hop)
{
    run.Post([hop](RunController& runs) {
        runs.SetStatusText(HopStatus(hop, " No reply!"));
        runs.View().InsertRow(FunctionId::TraceRoute, RowOf(hop), hop);
        runs.View().SetCell(FunctionId::TraceRoute, RowOf(hop), ResultColumn::HostName,
                            QStringLiteral("No response from this host"));
    });
}

void PostHopCell(IcmpRun& run, unsigned hop, ResultColumn column, const QString& text)
{
    run.Post([hop, column, text](RunController& runs) {
        runs.View().SetCell(FunctionId::TraceRoute, RowOf(hop), column, text);
    });
}

void PostHopCells(IcmpRun& run, unsigned hop, HopCells cells)
{
    run.Post([hop, cells = std::move(cells)](RunController& runs) {
        for (const auto& [column, text] : cells)
            runs.View().SetCell(FunctionId::TraceRoute, RowOf(hop), column, text);
    });
}

} // namespace netsonde
