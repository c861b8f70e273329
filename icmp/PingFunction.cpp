#include "icmp/PingFunction.h"

#include "mainwindow/MainDialog.h"
#include "pages/PingPage.h"

#include <QTreeWidget>

#include <array>
#include <thread>

namespace netsonde {

namespace {

constexpr std::size_t kPingDataSize = 64;
constexpr std::uint32_t kMillisecondsPerSecond = 1000;

const CIcmpRunTexts& PingTexts()
{
    static const CIcmpRunTexts texts{QStringLiteral("Reserving memory for reply buffer"),
                                     QStringLiteral("Opening Ping service"),
                                     QStringLiteral("Unable to access Ping service!")};
    return texts;
}

// "me" and "myself", in any mix of case, are the local host.
QString AddressTextOf(const QString& host)
{
    const QString lower = host.toLower();
    return lower == QLatin1String("me") || lower == QLatin1String("myself") ? QStringLiteral("127.0.0.1") : host;
}

QTreeWidget* PingList(const CMainDialog& dialog) { return dialog.ResultList(FunctionId::Ping); }

// One request and its row; false when the run is no longer wanted.
bool PingOnce(CIcmpRun& run, const CPingSettings& settings, unsigned n, std::span<const std::uint8_t> data)
{
    const int row = static_cast<int>(n - 1);
    run.SetStatus(QStringLiteral("Waiting for response ..."));
    const echo::EchoReply reply = run.SendEcho(data, std::nullopt, settings.nTimeout * kMillisecondsPerSecond);
    if (!run.StillCurrent())
        return false;
    if (reply.replyCount == 0) {
        run.OnWindow([&](CMainDialog& dialog) {
            dialog.SetStatusText(QStringLiteral("Waiting for response ... No response!"));
            InsertResultRow(PingList(dialog), row, n);
            SetResultCell(PingList(dialog), row, 2, QStringLiteral("No response"));
        });
        return true;
    }
    run.OnWindow([&](CMainDialog& dialog) {
        InsertResultRow(PingList(dialog), row, n);
        SetResultCell(PingList(dialog), row, 1, FormatIPv4Address(reply.address));
        SetResultCell(PingList(dialog), row, 3, FormatRoundTrip(reply.roundTripMs));
    });
    if (!settings.bResolve)
        return true;
    run.SetStatus(QStringLiteral("Waiting for response ... Resolving IP Address ..."));
    const std::optional<QString> name = run.LookUpName(reply.address);
    if (!run.StillCurrent())
        return false;
    run.OnWindow([&](CMainDialog& dialog) {
        dialog.SetStatusText(QStringLiteral("Waiting for response ... Resolving IP Address ... Done!"));
        SetResultCell(PingList(dialog), row, 2, name.value_or(QStringLiteral("Unavailable")));
    });
    return true;
}

} // namespace

CPingFunction::CPingFunction(CMainDialog& dialog, std::shared_ptr<CIcmpSession> session)
    : CIcmpFunction(dialog, FunctionId::Ping, std::move(session))
{
}

void CPingFunction::StartPing()
{
    if (!PrepareRun())
        return;
    const CPingPage* page = m_dialog.PingPage();
    CPingSettings settings{page->m_strHost, page->m_nPings, page->m_nTimeout, page->m_nDelay, page->m_bResolve};
    std::thread(PingWorker, std::move(settings), NewRun()).detach();
}

int PingWorker(CPingSettings settings, CIcmpRun run)
{
    if (!run.Open(settings.strHost, AddressTextOf(settings.strHost), PingTexts()))
        return 0;
    std::array<std::uint8_t, kPingDataSize> data{};
    data.fill(kEchoFillByte);
    for (unsigned n = 1; n <= settings.nPings; ++n) {
        if (!run.StillCurrent() || !PingOnce(run, settings, n, data))
            return 0;
        if (n < settings.nPings && settings.nDelay != 0) {
            run.SetStatus(QStringLiteral("Waiting for %1 ms").arg(settings.nDelay));
            run.Pause(settings.nDelay);
        }
    }
    run.EndRun();
    return 0;
}

} // namespace netsonde
