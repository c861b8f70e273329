// SPDX-License-Identifier: GPL-3.0-or-later
// The window closed in the middle of every kind of Ping and TraceRoute run in
// the namespace lab, with each socket kind forced in turn: Ping pausing
// between requests, Ping blocked on a request to the silent address, and
// TraceRoute's first probe (the search for a second address) waiting on the
// silent address. The close returns at once, the worker lets go of the echo
// service long before its wait would have ended, and nothing it does
// afterwards reaches the window that is gone (the sanitizer build proves the
// last; here no message box and no status text may appear).

#include "icmp/IcmpWindowFixture.h"
#include "netns/LabEnvironment.h"

#include "pages/PingPage.h"
#include "pages/TraceRoutePage.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QtTest>

using namespace netsonde;
using namespace netsonde::test;
using echo::EchoSocketChoice;

Q_DECLARE_METATYPE(EchoSocketChoice)

namespace {

QString LabText(const char* variable) { return QString::fromLatin1(qgetenv(variable)); }

enum class RunKind { PingPause, PingBlocked, TraceFirstProbe };

struct CRunPlan {
    QString status;    // the status line while the worker waits
    int waitMs = 0;    // how long the worker would wait without the close
};

CRunPlan StartRun(CMainDialog& dialog, RunKind kind)
{
    if (kind == RunKind::TraceFirstProbe) {
        CTraceRoutePage* page = dialog.TraceRoutePage();
        page->m_strHost = LabText("NETSONDE_LAB_SILENT");
        page->m_nTimeout = 60;
        page->m_nMaxHops = 15;
        page->m_bResolve = false;
        page->DoDataExchange(false);
        dialog.SelectFunction(FunctionId::TraceRoute);
        dialog.OnGo();
        return {QStringLiteral("Looking for a second IP Address ..."), 10000};
    }
    const bool pause = kind == RunKind::PingPause;
    CPingPage* page = dialog.PingPage();
    page->m_strHost = LabText(pause ? "NETSONDE_LAB_DESTINATION" : "NETSONDE_LAB_SILENT");
    page->m_nPings = 5;
    page->m_nTimeout = 60;
    page->m_nDelay = 10000;
    page->m_bResolve = false;
    page->DoDataExchange(false);
    dialog.SelectFunction(FunctionId::Ping);
    dialog.OnGo();
    if (pause)
        return {QStringLiteral("Waiting for 10000 ms"), 10000};
    return {QStringLiteral("Waiting for response ..."), 60000};
}

} // namespace

Q_DECLARE_METATYPE(RunKind)

class TestCloseDuringIcmp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    void closeWhileTheWorkerWaits_data()
    {
        QTest::addColumn<EchoSocketChoice>("choice");
        QTest::addColumn<RunKind>("kind");
        const std::pair<const char*, EchoSocketChoice> kinds[] = {{"datagram", EchoSocketChoice::DatagramOnly},
                                                                  {"raw", EchoSocketChoice::RawOnly}};
        for (const auto& [name, choice] : kinds) {
            QTest::addRow("%s, ping pause", name) << choice << RunKind::PingPause;
            QTest::addRow("%s, ping blocked", name) << choice << RunKind::PingBlocked;
            QTest::addRow("%s, trace first probe", name) << choice << RunKind::TraceFirstProbe;
        }
    }
    void closeWhileTheWorkerWaits()
    {
        QFETCH(EchoSocketChoice, choice);
        QFETCH(RunKind, kind);
        CMessageBoxRecorder boxes;
        const auto service = echo::LoadEchoService(choice);
        QVERIFY2(service->IsLoaded(IpFamily::IPv4), service->Description(IpFamily::IPv4).c_str());
        auto window = OpenIcmpWindow(service);
        const CRunPlan plan = StartRun(*window.dialog, kind);
        QTRY_COMPARE_WITH_TIMEOUT(window.dialog->StatusText(), plan.status, 10000);
        // Give the worker time to be well inside its wait.
        QTest::qWait(200);
        QVERIFY(window.dialog->Runs().IsBusy());
        QVERIFY(service.use_count() > 1);

        QElapsedTimer timer;
        timer.start();
        window.dialog->close();
        window.dialog.reset();
        const qint64 closedMs = timer.elapsed();
        QTRY_COMPARE_WITH_TIMEOUT(service.use_count(), 1L, plan.waitMs + 10000);
        const qint64 releasedMs = timer.elapsed();
        qInfo("window closed after %lld ms, worker let go after %lld ms", closedMs, releasedMs);
        QVERIFY2(releasedMs < plan.waitMs / 2, "the worker sat out its wait after the window closed");
        // Whatever the worker had left to do is dropped, not shown.
        QTest::qWait(200);
        QVERIFY(boxes.Texts().isEmpty());
    }
};

int main(int argc, char** argv)
{
    RunInsideLab(argc, argv);
    QApplication application(argc, argv);
    TestCloseDuringIcmp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_closeduringicmp.moc"
