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
#include <QtTest>

using namespace netsonde;
using namespace netsonde::test;
using echo::EchoSocketChoice;

Q_DECLARE_METATYPE(EchoSocketChoice)

namespace {

QString LabText(const char* variable) { return QString::fromLatin1(qgetenv(variable)); }

// Ping five times 10 s apart, or trace, each with a 60 s time-out.
void StartRun(CMainDialog& dialog, FunctionId function, const QString& host)
{
    if (function == FunctionId::TraceRoute) {
        CTraceRoutePage* page = dialog.TraceRoutePage();
        page->m_strHost = host;
        page->m_nTimeout = 60;
        page->m_nMaxHops = 15;
        page->m_bResolve = false;
        page->DoDataExchange(false);
    } else {
        CPingPage* page = dialog.PingPage();
        page->m_strHost = host;
        page->m_nPings = 5;
        page->m_nTimeout = 60;
        page->m_nDelay = 10000;
        page->m_bResolve = false;
        page->DoDataExchange(false);
    }
    dialog.SelectFunction(function);
    dialog.OnGo();
}

} // namespace

class TestCloseDuringIcmp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    void closeWhileTheWorkerWaits_data()
    {
        QTest::addColumn<EchoSocketChoice>("choice");
        QTest::addColumn<FunctionId>("function");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("status"); // while the worker waits
        const QString silent = LabText("NETSONDE_LAB_SILENT");
        const std::pair<const char*, EchoSocketChoice> kinds[] = {{"datagram", EchoSocketChoice::DatagramOnly},
                                                                  {"raw", EchoSocketChoice::RawOnly}};
        for (const auto& [name, choice] : kinds) {
            QTest::addRow("%s, ping pause", name) << choice << FunctionId::Ping << LabText("NETSONDE_LAB_DESTINATION")
                                                  << QStringLiteral("Waiting for 10000 ms");
            QTest::addRow("%s, ping blocked", name) << choice << FunctionId::Ping << silent
                                                    << QStringLiteral("Waiting for response ...");
            QTest::addRow("%s, trace first probe", name) << choice << FunctionId::TraceRoute << silent
                                                         << QStringLiteral("Looking for a second IP Address ...");
        }
    }
    void closeWhileTheWorkerWaits()
    {
        QFETCH(EchoSocketChoice, choice);
        QFETCH(FunctionId, function);
        QFETCH(QString, host);
        QFETCH(QString, status);
        CMessageBoxRecorder boxes;
        const auto service = echo::LoadEchoService(choice);
        QVERIFY2(service->IsLoaded(), service->Description().c_str());
        auto window = OpenIcmpWindow(service);
        StartRun(*window.dialog, function, host);
        QTRY_COMPARE_WITH_TIMEOUT(window.dialog->StatusText(), status, 10000);
        // Give the worker time to be well inside its wait.
        QTest::qWait(200);
        QVERIFY(window.dialog->Runs().IsBusy());
        QVERIFY(service.use_count() > 1);

        QVERIFY2(MillisecondsUntilWindowClosed(window, service) < 5000, "the worker sat out its wait after the window closed");
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
