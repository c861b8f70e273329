// SPDX-License-Identifier: GPL-3.0-or-later
// The system resolver on this machine's own names, run inside a private
// network namespace so that no question can leave the machine.

#include "platform/resolver/HostLookup.h"
#include "resolver/CompletionRecorder.h"
#include "support/FileHelpers.h"

#include "TestSupport.h"

#include <QRegularExpression>
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

bool HostsFileNamesIpv6Loopback()
{
    const QRegularExpression line("^\\s*::1\\s", QRegularExpression::MultilineOption);
    return line.match(QString::fromLatin1(FileBytes(QStringLiteral("/etc/hosts")))).hasMatch();
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

    // A name or address literal looked up by name while its loopback address
    // is looked up by address; the official name of the latter leads back to
    // the address.
    void resolvesLoopbackBothWays_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<CIpAddress>("loopback");
        QTest::newRow("name") << "localhost" << Loopback();
        QTest::newRow("dotted address") << "127.0.0.1" << Loopback();
        QTest::newRow("IPv6 literal") << "::1" << ParseIpv6Literal("::1").value();
    }

    void resolvesLoopbackBothWays()
    {
        QFETCH(QString, name);
        QFETCH(CIpAddress, loopback);
        CCompletionRecorder receiver(m_log);
        const LookupHandle byName = m_resolver->AsyncGetHostByName(&receiver, WM_APP_HOST_RESOLVED, name);
        const LookupHandle byAddress = m_resolver->AsyncGetHostByAddr(&receiver, WM_APP_ADDRESS_RESOLVED, loopback);
        QTRY_COMPARE_WITH_TIMEOUT(m_log->size(), 2, kPatience);
        const CCompletion* forward = FindCompletion(*m_log, byName);
        const CCompletion* reverse = FindCompletion(*m_log, byAddress);
        QVERIFY(forward != nullptr && reverse != nullptr);
        QCOMPARE(forward->nError, kLookupSucceeded);
        QVERIFY(!forward->entry->strOfficialName.isEmpty() && forward->entry->addresses.contains(loopback));
        if (loopback.IsIPv6() && !HostsFileNamesIpv6Loopback())
            QSKIP("the hosts file of this machine has no ::1 line to name ::1 by");
        QCOMPARE(reverse->nError, kLookupSucceeded);
        QVERIFY(reverse->entry->addresses.contains(loopback));
        QVERIFY(LookUpHostByName(reverse->entry->strOfficialName.toUtf8()).entry.addresses.contains(loopback));
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
        const LookupHandle handle = m_resolver->AsyncGetHostByName(&receiver, WM_APP_HOST_RESOLVED, name);
        QTRY_COMPARE_WITH_TIMEOUT(m_log->size(), 1, kPatience);
        QCOMPARE(m_log->at(0).handle, handle);
        QCOMPARE(m_log->at(0).nError, kLookupHostNotFound);
        QVERIFY(m_log->at(0).entry->addresses.isEmpty());
    }

    // A resolver that cannot answer in time skips this case only.
    void unresolvableNameReportsError()
    {
        CCompletionRecorder receiver(m_log);
        const LookupHandle handle = m_resolver->AsyncGetHostByName(
            &receiver, WM_APP_HOST_RESOLVED, "netsonde-test.invalid");
        if (!QTest::qWaitFor([this] { return !m_log->isEmpty(); }, kUnresolvableNameLimit))
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
