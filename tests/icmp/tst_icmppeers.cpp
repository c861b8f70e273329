// SPDX-License-Identifier: GPL-3.0-or-later
// Ping in the main window against echo peers of the test's own in the namespace
// lab, with each socket kind forced in turn: a destination that answers after a
// chosen delay, and another program on the same machine whose echo traffic
// arrives while Ping waits for its own answers.

#include "icmp/IcmpWindowFixture.h"
#include "icmp/LabEchoPeers.h"
#include "netns/LabEnvironment.h"

#include "platform/MessageBox.h"

#include <QApplication>
#include <QtTest>

using namespace netsonde;
using namespace netsonde::test;
using echo::EchoSocketChoice;

Q_DECLARE_METATYPE(EchoSocketChoice)

namespace {

QString LabText(const char* variable) { return QString::fromLatin1(qgetenv(variable)); }

void AddKindColumn() { QTest::addColumn<EchoSocketChoice>("choice"); }

} // namespace

#define OPEN_LAB_WINDOW(window, choice)                                                                 \
    const auto service = echo::LoadEchoService(choice);                                                 \
    QVERIFY2(service->IsLoaded(IpFamily::IPv4), service->Description(IpFamily::IPv4).c_str());        \
    auto window = OpenIcmpWindow(service)

class TestIcmpPeers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    void pingTimesFollowTheAnswerDelay_data()
    {
        AddKindColumn();
        QTest::addColumn<int>("delayMs");
        for (const int delay : {40, 120}) {
            QTest::addRow("datagram, %d ms", delay) << EchoSocketChoice::DatagramOnly << delay;
            QTest::addRow("raw, %d ms", delay) << EchoSocketChoice::RawOnly << delay;
        }
    }
    // Every reply left the destination no sooner than the delay after the request
    // came in, so a time below it is wrong; the upper bound only keeps out nonsense.
    void pingTimesFollowTheAnswerDelay()
    {
        QFETCH(EchoSocketChoice, choice);
        QFETCH(int, delayMs);
        CMessageBoxRecorder boxes;
        const CDelayedEchoResponder responder(LabText("NETSONDE_LAB_NS_DESTINATION"),
                                              std::chrono::milliseconds(delayMs));
        QVERIFY2(responder.IsRunning(), "the responder could not start in the destination namespace");
        OPEN_LAB_WINDOW(window, choice);
        SetPing(*window.dialog, LabText("NETSONDE_LAB_DESTINATION"), 4, 0, false, 5);
        window.dialog->OnGo();
        QTRY_VERIFY_WITH_TIMEOUT(!window.dialog->Runs().IsBusy(), 30000);

        const QTreeWidget* list = window.dialog->ResultList(FunctionId::Ping);
        QCOMPARE(list->topLevelItemCount(), 4);
        QStringList times;
        for (int row = 0; row < 4; ++row) {
            const QStringList cells = RowTexts(list, row);
            QCOMPARE(cells.value(1), LabText("NETSONDE_LAB_DESTINATION"));
            const int rtt = RoundTripMsOf(cells.value(3));
            QVERIFY2(rtt >= delayMs && rtt <= delayMs + 50, qPrintable(cells.value(3)));
            times << cells.value(3);
        }
        qInfo("answers delayed by %d ms: %s", delayMs, qPrintable(times.join(QStringLiteral(", "))));
        QCOMPARE(responder.Answered(), 4);
        QVERIFY(boxes.Texts().isEmpty());
    }

    void pingTakesNoReplyOfAnotherProgram_data()
    {
        AddKindColumn();
        QTest::newRow("datagram") << EchoSocketChoice::DatagramOnly;
        QTest::newRow("raw") << EchoSocketChoice::RawOnly;
    }
    // Ping waits on the silent address while another program's requests to the
    // destination draw thousands of echo replies into the same machine, with
    // sequence numbers that run through every value: each is somebody else's.
    void pingTakesNoReplyOfAnotherProgram()
    {
        QFETCH(EchoSocketChoice, choice);
        CMessageBoxRecorder boxes;
        OPEN_LAB_WINDOW(window, choice);
        const CEchoRequestFlood other(LabText("NETSONDE_LAB_NS_SOURCE"), LabAddress("NETSONDE_LAB_DESTINATION"), 8);
        QVERIFY2(other.IsRunning(), "the other program's socket could not be opened");
        QTRY_VERIFY_WITH_TIMEOUT(other.Replies() > 0, 10000);

        SetPing(*window.dialog, LabText("NETSONDE_LAB_SILENT"), 3, 0, false, 3);
        const int repliesBefore = other.Replies();
        window.dialog->OnGo();
        QTRY_VERIFY_WITH_TIMEOUT(!window.dialog->Runs().IsBusy(), 30000);
        QVERIFY2(other.Replies() > repliesBefore, "no reply of the other program arrived during the run");
        qInfo("the other program sent %d requests and got %d replies", other.Sent(), other.Replies());

        const QTreeWidget* list = window.dialog->ResultList(FunctionId::Ping);
        QCOMPARE(list->topLevelItemCount(), 3);
        for (int row = 0; row < 3; ++row)
            QCOMPARE(RowTexts(list, row), (QStringList{QString::number(row + 1), "", "No response", ""}));
        QVERIFY(boxes.Texts().isEmpty());
    }
};

int main(int argc, char** argv)
{
    RunInsideLab(argc, argv);
    QApplication application(argc, argv);
    TestIcmpPeers test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_icmppeers.moc"
