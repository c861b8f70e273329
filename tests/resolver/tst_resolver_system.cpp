// SPDX-License-Identifier: GPL-3.0-or-later
// The system resolver on this machine's own names, run inside a private
// network namespace so that no question can leave the machine.

#include "platform/resolver/HostLookup.h"
#include "resolver/CompletionRecorder.h"

#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

#include <arpa/inet.h>
#include <sched.h>

#include <algorithm>

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

CIpAddress AddressOf(const QString& text)
{
    const std::string bytes = text.toStdString();
    return ParseIpv6Literal(bytes).value_or(CIpAddress::FromIPv4(inet_addr(bytes.c_str())));
}

bool HostsFileNamesIpv6Loopback()
{
    constexpr qint64 kMaxHostsFileBytes = 1024 * 1024;
    QFile hosts("/etc/hosts");
    if (!hosts.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = hosts.read(kMaxHostsFileBytes).split('\n');
    return std::any_of(lines.cbegin(), lines.cend(), [](const QByteArray& line) {
        return line.simplified().startsWith("::1 ");
    });
}

} // namespace

class TstResolverSystem : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!LookUpHostByName("localhost").entry.addresses.contains(Loopback()))
            SkipWholeTest("the hosts file of this machine does not give localhost 127.0.0.1");
    }

    void init()
    {
        m_log = std::make_shared<QList<CCompletion>>();
        m_resolver = CreateSystemResolver();
    }

    // A name or address literal looked up by name, or an address looked up
    // by address; the official name of the latter leads back to the address.
    void resolvesLoopback_data()
    {
        QTest::addColumn<bool>("byAddress");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("loopback");
        QTest::newRow("name") << false << "localhost" << "127.0.0.1";
        QTest::newRow("dotted address") << false << "127.0.0.1" << "127.0.0.1";
        QTest::newRow("IPv6 literal") << false << "::1" << "::1";
        QTest::newRow("IPv4 address to name") << true << "127.0.0.1" << "127.0.0.1";
        QTest::newRow("IPv6 address to name") << true << "::1" << "::1";
    }

    void resolvesLoopback()
    {
        QFETCH(bool, byAddress);
        QFETCH(QString, question);
        QFETCH(QString, loopback);
        const CIpAddress expected = AddressOf(loopback);
        if (byAddress && expected.IsIPv6() && !HostsFileNamesIpv6Loopback())
            QSKIP("the hosts file of this machine has no ::1 line");
        const int message = byAddress ? WM_APP_ADDRESS_RESOLVED : WM_APP_HOST_RESOLVED;
        CCompletionRecorder receiver(m_log);
        const LookupHandle handle = byAddress
            ? m_resolver->AsyncGetHostByAddr(&receiver, message, expected)
            : m_resolver->AsyncGetHostByName(&receiver, message, question);
        QVERIFY(handle != 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_log->size(), 1, kPatience);
        const CCompletion& completion = m_log->at(0);
        QCOMPARE(completion.handle, handle);
        QCOMPARE(completion.nMessage, message);
        QCOMPARE(completion.nError, kLookupSucceeded);
        QVERIFY(completion.entry.has_value());
        QVERIFY(!completion.entry->strOfficialName.isEmpty());
        QVERIFY(completion.entry->addresses.contains(expected));
        if (byAddress) {
            const CLookupOutcome forward = LookUpHostByName(completion.entry->strOfficialName.toUtf8());
            QVERIFY(forward.entry.addresses.contains(expected));
        }
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

    // Last: a resolver that cannot answer in time ends the whole run as skipped.
    void unresolvableNameReportsError()
    {
        CCompletionRecorder receiver(m_log);
        const LookupHandle handle = m_resolver->AsyncGetHostByName(
            &receiver, WM_APP_HOST_RESOLVED, "netsonde-test.invalid");
        QDeadlineTimer deadline(kUnresolvableNameLimit);
        while (m_log->isEmpty() && !deadline.hasExpired())
            QTest::qWait(20);
        if (m_log->isEmpty())
            SkipWholeTest("the system resolver gave no answer for a .invalid name within 10 s");
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
