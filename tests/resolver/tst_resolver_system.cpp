// SPDX-License-Identifier: GPL-3.0-or-later
// The system resolver on this machine's own names, run inside a private
// network namespace so that no question can leave the machine.

#include "platform/resolver/HostLookup.h"
#include "resolver/CompletionRecorder.h"

#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QTest>

#include <arpa/inet.h>
#include <sched.h>

using namespace netsonde;
using namespace netsonde::test;

namespace {

constexpr int kPatience = 30000;              // ms; only a hung run waits this long
constexpr int kUnresolvableNameLimit = 10000; // ms

bool EnterPrivateNetworkNamespace()
{
    return unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0 || unshare(CLONE_NEWNET) == 0;
}

CIpAddress Loopback()
{
    return CIpAddress::FromIPv4(inet_addr("127.0.0.1"));
}

} // namespace

class TstResolverSystem : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!LookUpHostByName("localhost").entry.addresses.contains(Loopback()))
            QSKIP("the hosts file of this machine does not give localhost 127.0.0.1");
    }

    void init()
    {
        m_log = std::make_shared<QList<CCompletion>>();
        m_resolver = CreateSystemResolver();
    }

    void resolvesLoopbackName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("name") << "localhost";
        QTest::newRow("dotted address") << "127.0.0.1";
    }

    void resolvesLoopbackName()
    {
        QFETCH(QString, name);
        CCompletionRecorder receiver(m_log);
        const LookupHandle handle =
            m_resolver->AsyncGetHostByName(&receiver, WM_APP_HOST_RESOLVED, name);
        QVERIFY(handle != 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_log->size(), 1, kPatience);
        const CCompletion& completion = m_log->at(0);
        QCOMPARE(completion.handle, handle);
        QCOMPARE(completion.nMessage, WM_APP_HOST_RESOLVED);
        QCOMPARE(completion.nError, kLookupSucceeded);
        QVERIFY(completion.entry.has_value());
        QVERIFY(!completion.entry->strOfficialName.isEmpty());
        QVERIFY(completion.entry->addresses.contains(Loopback()));
    }

    void resolvesLoopbackAddressToName()
    {
        CCompletionRecorder receiver(m_log);
        const LookupHandle handle =
            m_resolver->AsyncGetHostByAddr(&receiver, WM_APP_ADDRESS_RESOLVED, Loopback());
        QVERIFY(handle != 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_log->size(), 1, kPatience);
        const CCompletion& completion = m_log->at(0);
        QCOMPARE(completion.handle, handle);
        QCOMPARE(completion.nMessage, WM_APP_ADDRESS_RESOLVED);
        QCOMPARE(completion.nError, kLookupSucceeded);
        QVERIFY(completion.entry.has_value());
        QVERIFY(!completion.entry->strOfficialName.isEmpty());
        const CLookupOutcome forward = LookUpHostByName(completion.entry->strOfficialName.toUtf8());
        QVERIFY(forward.entry.addresses.contains(Loopback()));
    }

    void nameAndAddressInFlightTogether()
    {
        CCompletionRecorder receiver(m_log);
        const LookupHandle byName =
            m_resolver->AsyncGetHostByName(&receiver, WM_APP_HOST_RESOLVED, "localhost");
        const LookupHandle byAddress =
            m_resolver->AsyncGetHostByAddr(&receiver, WM_APP_ADDRESS_RESOLVED, Loopback());
        QVERIFY(byName != byAddress);
        QTRY_COMPARE_WITH_TIMEOUT(m_log->size(), 2, kPatience);
        const CCompletion* name = FindCompletion(*m_log, byName);
        const CCompletion* address = FindCompletion(*m_log, byAddress);
        QVERIFY(name != nullptr && address != nullptr);
        QCOMPARE(name->nMessage, WM_APP_HOST_RESOLVED);
        QCOMPARE(address->nMessage, WM_APP_ADDRESS_RESOLVED);
        QVERIFY(name->entry->addresses.contains(Loopback()));
        QVERIFY(address->entry->addresses.contains(Loopback()));
    }

    void namesThatCannotBeLookedUp_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << "";
        QTest::newRow("embedded zero") << QString::fromUtf8("local\0host", 10);
        QTest::newRow("too long") << QString(1025, QChar('a'));
    }

    void namesThatCannotBeLookedUp()
    {
        QFETCH(QString, name);
        CCompletionRecorder receiver(m_log);
        const LookupHandle handle =
            m_resolver->AsyncGetHostByName(&receiver, WM_APP_HOST_RESOLVED, name);
        QTRY_COMPARE_WITH_TIMEOUT(m_log->size(), 1, kPatience);
        QCOMPARE(m_log->at(0).handle, handle);
        QCOMPARE(m_log->at(0).nError, kLookupHostNotFound);
        QVERIFY(m_log->at(0).entry->addresses.isEmpty());
    }

    void resolverDestroyedRightAfterRequest()
    {
        CCompletionRecorder receiver(m_log);
        m_resolver->AsyncGetHostByName(&receiver, WM_APP_HOST_RESOLVED, "localhost");
        m_resolver.reset();
        QTest::qWait(200);
        QVERIFY(m_log->isEmpty());
    }

    // A resolver that cannot answer in time skips this case only.
    void unresolvableNameReportsError()
    {
        CCompletionRecorder receiver(m_log);
        const LookupHandle handle = m_resolver->AsyncGetHostByName(
            &receiver, WM_APP_HOST_RESOLVED, "netsonde-test.invalid");
        QDeadlineTimer deadline(kUnresolvableNameLimit);
        while (m_log->isEmpty() && !deadline.hasExpired())
            QTest::qWait(20);
        if (m_log->isEmpty())
            QSKIP("the system resolver gave no answer for a .invalid name within 10 s");
        QCOMPARE(m_log->at(0).handle, handle);
        const auto error = static_cast<int>(m_log->at(0).nError);
        QVERIFY2(error >= kLookupHostNotFound && error <= kLookupNoData,
                 qPrintable(QString("unexpected error code %1").arg(error)));
        QVERIFY(m_log->at(0).entry->addresses.isEmpty());
    }

private:
    CompletionLog m_log;
    std::unique_ptr<IResolver> m_resolver;
};

int main(int argc, char** argv)
{
    if (!EnterPrivateNetworkNamespace())
        SkipWholeTest("cannot enter a private network namespace");
    QCoreApplication application(argc, argv);
    TstResolverSystem test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_resolver_system.moc"
