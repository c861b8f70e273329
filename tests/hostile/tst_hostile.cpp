// SPDX-License-Identifier: GPL-3.0-or-later
// Netsonde where nothing is polite, inside the namespace lab and a mount
// namespace of the test's own:
// - servers that misbehave: a WhoIs server pouring out 10 MB, a name server
//   answering with datagrams of 1000 bytes and more, and datagrams from an
//   address or port other than the name server's, which are ignored;
// - disks that fail, made with mounts: a folder or file bound read-only over
//   itself (the only read-only that holds for root), a file that is a mount
//   point (it cannot be renamed over) and a tiny tmpfs. A failure is told,
//   nothing blocks, and no file is left half written;
// - the window closed in the middle of a run: the run ends, its sockets go,
//   and nothing is delivered to the window that is gone. The system resolver
//   asks the lab's silent address (a resolv.conf of the test's own), so its
//   lookups hang until they time out.

#include "support/CommonDialogsAnswers.h"
#include "support/DnsMessageBuilder.h"
#include "support/FileHelpers.h"
#include "support/IcmpWindowFixture.h"
#include "support/LabServer.h"
#include "support/LookupFixture.h"
#include "support/PhonebookFiles.h"
#include "support/QueryTestSupport.h"
#include "support/ScriptedNameServer.h"

#include "phonebook/Phonebook.h"
#include "query/ReceivedText.h"
#include "query/TextQueryFunction.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <future>

using namespace netsonde;
using namespace netsonde::test;

namespace {

constexpr int kWaitMs = 30000;
constexpr int kATypeIndex = 1;
constexpr std::uint16_t kStrangerPort = 5353; // the destination's other port
constexpr char kRealAddress[] = "\x0a\x01\x02\x03";
constexpr char kForgedAddress[] = "\x0a\x06\x06\x06";
// The system resolver gives up after this long (the resolv.conf of main).
constexpr int kResolverTimeoutMs = 2000;

QString Silent()
{
    return LabText("NETSONDE_LAB_SILENT");
}
QString SystemError(const QString& what)
{
    return what + ": " + QString::fromLocal8Bit(std::strerror(errno));
}

// Call before any thread starts; the reason when it fails.
QString UseOwnMountsAndSilentNameServer()
{
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return SystemError("no mount namespace of the test's own");
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("resolv.conf"));
    const QString conf = QStringLiteral("nameserver %1\noptions timeout:%2 attempts:1\n");
    if (!WriteFile(path, conf.arg(Silent()).arg(kResolverTimeoutMs / 1000).toUtf8()))
        return QStringLiteral("no resolv.conf of the test's own");
    if (::mount(QFile::encodeName(path).constData(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0)
        return SystemError("cannot bind a resolv.conf");
    return {};
}

// For the life of the object, the folder or file at path bound over itself,
// read-only unless told, or an empty tmpfs of the given size there; Failure()
// says why not.
class ScopedMount {
public:
    explicit ScopedMount(const QString& path, int tmpfsKibibytes = 0, bool readOnly = true)
        : m_path(QFile::encodeName(path))
    {
        const char* target = m_path.constData();
        const QByteArray size = "size=" + QByteArray::number(tmpfsKibibytes) + 'k';
        const bool mounted =
            tmpfsKibibytes > 0
                ? ::mount("netsonde-test", target, "tmpfs", MS_NOSUID | MS_NODEV, size.constData()) == 0
                : ::mount(target, target, nullptr, MS_BIND, nullptr) == 0
                      && (!readOnly
                          || ::mount(nullptr, target, nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0);
        if (!mounted)
            m_failure = SystemError("cannot mount at " + path);
    }
    ~ScopedMount() { ::umount2(m_path.constData(), MNT_DETACH); }
    Q_DISABLE_COPY(ScopedMount)
    const QString& Failure() const { return m_failure; }

private:
    QByteArray m_path;
    QString m_failure;
};

// Fills the folder's file system with one file until only `leave` bytes would
// fit; false when the disk never filled.
bool FillDisk(const QString& path, qsizetype leave = 0)
{
    QFile filler(path);
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray block(1024, 'f');
    qint64 written = 0;
    while (filler.write(block) == block.size())
        written += block.size();
    filler.resize(written - leave);
    return written > 0;
}

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

enum class Disk { Full, ReadOnlyFolder, ReadOnlyFile, MountPointFile };
enum class Sender { NameServer, OtherAddress, OtherPort };

// The name server's sockets, in the order of Sender. The other address is the
// destination's silent one, which sends well enough: only what is sent to it is dropped.
QList<int> NameServerSockets()
{
    const QString nameSpace = LabText("NETSONDE_LAB_NS_DESTINATION");
    const std::uint32_t destination = LabAddress("NETSONDE_LAB_DESTINATION");
    return {BindInsideNamespace(nameSpace, SOCK_DGRAM, destination, kDnsServerPort),
            BindInsideNamespace(nameSpace, SOCK_DGRAM, LabAddress("NETSONDE_LAB_SILENT"), kDnsServerPort),
            BindInsideNamespace(nameSpace, SOCK_DGRAM, destination, kStrangerPort)};
}

// A good answer about www.example with one address, padded with zero bytes
// to the size given.
QByteArray AddressAnswer(const char* address, qsizetype size = 0)
{
    const QByteArray answer = DnsMessageBuilder()
                                  .Header(0, 0x81, 0x80, 1, 1, 0, 0)
                                  .Name({"www", "example"})
                                  .Question(1, 1)
                                  .Pointer(12)
                                  .Fields(1, 1, 300, QByteArray(address, 4));
    return answer.leftJustified(size, '\0');
}

// Counts the queued calls delivered to any object of this thread: a lookup's completion comes as one.
class QueuedCallCounter : public QObject {
public:
    QueuedCallCounter() { qApp->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::MetaCall;
        return false;
    }
};

} // namespace

class TestHostile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    // The query ends at the pane limit, long before the server is done, and
    // the next query of the same window works.
    void whoIsFloodOfTenMegabytes()
    {
        MessageBoxRecorder boxes;
        const qsizetype floodBytes = 10 * 1024 * 1024;
        const QByteArray line("Domain Name: FLOOD.EXAMPLE  Registrar: nobody in particular\r\n");
        const QByteArray flood = line.repeated(floodBytes / line.size() + 1).left(floodBytes);
        const auto server = ServeAtDestination(43);
        auto dialog = OpenMainDialog();
        FillPage(*dialog, FunctionId::WhoIs, {Destination(), "flood.example"});
        dialog->OnGo();
        QTRY_VERIFY(server->Accept());
        // The server pours from a thread of its own while the window reads.
        auto floodSent = std::async(std::launch::async,
                                    [&] { return SendAll(server->Descriptor(), flood, QDeadlineTimer(kWaitMs)); });
        QTRY_COMPARE_WITH_TIMEOUT(dialog->StatusText(), QStringLiteral("Ready"), kWaitMs);
        const QString shown = PaneText(*dialog, FunctionId::WhoIs);
        QVERIFY2(!shown.isEmpty() && shown.size() < ReceivedText::kPaneLimit,
                 qPrintable(QString::number(shown.size())));
        QVERIFY(flood.startsWith(shown.toLatin1()));
        QVERIFY(!dynamic_cast<const TextQueryFunction&>(*dialog->FunctionFor(FunctionId::WhoIs)).Socket());
        // The server learns that nobody reads any more.
        const qsizetype sent = floodSent.get();
        QVERIFY2(sent < floodBytes, qPrintable(QString::number(sent)));

        server->CloseConnection();
        dialog->OnGo();
        QTRY_VERIFY(server->Accept());
        QVERIFY(server->Deliver("quiet answer\r\n") && server->Finish());
        QTRY_COMPARE_WITH_TIMEOUT(dialog->StatusText(), QStringLiteral("Ready"), kWaitMs);
        QCOMPARE(PaneText(*dialog, FunctionId::WhoIs), QStringLiteral("quiet answer\r\n"));
        QVERIFY(boxes.Texts().isEmpty());
    }

    // How each shape is reported is the report's own test; here the largest
    // datagram travels the lab and is read whole. A datagram from anyone but
    // the name server must be ignored (otherwise any host could inject a forged
    // answer), and the name server's good answer follows it.
    void nameServerAnswers_data()
    {
        // clang-format off
        QTest::addColumn<Sender>("sender");
        QTest::addColumn<QByteArray>("datagram");
        const QByteArray forged = AddressAnswer(kForgedAddress);
        QTest::newRow("the largest IPv4 datagram") << Sender::NameServer << AddressAnswer(kRealAddress, 65507);
        QTest::newRow("other address") << Sender::OtherAddress << forged;
        QTest::newRow("other port") << Sender::OtherPort << forged;
        QTest::newRow("other address, oversized") << Sender::OtherAddress << AddressAnswer(kForgedAddress, 4096);
        // clang-format on
    }
    void nameServerAnswers()
    {
        QFETCH(Sender, sender);
        QFETCH(QByteArray, datagram);
        ScriptedNameServer::Script script{{int(sender), datagram}};
        if (sender != Sender::NameServer)
            script.append({int(Sender::NameServer), AddressAnswer(kRealAddress)});
        MessageBoxRecorder boxes;
        ScriptedNameServer server(script, NameServerSockets());
        QVERIFY2(server.IsServing(), "the name server cannot bind its sockets in the lab");
        auto window = OpenLookupWindow(false);
        window.Fill(QStringLiteral("www.example"), kATypeIndex, Destination());
        window.dialog->OnGo();
        QTRY_VERIFY_WITH_TIMEOUT(!window.dialog->Runs().IsBusy(), kWaitMs);
        QVERIFY(boxes.Texts().isEmpty());
        QCOMPARE(window.Output(), "Answer Section:\r\n   Name=www.example\r\n"
                                  "   Type=A, Class=1, TTL=300, RDLENGTH=4\r\n   IP Address=10.1.2.3\r\n---\r\n");
    }

    // A record that cannot be written is refused and not listed. Sixteen
    // records fill the file's first page, so the next needs a page of its own.
    void phonebookOnAFullDisk()
    {
        QTemporaryDir folder;
        const ScopedMount disk(folder.path(), 64);
        QVERIFY2(disk.Failure().isEmpty(), qPrintable(disk.Failure()));
        const QString path = folder.filePath(QStringLiteral("Netsonde.pbk"));
        QByteArray records;
        for (int i = 10; i < 26; ++i)
            records += Record("r" + QByteArray::number(i) + ".example");
        QVERIFY(WriteFile(path, records));
        Phonebook phonebook;
        QVERIFY(phonebook.Open(path));
        QVERIFY(FillDisk(folder.filePath(QStringLiteral("filler"))));

        QCOMPARE(phonebook.Add(QStringLiteral("new.example")), PhonebookAddResult::WriteFailed);
        QCOMPARE(phonebook.Entries().size(), 16);
        phonebook.Close();
        QVERIFY(FileBytes(path).startsWith(records));
        QVERIFY(phonebook.Open(path));
        QCOMPARE(phonebook.Entries().size(), 16);
    }

    void saveFails_data()
    {
        // clang-format off
        QTest::addColumn<Disk>("disk");
        QTest::newRow("room for part of it") << Disk::Full;
        QTest::newRow("read-only folder") << Disk::ReadOnlyFolder;
        QTest::newRow("read-only file") << Disk::ReadOnlyFile;
        QTest::newRow("rename refused at the commit") << Disk::MountPointFile;
        // clang-format on
    }
    // The failure is told with the path, and the folder holds what it held
    // before, the earlier file whole. Save writes a temporary file and
    // renames it over the old one: otherwise a failed write would leave a
    // half-written file in place of the old one.
    void saveFails()
    {
        QFETCH(Disk, disk);
        CommonDialogsAnswers answers;
        MessageBoxRecorder boxes;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("Output.txt"));
        const QByteArray earlier = "earlier output\r\n";
        const bool full = disk == Disk::Full;
        if (!full)
            QVERIFY(WriteFile(path, earlier));
        const bool onFile = disk == Disk::ReadOnlyFile || disk == Disk::MountPointFile;
        const ScopedMount mount(onFile ? path : folder.path(), full ? 64 : 0, disk != Disk::MountPointFile);
        QVERIFY2(mount.Failure().isEmpty(), qPrintable(mount.Failure()));
        if (full) {
            QVERIFY(WriteFile(path, earlier));
            QVERIFY(FillDisk(folder.filePath(QStringLiteral("filler")), 8192));
        }
        const QStringList filesBefore = FilesIn(folder.path());

        // The Finger tab after a run, its pane holding the text, Save answered with the path.
        ActiveCommonDialogs().chooseSavePath = [path](QWidget*) { return std::optional<QString>(path); };
        auto dialog = OpenMainDialog();
        dialog->SelectFunction(FunctionId::Finger);
        dialog->BeginRun();
        dialog->OnStop();
        dialog->FingerTab()->m_host = QStringLiteral("host.test");
        dialog->TextPane(FunctionId::Finger)->SetText(QString(40000, QLatin1Char('x')));
        dialog->Actions().fileSave->trigger();
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("Cannot create ") + path});
        QCOMPARE(FilesIn(folder.path()), filesBefore);
        QCOMPARE(FileBytes(path), earlier);
    }

    void closeDuringTheRun_data()
    {
        // clang-format off
        QTest::addColumn<FunctionId>("function");
        QTest::addColumn<bool>("resolving");
        QTest::addColumn<QString>("status");
        QTest::newRow("finger, connecting") << FunctionId::Finger << false << "Connecting to " + Silent();
        QTest::newRow("qod, resolving") << FunctionId::QuoteOfDay << true << QString("Resolving pending.lab.test");
        QTest::newRow("name server, waiting for its answer")
            << FunctionId::NameServerLookUp << false << QStringLiteral("Requesting information from name server");
        QTest::newRow("name server, resolving")
            << FunctionId::NameServerLookUp << true << QStringLiteral("Resolving Name Server");
        // clang-format on
    }
    // The close ends the run, releases its sockets and returns at once; a
    // lookup's completion, when the resolver gives up, goes nowhere.
    void closeDuringTheRun()
    {
        QFETCH(FunctionId, function);
        QFETCH(bool, resolving);
        QFETCH(QString, status);
        MessageBoxRecorder boxes;
        auto window = OpenLookupWindow(false);
        const qsizetype descriptors = OpenDescriptorCount();
        const QString host = resolving ? QStringLiteral("pending.lab.test") : Silent();
        const auto* query = dynamic_cast<const TextQueryFunction*>(window.dialog->FunctionFor(function));
        if (query)
            FillPage(*window.dialog, function, {host, "ann"});
        else
            window.Fill(QStringLiteral("www.example"), kATypeIndex, host);
        window.dialog->OnGo();
        QTRY_COMPARE(window.dialog->StatusText(), status);
        QVERIFY(!resolving || window.dialog->Runs().HasPendingRequests());
        QVERIFY(!query || query->Socket() || resolving);

        window.dialog->close();
        QVERIFY(!query || !query->Socket());
        QTRY_VERIFY(!window.dialog->Runs().IsBusy());
        // A lookup left inside the C library keeps its own socket until the
        // resolver's time-out; the window's sockets are closed at once.
        if (!resolving)
            QCOMPARE(OpenDescriptorCount(), descriptors);
        window.dialog.reset();
        const QueuedCallCounter calls;
        // The socket's deferred deletion runs without its window.
        QTest::qWait(resolving ? kResolverTimeoutMs + 1000 : 100);
        QVERIFY(OpenDescriptorCount() <= descriptors);
        QCOMPARE(calls.count, 0);
        QVERIFY(boxes.Texts().isEmpty());
    }

    // Ping's pause and its wait for a reply, over a datagram socket (both
    // kinds wait in the same poll, and the ICMP lab test wakes each kind): the
    // worker lets go of the echo service long before its wait would have
    // ended, and no message box appears.
    void closeWhileTheWorkerWaits_data()
    {
        // clang-format off
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("status"); // while the worker waits
        QTest::newRow("ping pause") << Destination() << QStringLiteral("Waiting for 10000 ms");
        QTest::newRow("ping blocked") << Silent() << QStringLiteral("Waiting for response ...");
        // clang-format on
    }
    void closeWhileTheWorkerWaits()
    {
        QFETCH(QString, host);
        QFETCH(QString, status);
        MessageBoxRecorder boxes;
        const auto service = echo::LoadEchoService(echo::EchoSocketChoice::DatagramOnly);
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
    if (const QString failure = UseOwnMountsAndSilentNameServer(); !failure.isEmpty())
        qFatal("%s", qPrintable(failure));
    QApplication application(argc, argv);
    TestHostile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostile.moc"
