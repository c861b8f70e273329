// SPDX-License-Identifier: GPL-3.0-or-later
// The resolver's request handling with scripted lookups: handles, cancel,
// requests in flight together, contexts and resolvers that go away early;
// then the system resolver on this machine's own names, and TXT answers as
// read from hand-built messages. The test runs inside
// a private network namespace so that no question can leave the machine.

#include "platform/posix/ShutdownSignal.h"
#include "platform/resolver/HostLookup.h"
#include "platform/resolver/LookupPool.h"
#include "platform/resolver/LookupRegistry.h"
#include "platform/resolver/ThreadedResolver.h"
#include "platform/resolver/TxtLookup.h"
#include "platform/resolver/WakeableLookup.h"
#include "support/DnsMessageBuilder.h"
#include "support/FileHelpers.h"

#include "support/TestSupport.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QtEndian>

#include <arpa/inet.h>
#include <sched.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace netsonde;
using namespace netsonde::test;

namespace {

constexpr int kPatience = 30000;              // ms; only a hung run waits this long
constexpr int kLimit = 4;                     // threads for the lookups still wanted
constexpr int kUnresolvableNameLimit = 10000; // ms

enum RequestKind { NameRequest = 1, AddressRequest };

struct Completion {
    int kind = 0; // of the request whose completion was called
    LookupHandle handle = 0;
    std::intptr_t errorCode = 0;
    HostEntry entry; // empty when the completion carries none
};

using CompletionLog = std::shared_ptr<QList<Completion>>;

// The context of lookups whose completions note every call in a log that outlives it.
class CompletionRecorder : public QObject {
public:
    explicit CompletionRecorder(CompletionLog log) : m_log(std::move(log)) {}

    LookupCompletion Done(RequestKind kind) const
    {
        return [log = m_log, kind](LookupHandle handle, const LookupResult& result) {
            const auto* entry = std::get_if<HostEntry>(&result);
            const int error = entry ? kLookupSucceeded : std::get<LookupError>(result).code;
            log->append({kind, handle, error, entry ? *entry : HostEntry{}});
        };
    }

private:
    CompletionLog m_log;
};

const Completion* FindCompletion(const QList<Completion>& log, LookupHandle handle)
{
    const auto found = std::ranges::find(log, handle, &Completion::handle);
    return found == log.end() ? nullptr : &*found;
}

// Lookups that block until the test opens their name's gate. Each answers
// with an entry made from its own question.
class GatedLookups : public std::enable_shared_from_this<GatedLookups> {
public:
    enum Stage { Waiting, Started, Returned };

    HostLookups Functions()
    {
        auto self = shared_from_this();
        return {[self](const QByteArray& name) { return self->ByName(name); },
                [](const IpAddress& address) {
                    return LookupOutcome{kLookupSucceeded, {"host-" + FormatIpAddress(address), {}, {address}}};
                }};
    }

    void Open(const QByteArray& name)
    {
        std::lock_guard lock(m_mutex);
        m_open.insert(name);
        m_changed.notify_all();
    }

    bool WaitStarted(const QByteArray& name)
    {
        std::unique_lock lock(m_mutex);
        const auto started = [&] { return m_stages.value(name) != Waiting; };
        return m_changed.wait_for(lock, std::chrono::milliseconds(kPatience), started);
    }

    Stage StageOf(const QByteArray& name)
    {
        std::lock_guard lock(m_mutex);
        return m_stages.value(name, Waiting);
    }

    static HostEntry EntryFor(const QByteArray& name)
    {
        const auto address = qToBigEndian<std::uint32_t>(0x0A000000u + static_cast<std::uint32_t>(name.size()));
        return {QString::fromUtf8(name), {QString::fromUtf8("alias." + name)}, {IpAddress::FromIPv4(address)}};
    }

private:
    LookupOutcome ByName(const QByteArray& name)
    {
        std::unique_lock lock(m_mutex);
        m_stages.insert(name, Started);
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_open.contains(name); });
        m_stages.insert(name, Returned);
        return {kLookupSucceeded, EntryFor(name)};
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    QSet<QByteArray> m_open;
    QHash<QByteArray, Stage> m_stages;
};

LookupHandle StartLookup(IResolver& resolver, CompletionRecorder& receiver, const QByteArray& name)
{
    return resolver.AsyncGetHostByName(&receiver, QString::fromUtf8(name), receiver.Done(NameRequest));
}

bool Delivered(const Completion& completion, LookupHandle handle, RequestKind kind, const HostEntry& expected)
{
    return completion.handle == handle && completion.kind == kind && completion.errorCode == kLookupSucceeded
           && completion.entry.officialName == expected.officialName && completion.entry.aliases == expected.aliases
           && completion.entry.addresses == expected.addresses;
}

// Labels of the name whose TXT records the answers carry; the question's name
// starts at offset 12, its label "origin" at 25.
const QList<QByteArray> kTxtOwner{"4", "100", "51", "198", "origin", "example"};
constexpr int kTxtType = 16;

QByteArray TxtAnswer(int answerCount, const QByteArray& records = {})
{
    return DnsMessageBuilder()
        .Header(7, 0x81, 0x80, 1, answerCount, 0, 0)
        .Name(kTxtOwner)
        .Question(kTxtType, 1)
        .Raw(records);
}

QByteArray CharacterStrings(const QList<QByteArray>& strings)
{
    return DnsMessageBuilder().Labels(strings);
}

// A record of the asked name, its owner a pointer to the question's name.
QByteArray OwnTxt(const QList<QByteArray>& strings, int rclass = 1)
{
    return DnsMessageBuilder().Pointer(12).Fields(kTxtType, rclass, 60, CharacterStrings(strings));
}

IpAddress Loopback()
{
    return IpAddress::FromIPv4(inet_addr("127.0.0.1"));
}

} // namespace

class TstResolver : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_log = std::make_shared<QList<Completion>>();
        m_gates = std::make_shared<GatedLookups>();
    }

    // A later request that finishes first is delivered first, and each
    // completion reaches its own request's callback with its handle and entry. A lookup cancelled
    // while it runs frees its place for the next one at once and is not
    // delivered when it returns; one cancelled while queued is skipped.
    void completionsCarryTheirOwnEntries()
    {
        ThreadedResolver resolver(m_gates->Functions(), 3);
        CompletionRecorder receiver(m_log);
        const LookupHandle first = StartLookup(resolver, receiver, "first.test");
        const LookupHandle second = StartLookup(resolver, receiver, "second.example.test");
        const LookupHandle running = StartLookup(resolver, receiver, "running.test");
        for (const char* name : {"first.test", "second.example.test", "running.test"})
            QVERIFY(m_gates->WaitStarted(name));
        const IpAddress address = IpAddress::FromIPv4(inet_addr("192.0.2.7"));
        const LookupHandle byAddress = resolver.AsyncGetHostByAddr(&receiver, address, receiver.Done(AddressRequest));
        const LookupHandle queued = StartLookup(resolver, receiver, "queued.test");
        QVERIFY(resolver.CancelAsyncRequest(queued) && resolver.CancelAsyncRequest(running));
        QTRY_COMPARE_WITH_TIMEOUT(m_log->size(), 1, kPatience);
        QVERIFY(Delivered(m_log->at(0), byAddress, AddressRequest, {"host-192.0.2.7", {}, {address}}));
        m_gates->Open("second.example.test");
        QTRY_COMPARE_WITH_TIMEOUT(m_log->size(), 2, kPatience);
        QVERIFY(Delivered(m_log->at(1), second, NameRequest, GatedLookups::EntryFor("second.example.test")));
        for (const char* name : {"first.test", "running.test", "queued.test"})
            m_gates->Open(name);
        QTRY_COMPARE_WITH_TIMEOUT(m_log->size(), 3, kPatience);
        QTRY_COMPARE_WITH_TIMEOUT(m_gates->StageOf("running.test"), GatedLookups::Returned, kPatience);
        QCoreApplication::processEvents();
        QCOMPARE(m_log->size(), 3);
        QVERIFY(Delivered(m_log->at(2), first, NameRequest, GatedLookups::EntryFor("first.test")));
        QCOMPARE(m_gates->StageOf("queued.test"), GatedLookups::Waiting);
    }

    // Lookups cancelled while they block hold no place of the limit: new ones
    // start until 16 threads are blocked in all. When one of them returns, its
    // thread ends and makes room.
    void cancelledLookupsLeaveRoomUpToABound()
    {
        ThreadedResolver resolver(m_gates->Functions(), kLimit);
        CompletionRecorder receiver(m_log);
        QList<QByteArray> blocked;
        QList<LookupHandle> handles;
        const auto startNext = [&] {
            const QByteArray name = "stuck" + QByteArray::number(blocked.size());
            const LookupHandle handle = StartLookup(resolver, receiver, name);
            if (handle != 0) {
                blocked << name;
                handles << handle;
            }
            return handle != 0;
        };
        for (int i = 0; i < kLimit; ++i)
            QVERIFY(startNext() && m_gates->WaitStarted(blocked.last()));
        for (const LookupHandle handle : handles)
            QVERIFY(resolver.CancelAsyncRequest(handle));
        while (startNext()) {
            QVERIFY(m_gates->WaitStarted(blocked.last()));
            QVERIFY(resolver.CancelAsyncRequest(handles.last()));
            QVERIFY(blocked.size() <= kLimit + LookupPool::kMaxAbandonedThreads);
        }
        QCOMPARE(int(blocked.size()), kLimit + LookupPool::kMaxAbandonedThreads);
        m_gates->Open(blocked.first());
        m_gates->Open("again.test");
        LookupHandle again = 0;
        QTRY_VERIFY_WITH_TIMEOUT(again != 0 || (again = StartLookup(resolver, receiver, "again.test")) != 0, kPatience);
        QTRY_COMPARE_WITH_TIMEOUT(m_log->size(), 1, kPatience);
        QCOMPARE(m_log->at(0).handle, again);
        for (const QByteArray& name : blocked)
            m_gates->Open(name);
    }

    // Handles are non-zero and never repeated in the program; at most 64
    // requests wait at once, a cancel makes room, and only a pending handle
    // can be cancelled. A completion already queued is dropped
    // when its request is cancelled or its context destroyed; a resolver
    // destroyed while a lookup blocks returns at once, and that lookup's
    // result is dropped.
    void handlesAndUndeliverableCompletions()
    {
        auto resolver = std::make_unique<ThreadedResolver>(m_gates->Functions(), 1);
        auto registry = std::make_shared<LookupRegistry>();
        CompletionRecorder receiver(m_log);
        auto* whileQueued = new CompletionRecorder(m_log);
        const auto registerFor = [&](CompletionRecorder* to) { return registry->Register(to, to->Done(NameRequest)); };
        const LookupHandle cancelled = registerFor(&receiver);
        const LookupHandle orphaned = registerFor(whileQueued);
        const LookupHandle kept = registerFor(&receiver);
        QSet<LookupHandle> handles{cancelled, orphaned, kept};
        for (std::size_t i = handles.size(); i < LookupRegistry::kMaxPendingRequests; ++i)
            handles.insert(registerFor(&receiver));
        QVERIFY(!handles.contains(0) && std::size_t(handles.size()) == LookupRegistry::kMaxPendingRequests);
        QCOMPARE(registerFor(&receiver), LookupHandle{0});
        std::thread([&] {
            for (const LookupHandle handle : {cancelled, orphaned})
                registry->Complete(handle, kLookupSucceeded, GatedLookups::EntryFor("a"));
            registry->Complete(kept, kLookupHostNotFound, {});
        }).join();
        QVERIFY(registry->Cancel(cancelled));
        const LookupHandle roomMade = registerFor(&receiver);
        QVERIFY(roomMade != 0 && !handles.contains(roomMade));
        delete whileQueued;
        m_gates->Open("survivor.test");
        const LookupHandle survivor = StartLookup(*resolver, receiver, "survivor.test");
        QVERIFY(survivor != 0 && !handles.contains(survivor) && survivor != roomMade);
        QTRY_COMPARE_WITH_TIMEOUT(m_log->size(), 2, kPatience);
        QVERIFY(!registry->Cancel(kept) && !registry->Cancel(kept + 1000));
        StartLookup(*resolver, receiver, "stuck.test");
        QVERIFY(m_gates->WaitStarted("stuck.test"));
        resolver.reset();
        QCOMPARE(m_gates->StageOf("stuck.test"), GatedLookups::Started);
        m_gates->Open("stuck.test");
        // The jobs hold the lookups until they have finished with their results.
        QTRY_COMPARE_WITH_TIMEOUT(m_gates.use_count(), 1L, kPatience);
        QCoreApplication::processEvents();
        QCOMPARE(m_log->size(), 2);
        QCOMPARE(m_log->at(0).handle, kept);
        QCOMPARE(m_log->at(0).errorCode, kLookupHostNotFound);
        QCOMPARE(m_log->at(1).handle, survivor);
    }

    // A blocked lookup is given up within 50 ms of the wake and finishes later on its own thread.
    void lookupUnlessWokenGivesUpOnWake()
    {
        using Clock = std::chrono::steady_clock;
        ShutdownSignal wake;
        QVERIFY(wake.IsValid());
        const auto byName = m_gates->Functions().byName;
        bool woken = false;
        Clock::time_point raisedAt;
        bool started = false;
        std::thread raiser([&] {
            started = m_gates->WaitStarted("stuck.test");
            raisedAt = Clock::now();
            wake.Raise();
        });
        const LookupOutcome stuck = LookUpUnlessWoken([byName] { return byName("stuck.test"); }, wake, &woken);
        const auto returnedAt = Clock::now();
        raiser.join();
        QVERIFY(started && woken);
        QCOMPARE(stuck.errorCode, kLookupNoRecovery);
        QVERIFY(returnedAt - raisedAt < std::chrono::milliseconds(50));
        QCOMPARE(m_gates->StageOf("stuck.test"), GatedLookups::Started);
        m_gates->Open("stuck.test");
        QTRY_COMPARE_WITH_TIMEOUT(m_gates.use_count(), 2L, kPatience); // the test's and byName's
    }

    // Owners match without regard to case and through compression pointers;
    // a bad pointer or a record past the end ends the walk.
    void txtAnswerParsed_data()
    {
        // clang-format off
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QList<QByteArray>>("txt");
        const QByteArray cname = DnsMessageBuilder().Pointer(12).Fields(5, 1, 60, DnsMessageBuilder().Name({"alias", "example"}));
        const QByteArray aliasTxt = DnsMessageBuilder().Name({"Alias", "EXAMPLE"}).Fields(kTxtType, 1, 60, CharacterStrings({"c"}));
        const QByteArray deeper = DnsMessageBuilder().Name({"alias", "example"}).Fields(5, 1, 60, DnsMessageBuilder().Name({"deeper"}));
        const QByteArray deeperTxt = DnsMessageBuilder().Name({"deeper"}).Fields(kTxtType, 1, 60, CharacterStrings({"d"}));
        const QByteArray upperOwner = DnsMessageBuilder().Name({"4", "100", "51", "198", "ORIGIN", "Example"}).Fields(kTxtType, 1, 60, CharacterStrings({"a"}));
        const QByteArray partlyCompressed = DnsMessageBuilder().Labels({"4", "100", "51", "198"}).Pointer(25).Fields(kTxtType, 1, 60, CharacterStrings({"p"}));
        const QByteArray otherOwner = DnsMessageBuilder().Name({"other", "example"}).Fields(kTxtType, 1, 60, CharacterStrings({"x"}));
        const QByteArray address = DnsMessageBuilder().Pointer(12).Fields(1, 1, 60, "\xC6\x33\x64\x04"_wire);
        const QByteArray pastTheEnd = DnsMessageBuilder().Pointer(12).Fields(kTxtType, 1, 60, 20).Raw("\x03" "abc");
        const QByteArray stringPastRdata = DnsMessageBuilder().Pointer(12).Fields(kTxtType, 1, 60, "\x09" "abc");
        QByteArray seventeen;
        for (int i = 0; i < 17; ++i)
            seventeen += OwnTxt({QByteArray::number(i)});
        const QByteArray loopStart = TxtAnswer(2, OwnTxt({"a"}));
        QTest::newRow("strings of one record joined") << TxtAnswer(1, OwnTxt({"64500 | 198.51", ".100.0/24", ""})) << QList<QByteArray>{"64500 | 198.51.100.0/24"};
        QTest::newRow("two records, owner in capitals") << TxtAnswer(2, upperOwner + OwnTxt({"b"})) << QList<QByteArray>{"a", "b"};
        QTest::newRow("owner partly compressed") << TxtAnswer(1, partlyCompressed) << QList<QByteArray>{"p"};
        QTest::newRow("other owner, type and class left out") << TxtAnswer(4, otherOwner + address + OwnTxt({"y"}, 3) + OwnTxt({"z"})) << QList<QByteArray>{"z"};
        QTest::newRow("one CNAME followed") << TxtAnswer(4, cname + deeper + aliasTxt + deeperTxt) << QList<QByteArray>{"c"};
        QTest::newRow("RDATA past the end") << TxtAnswer(2, OwnTxt({"a"}) + pastTheEnd) << QList<QByteArray>{"a"};
        QTest::newRow("string past its RDATA") << TxtAnswer(2, stringPastRdata + OwnTxt({"b"})) << QList<QByteArray>{"b"};
        QTest::newRow("count larger than the records") << TxtAnswer(9, OwnTxt({"a"})) << QList<QByteArray>{"a"};
        QTest::newRow("pointer to itself") << loopStart + DnsMessageBuilder().Pointer(int(loopStart.size())).Fields(kTxtType, 1, 60, CharacterStrings({"b"})) << QList<QByteArray>{"a"};
        QTest::newRow("pointer forward") << TxtAnswer(1, DnsMessageBuilder().Pointer(500).Fields(kTxtType, 1, 60, CharacterStrings({"f"}))) << QList<QByteArray>{};
        QTest::newRow("17 records: the first 16") << TxtAnswer(17, seventeen) << QList<QByteArray>{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15"};
        QTest::newRow("question cut") << TxtAnswer(1).left(20) << QList<QByteArray>{};
        QTest::newRow("header cut") << TxtAnswer(0).left(11) << QList<QByteArray>{};
        // clang-format on
    }

    void txtAnswerParsed()
    {
        QFETCH(QByteArray, message);
        const auto bytes = reinterpret_cast<const std::uint8_t*>(message.constData());
        const std::vector<QByteArray> txt =
            ParseTxtAnswer({bytes, std::size_t(message.size())}, kTxtOwner.join('.') + '.');
        QTEST(QList<QByteArray>(txt.begin(), txt.end()), "txt");
    }

    // A name or address literal looked up by name while its loopback address
    // is looked up by address; the official name of the latter leads back to
    // the address.
    void systemResolvesLoopbackBothWays_data()
    {
        // clang-format off
        if (!LookUpHostByName("localhost").entry.addresses.contains(Loopback()))
            QSKIP("the hosts file of this machine does not give localhost 127.0.0.1");
        QTest::addColumn<QString>("name");
        QTest::addColumn<IpAddress>("loopback");
        QTest::newRow("name") << "localhost" << Loopback();
        QTest::newRow("IPv6 literal") << "::1" << ParseIpv6Literal("::1").value();
        // clang-format on
    }

    void systemResolvesLoopbackBothWays()
    {
        QFETCH(QString, name);
        QFETCH(IpAddress, loopback);
        const auto resolver = CreateSystemResolver();
        CompletionRecorder receiver(m_log);
        const LookupHandle byName = resolver->AsyncGetHostByName(&receiver, name, receiver.Done(NameRequest));
        const LookupHandle byAddress = resolver->AsyncGetHostByAddr(&receiver, loopback, receiver.Done(AddressRequest));
        QTRY_COMPARE_WITH_TIMEOUT(m_log->size(), 2, kPatience);
        const Completion* forward = FindCompletion(*m_log, byName);
        const Completion* reverse = FindCompletion(*m_log, byAddress);
        QVERIFY(forward != nullptr && reverse != nullptr);
        QCOMPARE(forward->errorCode, kLookupSucceeded);
        QVERIFY(!forward->entry.officialName.isEmpty() && forward->entry.addresses.contains(loopback));
        const QRegularExpression ipv6Line("^\\s*::1\\s", QRegularExpression::MultilineOption);
        if (loopback.IsIPv6() && !ipv6Line.match(QString::fromLatin1(FileBytes("/etc/hosts"))).hasMatch())
            QSKIP("the hosts file of this machine has no ::1 line to name ::1 by");
        QCOMPARE(reverse->errorCode, kLookupSucceeded);
        QVERIFY(reverse->entry.addresses.contains(loopback));
        QVERIFY(LookUpHostByName(reverse->entry.officialName.toUtf8()).entry.addresses.contains(loopback));
    }

    // A name that cannot be asked fails at once; a resolver that cannot answer
    // about a .invalid name in time skips that row only.
    void systemCannotResolve_data()
    {
        // clang-format off
        QTest::addColumn<QString>("name");
        QTest::newRow("embedded zero") << QString::fromUtf8("local\0host", 10);
        QTest::newRow("unknown") << "netsonde-test.invalid";
        // clang-format on
    }

    void systemCannotResolve()
    {
        QFETCH(QString, name);
        const auto resolver = CreateSystemResolver();
        CompletionRecorder receiver(m_log);
        const LookupHandle handle = resolver->AsyncGetHostByName(&receiver, name, receiver.Done(NameRequest));
        const bool invalid = name.endsWith(".invalid");
        if (!QTest::qWaitFor([this] { return !m_log->isEmpty(); }, invalid ? kUnresolvableNameLimit : kPatience)
            && invalid)
            QSKIP("the system resolver gave no answer for a .invalid name within 10 s");
        QCOMPARE(m_log->size(), 1);
        QCOMPARE(m_log->at(0).handle, handle);
        const auto error = static_cast<int>(m_log->at(0).errorCode);
        QVERIFY2(invalid ? error >= kLookupHostNotFound && error <= kLookupNoData : error == kLookupHostNotFound,
                 qPrintable(QString("unexpected error code %1").arg(error)));
    }

private:
    CompletionLog m_log;
    std::shared_ptr<GatedLookups> m_gates;
};

int main(int argc, char** argv)
{
    if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0 && unshare(CLONE_NEWNET) != 0)
        SkipWholeTest("cannot enter a private network namespace");
    QCoreApplication application(argc, argv);
    TstResolver test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_resolver.moc"
