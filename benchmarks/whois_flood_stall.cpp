// SPDX-License-Identifier: GPL-3.0-or-later
// How long a hostile WhoIs server can keep the window from answering. In
// the namespace lab a server pours out its answer as fast as it can while a
// 1 ms timer of the window's event loop notes every gap between its
// ticks; the longest gap is the longest time the window could not answer.
// Prints one line per case; the aim is a longest gap under 100 ms.
//
// Cases: 10 MB sent as fast as possible (the query ends at the pane limit),
// and answers of several sizes sent whole with the close right after,
// after the request or at once, so that they may wait in the socket when
// the client learns of the close.
//
// Run as root: bench_whois_flood_stall [repeats]

#include "support/LabEnvironment.h"
#include "support/LabServer.h"
#include "support/QueryTestSupport.h"

#include "platform/MessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <future>
#include <thread>

using namespace netsonde;
using namespace netsonde::test;

namespace {

constexpr std::uint16_t kWhoIsPort = 43;
constexpr qint64 kAimMs = 100;

struct Figures {
    qint64 longestGapMs = 0;
    qint64 runMs = 0;
    qsizetype paneLength = 0;
    qsizetype sentBytes = 0;
};

QByteArray AnswerOf(qsizetype size)
{
    const QByteArray line("Registrant Street: 1 Long Answer Road, Floodville\r\n");
    QByteArray text;
    text.reserve(size + line.size());
    while (text.size() < size)
        text.append(line);
    text.truncate(size);
    return text;
}

// Serves one connection: reads the request line (an eager server does not
// wait for it), sends the answer as fast as the client takes it, and closes;
// the number of bytes that left.
qsizetype ServeOnce(LabServer& server, const QByteArray& answer, bool eager)
{
    const QDeadlineTimer deadline(30000);
    while (!server.Accept() && !deadline.hasExpired())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    while (!eager && !server.Received().contains('\n') && !server.PeerClosed() && !deadline.hasExpired())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const qsizetype sent = SendAll(server.Descriptor(), answer, deadline);
    server.CloseConnection();
    return sent;
}

// One query against a server that sends `answer` as fast as it can and
// closes when done (or when the client goes away). An eager server sends
// as soon as it accepts, without waiting for the request, so its answer
// and its close may all wait in the socket before the client reads.
Figures RunOnce(const QByteArray& answer, bool eager)
{
    LabServer server(LabText("NETSONDE_LAB_NS_DESTINATION"), LabAddress("NETSONDE_LAB_DESTINATION"), kWhoIsPort);
    if (!server.IsListening()) {
        std::fprintf(stderr, "cannot listen in the lab\n");
        std::exit(1);
    }
    std::future<qsizetype> sent = std::async(std::launch::async, ServeOnce, std::ref(server), std::cref(answer), eager);
    MessageBoxRecorder boxes;
    MainDialog::SetFunctionInstaller([](RunController& runs, std::shared_ptr<echo::EchoService> service) {
        InstallFunctions(runs, std::move(service));
    });
    auto dialog = std::make_unique<MainDialog>();
    dialog->show();
    FillPage(*dialog, FunctionId::WhoIs, {qEnvironmentVariable("NETSONDE_LAB_DESTINATION"), "flood.example"});

    Figures figures;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { figures.longestGapMs = std::max(figures.longestGapMs, sinceTick.restart()); });
    QEventLoop loop;
    QObject::connect(dialog.get(), &MainDialog::statusTextShown, &loop, [&](const QString& text) {
        if (text == QLatin1String("Ready"))
            loop.quit();
    });
    QTimer::singleShot(0, dialog.get(), [&] {
        sinceTick.start();
        ticker.start();
        dialog->OnGo();
    });
    QElapsedTimer run;
    run.start();
    loop.exec();
    figures.runMs = run.elapsed();
    ticker.stop();
    figures.paneLength = PaneText(*dialog, FunctionId::WhoIs).size();
    dialog.reset();
    figures.sentBytes = sent.get();
    return figures;
}

void Report(const char* name, const QByteArray& answer, bool eager, int repeats)
{
    Figures worst;
    for (int i = 0; i < repeats; ++i) {
        const Figures figures = RunOnce(answer, eager);
        if (figures.longestGapMs >= worst.longestGapMs)
            worst = figures;
    }
    std::printf("%-34s answer %9lld B  sent %9lld B  pane %8lld chars  run %6lld ms  longest stall %5lld ms  %s\n",
                name, static_cast<long long>(answer.size()), static_cast<long long>(worst.sentBytes),
                static_cast<long long>(worst.paneLength), static_cast<long long>(worst.runMs),
                static_cast<long long>(worst.longestGapMs), worst.longestGapMs < kAimMs ? "within aim" : "OVER AIM");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    RunInsideLab(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window's settings go to a folder of the run's own.
    const QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    QApplication application(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::printf("longest event-loop stall while a WhoIs server floods the window (worst of %d runs, aim < %lld ms)\n",
                repeats, static_cast<long long>(kAimMs));
    Report("10 MB as fast as possible", AnswerOf(10 * 1024 * 1024), false, repeats);
    for (qsizetype size : {qsizetype(64) * 1024, qsizetype(512) * 1024, qsizetype(2) * 1024 * 1024}) {
        const QString kilobytes = QString::number(size / 1024);
        Report(qPrintable(kilobytes + " KB then close"), AnswerOf(size), false, repeats);
        Report(qPrintable(kilobytes + " KB and close at once"), AnswerOf(size), true, repeats);
    }
    return 0;
}
