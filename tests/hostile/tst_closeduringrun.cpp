// SPDX-License-Identifier: GPL-3.0-or-later
// The window closed in the middle of a run in the namespace lab: a name
// server lookup waiting for an answer, a query whose connect the network
// never answers, a name lookup that the system resolver has not yet
// finished, and both kinds of Ping wait with each socket kind forced in
// turn (TraceRoute's probe wait is closed on in the ICMP lab test). The
// close ends the run, releases its sockets, returns at once, and nothing is
// delivered afterwards to the window that is gone (the sanitizer build
// proves the last for the ICMP worker). The system resolver asks a name
// server at the lab's silent address (a resolv.conf of the test's own in a
// mount namespace of its own), so its lookups hang until they time out.

#include "FaultMounts.h"
#include "dns/LookupFixture.h"
#include "icmp/IcmpWindowFixture.h"
#include "netns/LabEnvironment.h"
#include "query/QueryTestSupport.h"
#include "support/FileHelpers.h"

#include "platform/AppMessages.h"
#include "platform/MessageBox.h"
#include "query/TextQueryFunction.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

using namespace netsonde;
using namespace netsonde::test;
using echo::EchoSocketChoice;

Q_DECLARE_METATYPE(EchoSocketChoice)

namespace {

constexpr int kATypeIndex = 1;
// The resolver gives up after this long (resolv.conf below).
constexpr int kResolverTimeoutMs = 2000;

QString LabText(const char* variable) { return QString::fromLocal8Bit(qgetenv(variable)); }
QString Silent() { return LabText("NETSONDE_LAB_SILENT"); }

// Why lookups of names not in the hosts file do not hang; empty when they
// go to the silent address and time out.
QString g_resolverFailure;

// After EnterPrivateMountNamespace.
QString UseSilentNameServer()
{
    if (!MountNamespaceFailure().isEmpty())
        return MountNamespaceFailure();
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("resolv.conf"));
    const QString conf = QStringLiteral("nameserver %1\noptions timeout:%2 attempts:1\n").arg(Silent());
    if (!WriteFile(path, conf.arg(kResolverTimeoutMs / 1000).toUtf8()))
        return QStringLiteral("no resolv.conf of the test's own");
    if (::mount(QFile::encodeName(path).constData(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0)
        return QStringLiteral("cannot bind a resolv.conf: ") + QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

// Counts the window messages delivered to any object of this thread.
class CAppMessageCounter : public QObject {
public:
    CAppMessageCounter() { qApp->installEventFilter(this); }
    ~CAppMessageCounter() override { qApp->removeEventFilter(this); }
    int Count() const { return m_count; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() >= WM_APP_HOST_RESOLVED && event->type() <= WM_APP_ADDRESS_RESOLVED)
            ++m_count;
        return false;
    }

private:
    int m_count = 0;
};

} // namespace

class TestCloseDuringRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    void closeDuringTheRun_data()
    {
        QTest::addColumn<FunctionId>("function");
        QTest::addColumn<bool>("resolving");
        QTest::addColumn<QString>("status");
        QTest::newRow("finger, connecting") << FunctionId::Finger << false << "Connecting to " + Silent();
        QTest::newRow("qod, resolving") << FunctionId::QuoteOfDay << true << QString("Resolving pending.lab.test");
        QTest::newRow("name server, waiting for its answer")
            << FunctionId::NameServerLookUp << false << QStringLiteral("Requesting information from name server");
        QTest::newRow("name server, resolving")
            << FunctionId::NameServerLookUp << true << QStringLiteral("Resolving Name Server");
    }
    // A lookup's completion, when the resolver gives up, goes nowhere.
    void closeDuringTheRun()
    {
        QFETCH(FunctionId, function);
        QFETCH(bool, resolving);
        QFETCH(QString, status);
        if (resolving && !g_resolverFailure.isEmpty())
            QSKIP(qPrintable(g_resolverFailure));
        CMessageBoxRecorder boxes;
        auto window = OpenLookupWindow(false);
        const qsizetype descriptors = OpenDescriptorCount();
        const QString host = resolving ? QStringLiteral("pending.lab.test") : Silent();
        const auto* query = dynamic_cast<const CTextQueryFunction*>(window.dialog->Function(function));
        if (query)
            FillPage(*window.dialog, function, {host, "ann"});
        else
            window.Fill(QStringLiteral("www.example"), kATypeIndex, host);
        window.dialog->OnGo();
        QTRY_COMPARE(window.dialog->StatusText(), status);
        QVERIFY(window.dialog->Runs().IsBusy());
        QVERIFY(!resolving || window.dialog->Runs().HasPendingRequests());
        QVERIFY(!query || query->QuerySocket() || resolving);

        window.dialog->close();
        QVERIFY(!query || !query->QuerySocket());
        QTRY_VERIFY(!window.dialog->Runs().IsBusy());
        // A lookup left inside the C library keeps its own socket until the
        // resolver's time-out; the window's sockets are closed at once.
        if (!resolving)
            QCOMPARE(OpenDescriptorCount(), descriptors);
        window.dialog.reset();
        const CAppMessageCounter messages;
        // The socket's deferred deletion runs without its window.
        QTest::qWait(resolving ? kResolverTimeoutMs + 1000 : 100);
        QVERIFY(OpenDescriptorCount() <= descriptors);
        QCOMPARE(messages.Count(), 0);
        QVERIFY(boxes.Texts().isEmpty());
    }

    // The worker lets go of the echo service long before its wait would
    // have ended, and no message box appears.
    void closeWhileTheWorkerWaits_data()
    {
        QTest::addColumn<EchoSocketChoice>("choice");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("status"); // while the worker waits
        const std::pair<const char*, EchoSocketChoice> kinds[] = {{"datagram", EchoSocketChoice::DatagramOnly},
                                                                  {"raw", EchoSocketChoice::RawOnly}};
        for (const auto& [name, choice] : kinds) {
            QTest::addRow("%s, ping pause", name) << choice << LabText("NETSONDE_LAB_DESTINATION")
                                                  << QStringLiteral("Waiting for 10000 ms");
            QTest::addRow("%s, ping blocked", name) << choice << Silent() << QStringLiteral("Waiting for response ...");
        }
    }
    void closeWhileTheWorkerWaits()
    {
        QFETCH(EchoSocketChoice, choice);
        QFETCH(QString, host);
        QFETCH(QString, status);
        CMessageBoxRecorder boxes;
        const auto service = echo::LoadEchoService(choice);
        QVERIFY2(service->IsLoaded(IpFamily::IPv4), service->Description(IpFamily::IPv4).c_str());
        auto window = OpenIcmpWindow(service);
        SetPing(*window.dialog, host, 5, 10000, false, 60); // five pings 10 s apart, each waiting 60 s
        window.dialog->OnGo();
        QTRY_COMPARE_WITH_TIMEOUT(window.dialog->StatusText(), status, 10000);
        // Give the worker time to be well inside its wait.
        QTest::qWait(200);
        QVERIFY(window.dialog->Runs().IsBusy());
        QVERIFY(service.use_count() > 1);

        // The waits are 10 s and 15 s; a woken worker lets go within milliseconds.
        QVERIFY2(MillisecondsUntilWindowClosed(window, service) < 1000,
                 "the worker sat out its wait after the window closed");
        // Whatever the worker had left to do is dropped, not shown.
        QTest::qWait(200);
        QVERIFY(boxes.Texts().isEmpty());
    }
};

int main(int argc, char** argv)
{
    RunInsideLab(argc, argv);
    EnterPrivateMountNamespace();
    g_resolverFailure = UseSilentNameServer();
    QApplication application(argc, argv);
    TestCloseDuringRun test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_closeduringrun.moc"
