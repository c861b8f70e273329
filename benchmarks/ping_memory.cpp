// SPDX-License-Identifier: GPL-3.0-or-later
// Peak memory of a Ping run until stopped as report mode keeps it: delay 0,
// over an echo service that answers every request at once, stopped after
// 10^3, 10^5 and 10^6 samples in turn; after each run it prints the samples
// and the process's peak resident memory (VmHWM, KiB). The rows and the
// series are bounded, so the peak after 10^6 samples stays near the first.

#include "app/Functions.h"
#include "app/ReportView.h"
#include "platform/echo/EchoService.h"
#include "run/RunController.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cstdio>

using namespace netsonde;

namespace {

class InstantEchoService final : public echo::EchoService {
public:
    bool IsLoaded(IpFamily) const override { return true; }
    std::optional<echo::EchoSocketKind> SocketKind(IpFamily) const override { return echo::EchoSocketKind::Datagram; }
    std::string Description(IpFamily) const override { return "instant echo service"; }
    std::unique_ptr<echo::EchoHandle> CreateHandle(IpFamily, std::shared_ptr<const ShutdownSignal> wake) override
    {
        return std::make_unique<Handle>(std::move(wake));
    }
    void ShutdownAll() override {}

private:
    // Each request is answered at once, from its destination, after 250 us.
    class Handle final : public echo::EchoHandle {
    public:
        explicit Handle(std::shared_ptr<const ShutdownSignal> wake) : m_wake(std::move(wake)) {}
        std::optional<std::uint16_t> SendRequest(const IpAddress& destination, std::span<const std::uint8_t>,
                                                 std::optional<std::uint8_t>) override
        {
            if (m_wake && m_wake->IsRaised())
                return std::nullopt;
            m_destination = destination;
            return ++m_sequence;
        }
        std::optional<echo::EchoAnswer> AwaitAnswer(Clock::time_point, int) override
        {
            return echo::EchoAnswer{m_sequence, m_destination, std::chrono::microseconds(250)};
        }

    private:
        std::shared_ptr<const ShutdownSignal> m_wake;
        IpAddress m_destination;
        std::uint16_t m_sequence = 0;
    };
};

long PeakKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// One run until `samples` probes were noted.
void RunUntil(qint64 samples)
{
    auto service = std::make_shared<InstantEchoService>();
    ReportView view(FunctionId::Ping, false);
    RunController runs(view);
    InstallFunctions(runs, service);
    RunInputs inputs;
    inputs.function = FunctionId::Ping;
    inputs.host = QStringLiteral("192.0.2.1");
    inputs.timeout = 1;
    inputs.pingUntilStopped = true;
    QEventLoop loop;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (view.Probes().StatisticsOf(0).Sent() >= samples)
            runs.Stop();
    });
    QObject::connect(&runs, &RunController::runFinished, &loop, &QEventLoop::quit);
    watch.start(1);
    runs.Go(inputs);
    if (runs.IsBusy())
        loop.exec();
    runs.Shutdown();
    std::printf("samples %lld rows %lld peak_kib %ld\n", static_cast<long long>(view.Probes().StatisticsOf(0).Sent()),
                static_cast<long long>(view.Rows().size()), PeakKib());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    for (const qint64 samples : {1000, 100000, 1000000})
        RunUntil(samples);
    return 0;
}
