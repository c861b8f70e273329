// SPDX-License-Identifier: GPL-3.0-or-later
// Finger, WhoIs and Quote Of The Day servers in the namespace lab that do
// what no polite server does: a WhoIs server that pours out 10 MB as fast as
// it can, a Finger server that puts NUL bytes and bytes above 127 in every
// position of its chunks, and a Quote Of The Day server that trickles one
// byte a second. The window stays usable and shows what it should.

#include "NamespaceServer.h"
#include "netns/LabEnvironment.h"
#include "query/LabServer.h"
#include "query/QueryTestSupport.h"

#include "platform/MessageBox.h"
#include "query/ReceivedText.h"
#include "query/TextQueryFunction.h"

#include <QApplication>
#include <QPushButton>
#include <QtTest>

using namespace netsonde;
using namespace netsonde::test;

namespace {

constexpr std::uint16_t kFingerPort = 79;
constexpr std::uint16_t kWhoIsPort = 43;
constexpr std::uint16_t kQuotePort = 17;
constexpr qsizetype kFloodBytes = 10 * 1024 * 1024;
constexpr int kWaitMs = 30000;

QString LabText(const char* variable) { return QString::fromLocal8Bit(qgetenv(variable)); }

CThreadedTcpServer DestinationServer(std::uint16_t port, CThreadedTcpServer::Behaviour behaviour)
{
    return CThreadedTcpServer(LabText("NETSONDE_LAB_NS_DESTINATION"), LabAddress("NETSONDE_LAB_DESTINATION"), port,
                              std::move(behaviour));
}

// The main window with the function's page filled for the destination, Go pressed.
std::unique_ptr<CMainDialog> GoToDestination(FunctionId id, const QString& user = {})
{
    auto dialog = OpenMainDialog();
    FillPage(*dialog, id, {LabText("NETSONDE_LAB_DESTINATION"), user});
    dialog->OnGo();
    return dialog;
}

bool HasQuerySocket(const CMainDialog& dialog, FunctionId id)
{
    return dynamic_cast<const CTextQueryFunction&>(*dialog.Function(id)).QuerySocket() != nullptr;
}

// The chunks of the Finger test, eight bytes each: a line with a NUL byte
// at each position in turn, then the bytes above 127, each at every
// position. Eight bytes in a row run through the position, so no chunk
// holds both UTF-8 lead bytes (0xC0 up) and continuation bytes (below
// 0xC0), and a chunk of continuation bytes never follows one that ends
// with a lead byte: none of them is part of a UTF-8 character.
QList<QByteArray> HostileFingerChunks()
{
    QList<QByteArray> chunks;
    for (qsizetype position = 0; position < 8; ++position)
        chunks.append(QByteArray("abcdefgh").replace(position, 1, "\0", 1));
    for (int shift = 0; shift < 8; ++shift) {
        for (int eight = 0x80; eight <= 0xF8; eight += 8) {
            QByteArray chunk;
            for (int position = 0; position < 8; ++position)
                chunk.append(static_cast<char>(eight + (position + shift) % 8));
            chunks.append(chunk);
        }
    }
    return chunks;
}

} // namespace

class TestHostileQueries : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    // The query ends at the pane limit, long before the server is done, and
    // the next query of the same window works.
    void whoIsFloodOfTenMegabytes()
    {
        CMessageBoxRecorder boxes;
        const QByteArray line("Domain Name: FLOOD.EXAMPLE  Registrar: nobody in particular\r\n");
        const QByteArray flood = line.repeated(kFloodBytes / line.size() + 1).left(kFloodBytes);
        std::atomic<qsizetype> floodSent = -1;
        const auto server = DestinationServer(kWhoIsPort, [&](int fd, int connection, const std::atomic<bool>& stop) {
            ReadRequestLine(fd);
            if (connection == 0)
                floodSent = SendAll(fd, flood, stop);
            else
                SendAll(fd, "quiet answer\r\n", stop);
        });
        QVERIFY(server.IsListening());
        auto dialog = GoToDestination(FunctionId::WhoIs, "flood.example");
        QTRY_COMPARE_WITH_TIMEOUT(dialog->StatusText(), QStringLiteral("Ready"), kWaitMs);
        const QString shown = PaneText(*dialog, FunctionId::WhoIs);
        QVERIFY(!shown.isEmpty());
        QVERIFY2(shown.size() < CReceivedText::PaneLimit, qPrintable(QString::number(shown.size())));
        QVERIFY(flood.startsWith(shown.toLatin1()));
        QVERIFY(!HasQuerySocket(*dialog, FunctionId::WhoIs));
        // The server learns that nobody reads any more.
        QTRY_VERIFY_WITH_TIMEOUT(server.Connections() == 1, kWaitMs);
        QVERIFY2(floodSent < kFloodBytes, qPrintable(QString::number(floodSent)));

        dialog->OnGo();
        QTRY_COMPARE_WITH_TIMEOUT(dialog->StatusText(), QStringLiteral("Ready"), kWaitMs);
        QCOMPARE(PaneText(*dialog, FunctionId::WhoIs), QStringLiteral("quiet answer\r\n"));
        QVERIFY(boxes.Texts().isEmpty());
    }

    // Each chunk is read on its own: a NUL byte hides the rest of its chunk
    // and nothing after it; every byte above 127 that is no part of a UTF-8
    // character shows as its Latin-1 character, wherever it stands, also
    // at the end of a chunk where it might have begun one.
    void fingerNulAndHighBytesInEveryPosition()
    {
        CMessageBoxRecorder boxes;
        CLabServer server(LabText("NETSONDE_LAB_NS_DESTINATION"), LabAddress("NETSONDE_LAB_DESTINATION"), kFingerPort);
        QVERIFY(server.IsListening());
        auto dialog = GoToDestination(FunctionId::Finger, "ann");
        QTRY_VERIFY(server.Accept());
        QTRY_COMPARE(server.Received(), QByteArray("ann\r\n"));
        QString expected;
        for (const QByteArray& chunk : HostileFingerChunks()) {
            QVERIFY(server.Deliver(chunk));
            QVERIFY(QTest::qWaitFor([] { return UnreadBytesFrom(kFingerPort) == 0; }, kWaitMs));
            expected += QString::fromLatin1(chunk.constData()); // up to a NUL byte
        }
        QCOMPARE(PaneText(*dialog, FunctionId::Finger), expected);
        QCOMPARE(dialog->StatusText(), QStringLiteral("Receiving data ... %1 bytes").arg(expected.size()));
        QVERIFY(server.Finish());
        QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
        QCOMPARE(PaneText(*dialog, FunctionId::Finger), expected);
        QVERIFY(boxes.Texts().isEmpty());
    }

    // Each byte shows as it comes; Stop ends the query at once, keeps the
    // text and closes the connection.
    void quoteThatTricklesOneByteASecond()
    {
        CMessageBoxRecorder boxes;
        const QByteArray quote("Patience is a virtue.\r\n");
        std::atomic<bool> clientGone = false;
        const auto server = DestinationServer(kQuotePort, [&](int fd, int, const std::atomic<bool>& stop) {
            for (char byte : quote) {
                if (SendAll(fd, QByteArrayView(&byte, 1), stop) != 1)
                    break;
                // A closed client shows as readable: its end of stream.
                if (WaitReadable(fd, 1000)) {
                    clientGone = true;
                    return;
                }
            }
        });
        QVERIFY(server.IsListening());
        auto dialog = GoToDestination(FunctionId::QuoteOfDay);
        QTRY_VERIFY_WITH_TIMEOUT(PaneText(*dialog, FunctionId::QuoteOfDay).size() >= 2, kWaitMs);
        // The window answers between the bytes.
        dialog->SelectFunction(FunctionId::Finger);
        dialog->SelectFunction(FunctionId::QuoteOfDay);
        QVERIFY(Control<QPushButton>(dialog.get(), IDC_STOP)->isEnabled());
        Control<QPushButton>(dialog.get(), IDC_STOP)->click();
        QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
        const QString shown = PaneText(*dialog, FunctionId::QuoteOfDay);
        QVERIFY2(quote.startsWith(shown.toLatin1()) && shown.size() < quote.size(), qPrintable(shown));
        QTRY_VERIFY_WITH_TIMEOUT(clientGone, kWaitMs);
        QCOMPARE(PaneText(*dialog, FunctionId::QuoteOfDay), shown);
        QVERIFY(!HasQuerySocket(*dialog, FunctionId::QuoteOfDay));
        QVERIFY(boxes.Texts().isEmpty());
    }
};

int main(int argc, char** argv)
{
    RunInsideLab(argc, argv);
    QApplication application(argc, argv);
    TestHostileQueries test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostilequeries.moc"
