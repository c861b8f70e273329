// SPDX-License-Identifier: GPL-3.0-or-later
// Figures of the window, printed one per line as "name value unit":
//   startup  shows the main window with the window probe armed (see
//            window_probe.h), for benchmarks/process_times.py to time the
//            whole process with the window code linked in
//   append   the time to append a 30000-character answer that arrives in
//            2048-byte chunks to a text pane, through the received-text path

#include "app/Functions.h"
#include "mainwindow/MainDialog.h"
#include "mainwindow/OutputPane.h"
#include "query/ReceivedText.h"
#include "window_probe.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace netsonde;

namespace {

int ShowProbedWindow()
{
    bench::ArmWindowProbe();
    MainDialog::SetFunctionInstaller([](RunController& runs, std::shared_ptr<echo::EchoService> service) {
        InstallFunctions(runs, std::move(service));
    });
    MainDialog dialog;
    return dialog.exec() == QDialog::Rejected ? 0 : 1;
}

int MeasureAppend(int rounds)
{
    QByteArray answer;
    while (answer.size() < ReceivedText::kPaneLimit)
        answer += "0123456789 abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789\n";
    answer.truncate(ReceivedText::kPaneLimit - 1);
    double best = 1e300;
    for (int round = 0; round < rounds; ++round) {
        OutputPane pane(0, nullptr);
        pane.show();
        ReceivedText received(QueryFunction::Finger);
        QElapsedTimer timer;
        timer.start();
        for (qsizetype at = 0; at < answer.size(); at += ReceivedText::kChunkSize) {
            const auto result = received.Receive(
                QByteArrayView(answer).sliced(at, std::min(ReceivedText::kChunkSize, answer.size() - at)),
                pane.toPlainText().size());
            pane.AppendText(result.text);
            QCoreApplication::processEvents();
        }
        pane.AppendText(received.Finish());
        best = std::min(best, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("append %.2f ms\n", best);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Korvelin"));
    const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (what == QLatin1String("startup"))
        return ShowProbedWindow();
    if (what == QLatin1String("append"))
        return MeasureAppend(argc > 2 ? std::atoi(argv[2]) : 5);
    std::fprintf(stderr, "usage: bench_window startup|append [rounds]\n");
    return 2;
}
