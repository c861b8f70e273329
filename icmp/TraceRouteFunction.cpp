#include "icmp/TraceRouteFunction.h"

#include "mainwindow/MainDialog.h"
#include "pages/TraceRoutePage.h"

#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <limits>
#include <thread>

namespace netsonde {

namespace {

constexpr std::size_t kFirstProbeDataSize = 64;
constexpr std::size_t kHopProbeDataSize = 48;
constexpr std::uint32_t kMillisecondsPerSecond = 1000;

const CIcmpRunTexts& TraceRouteTexts()
{
    static const CIcmpRunTexts texts{QStringLiteral("Reserving memory for reply buffer and option information"),
                                     QStringLiteral("Opening TraceRoute service"),
                                     QStringLiteral("Unable to access TraceRoute service!")};
    return texts;
}

QTreeWidget* TraceRouteList(const CMainDialog& dialog) { return dialog.ResultList(FunctionId::TraceRoute); }

QString HopText(const char* text, unsigned hop) { return QString::fromLatin1(text).arg(hop); }

template <std::size_t Size>
std::array<std::uint8_t, Size> FilledData()
{
    std::array<std::uint8_t, Size> data{};
    data.fill(kEchoFillByte);
    return data;
}

// The address the host answers from, found by an echo without a Ttl.
std::uint32_t FindSecondAddress(CIcmpRun& run)
{
    run.SetStatus(QStringLiteral("Looking for a second IP Address ..."));
    const auto data = FilledData<kFirstProbeDataSize>();
    const echo::EchoReply reply = run.SendEcho(data, std::nullopt, kSecondAddressTimeoutMs);
    return reply.replyCount != 0 ? reply.address : run.Destination();
}

// One hop's probe and row. Returns the address that answered (0 for none),
// or nothing when the run is no longer wanted.
std::optional<std::uint32_t> ProbeHop(CIcmpRun& run, const CTraceRouteSettings& settings, unsigned hop)
{
    const int row = static_cast<int>(hop - 1);
    run.SetStatus(HopText("Looking for host %1 ...", hop));
    const auto data = FilledData<kHopProbeDataSize>();
    const auto ttl = static_cast<std::uint8_t>(std::min<unsigned>(hop, std::numeric_limits<std::uint8_t>::max()));
    const echo::EchoReply reply = run.SendEcho(data, ttl, settings.nTimeout * kMillisecondsPerSecond);
    if (!run.StillCurrent())
        return std::nullopt;
    if (reply.replyCount == 0) {
        run.OnWindow([&](CMainDialog& dialog) {
            dialog.SetStatusText(HopText("Looking for host %1 ... No reply!", hop));
            InsertResultRow(TraceRouteList(dialog), row, hop);
            SetResultCell(TraceRouteList(dialog), row, 2, QStringLiteral("No response from this host"));
        });
        return 0;
    }
    run.OnWindow([&](CMainDialog& dialog) {
        InsertResultRow(TraceRouteList(dialog), row, hop);
        SetResultCell(TraceRouteList(dialog), row, 1, FormatIPv4Address(reply.address));
        SetResultCell(TraceRouteList(dialog), row, 3, FormatRoundTrip(reply.roundTripMs));
    });
    if (!settings.bResolve)
        return reply.address;
    run.SetStatus(HopText("Looking for host %1 ... Got reply, resolving IP address ...", hop));
    const std::optional<QString> name = run.LookUpName(reply.address);
    if (!run.StillCurrent())
        return std::nullopt;
    run.OnWindow([&](CMainDialog& dialog) {
        dialog.SetStatusText(HopText("Looking for host %1 ... Got reply, resolving IP address ... Done", hop));
        SetResultCell(TraceRouteList(dialog), row, 2, name.value_or(QStringLiteral("Unavailable")));
    });
    return reply.address;
}

} // namespace

CTraceRouteFunction::CTraceRouteFunction(CMainDialog& dialog, std::shared_ptr<CIcmpSession> session)
    : CIcmpFunction(dialog, FunctionId::TraceRoute, std::move(session))
{
}

void CTraceRouteFunction::StartTraceRoute()
{
    if (!PrepareRun())
        return;
    const CTraceRoutePage* page = m_dialog.TraceRoutePage();
    CTraceRouteSettings settings{page->m_strHost, page->m_nTimeout, page->m_nMaxHops, page->m_bResolve};
    std::thread(TraceRouteWorker, std::move(settings), NewRun()).detach();
}

int TraceRouteWorker(CTraceRouteSettings settings, CIcmpRun run)
{
    if (!run.Open(settings.strHost, settings.strHost, TraceRouteTexts()))
        return 0;
    // No check follows this probe: the first pass of the loop makes it.
    const std::uint32_t secondAddress = FindSecondAddress(run);
    for (unsigned hop = 1; hop <= settings.nMaxHops; ++hop) {
        if (!run.StillCurrent())
            return 0;
        const std::optional<std::uint32_t> answered = ProbeHop(run, settings, hop);
        if (!answered)
            return 0;
        if (*answered == run.Destination() || *answered == secondAddress)
            break;
    }
    run.EndRun();
    return 0;
}

} // namespace netsonde
