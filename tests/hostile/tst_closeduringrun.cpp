// SPDX-License-Identifier: GPL-3.0-or-later
// The window closed in the middle of a run in the namespace lab: a name
// server lookup waiting for an answer, a query whose connect the network
// never answers, and a name lookup that the system resolver has not yet
// finished. The close ends the run, releases its sockets, returns at once,
// and nothing is delivered afterwards to the window that is gone. The
// system resolver asks a name server at the lab's silent address (a
// resolv.conf of the test's own in a mount namespace of its own), so its
// lookups hang until they time out.

#include "FaultMounts.h"
#include "dns/LookupFixture.h"
#include "netns/LabEnvironment.h"
#include "query/QueryTestSupport.h"

#include "platform/AppMessages.h"
#include "platform/MessageBox.h"
#include "query/TextQueryFunction.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

using namespace netsonde;
using namespace netsonde::test;

namespace {

constexpr int kATypeIndex = 1;
// The resolver gives up after this long (resolv.conf below).
constexpr int kResolverTimeoutMs = 2000;

QString LabText(const char* variable) { return QString::fromLocal8Bit(qgetenv(variable)); }
QString Silent() { return LabText("NETSONDE_LAB_SILENT"); }

QString& ResolverFailure()
{
    static QString failure = QStringLiteral("no resolv.conf of the test's own");
    return failure;
}

// After EnterPrivateMountNamespace: lookups of names not in the hosts file
// go to the silent address and time out.
void UseSilentNameServer()
{
    if (!MountNamespaceFailure().isEmpty()) {
        ResolverFailure() = MountNamespaceFailure();
        return;
    }
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("resolv.conf"));
    QFile file(path);
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly))
        return;
    file.write(QStringLiteral("nameserver %1\noptions timeout:%2 attempts:1\n")
                   .arg(Silent())
                   .arg(kResolverTimeoutMs / 1000)
                   .toUtf8());
    file.close();
    if (::mount(QFile::encodeName(path).constData(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0)
        ResolverFailure() = QStringLiteral("cannot bind a resolv.conf: ") + QString::fromLocal8Bit(std::strerror(errno));
    else
        ResolverFailure().clear();
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

    void nameServerLookupWaitingForItsAnswer()
    {
        CMessageBoxRecorder boxes;
        auto window = OpenLookupWindow(false);
        const qsizetype descriptors = OpenDescriptorCount();
        window.Fill(QStringLiteral("www.example"), kATypeIndex, Silent());
        window.dialog->OnGo();
        QTRY_COMPARE(window.dialog->StatusText(), QStringLiteral("Requesting information from name server"));
        QVERIFY(window.dialog->Runs().IsBusy());

        window.dialog->close();
        QTRY_VERIFY(!window.dialog->Runs().IsBusy());
        QCOMPARE(OpenDescriptorCount(), descriptors);
        window.dialog.reset();
        QTest::qWait(100);
        QVERIFY(boxes.Texts().isEmpty());
    }

    void queryWhileConnecting_data()
    {
        QTest::addColumn<FunctionId>("function");
        QTest::newRow("finger") << FunctionId::Finger;
        QTest::newRow("whois") << FunctionId::WhoIs;
        QTest::newRow("qod") << FunctionId::QuoteOfDay;
    }
    void queryWhileConnecting()
    {
        QFETCH(FunctionId, function);
        CMessageBoxRecorder boxes;
        auto dialog = OpenMainDialog();
        const qsizetype descriptors = OpenDescriptorCount();
        FillPage(*dialog, function, {Silent(), "ann"});
        dialog->OnGo();
        QCOMPARE(dialog->StatusText(), QStringLiteral("Connecting to ") + Silent());
        const auto& query = dynamic_cast<const CTextQueryFunction&>(*dialog->Function(function));
        QVERIFY(query.QuerySocket());

        dialog->close();
        QVERIFY(!query.QuerySocket());
        QTRY_VERIFY(!dialog->Runs().IsBusy());
        QCOMPARE(OpenDescriptorCount(), descriptors);
        dialog.reset();
        // The socket's deferred deletion runs without its window.
        QTest::qWait(100);
        QVERIFY(boxes.Texts().isEmpty());
    }

    void lookupPending_data()
    {
        QTest::addColumn<FunctionId>("function");
        QTest::newRow("finger") << FunctionId::Finger;
        QTest::newRow("whois") << FunctionId::WhoIs;
        QTest::newRow("qod") << FunctionId::QuoteOfDay;
        QTest::newRow("name server by name") << FunctionId::NameServerLookUp;
    }
    // The lookup's completion, when the resolver gives up, goes nowhere.
    void lookupPending()
    {
        if (!ResolverFailure().isEmpty())
            QSKIP(qPrintable(ResolverFailure()));
        QFETCH(FunctionId, function);
        CMessageBoxRecorder boxes;
        std::unique_ptr<CMainDialog> dialog;
        const QString pending = QStringLiteral("pending.lab.test");
        if (function == FunctionId::NameServerLookUp) {
            auto window = OpenLookupWindow(false);
            window.Fill(QStringLiteral("www.example"), kATypeIndex, pending);
            dialog = std::move(window.dialog);
        } else {
            dialog = OpenMainDialog();
            FillPage(*dialog, function, {pending, "ann"});
        }
        dialog->OnGo();
        QVERIFY(dialog->Runs().HasPendingRequests());
        QVERIFY(dialog->StatusText().startsWith(QStringLiteral("Resolving ")));

        dialog->close();
        QTRY_VERIFY(!dialog->Runs().IsBusy());
        dialog.reset();
        const CAppMessageCounter messages;
        QTest::qWait(kResolverTimeoutMs + 1000);
        QCOMPARE(messages.Count(), 0);
        QVERIFY(boxes.Texts().isEmpty());
    }
};

int main(int argc, char** argv)
{
    RunInsideLab(argc, argv);
    EnterPrivateMountNamespace();
    UseSilentNameServer();
    QApplication application(argc, argv);
    TestCloseDuringRun test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_closeduringrun.moc"
