// SPDX-License-Identifier: GPL-3.0-or-later
// The start of Finger, WhoIs and Quote Of The Day up to the network: the
// host check, lookups that fail or are stopped, the Recent List entries,
// and the FireWall dialog with its command and key.

#include "QueryTestSupport.h"
#include "support/ScriptedResolverUse.h"

#include "platform/AppMessages.h"
#include "platform/MessageBox.h"
#include "mainwindow/FireWallDialog.h"
#include "query/QuerySocket.h"
#include "query/TextQueryFunction.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <netinet/in.h>

using namespace netsonde;
using namespace netsonde::test;

namespace {

// Answers the FireWall dialog once it is open: types the two texts and
// presses the button.
void AnswerFireWallDialog(const QString& finger, const QString& whoIs, int button, QStringList* shown)
{
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<CFireWallDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            qFatal("the FireWall dialog is not open");
        auto* fingerEdit = Control<QLineEdit>(dialog, IDC_FIREWALL_FINGER);
        auto* whoIsEdit = Control<QLineEdit>(dialog, IDC_FIREWALL_WHOIS);
        *shown = {dialog->windowTitle(), fingerEdit->text(), whoIsEdit->text()};
        fingerEdit->setText(finger);
        whoIsEdit->setText(whoIs);
        Control<QPushButton>(dialog, button)->click();
    });
}

} // namespace

class TestQueryStart : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    void unresolvedHost_data();
    void unresolvedHost();
    void stopDuringLookup();
    void connectFailsAtOnce_data();
    void connectFailsAtOnce();
    void fireWallDialog_data();
    void fireWallDialog();
};

void TestQueryStart::unresolvedHost_data()
{
    QTest::addColumn<FunctionId>("function");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("firewall");
    QTest::addColumn<QString>("looked_up"); // empty when no lookup starts
    QTest::addColumn<bool>("refused"); // the lookup cannot start
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("entry"); // the Recent List's first
    const auto finger = FunctionId::Finger;
    const auto whoIs = FunctionId::WhoIs;
    const auto quote = FunctionId::QuoteOfDay;
    const QString nowhere = QStringLiteral("nowhere.lab");
    const QString enter = QStringLiteral("Please, enter a host name or address");
    const QString unresolved = "Unable to resolve " + nowhere;
    const QString gate = QStringLiteral("gate.lab");
    QTest::newRow("finger, no host") << finger << "" << "ann" << "" << "" << false << enter << "";
    QTest::newRow("qod, no host") << quote << "" << "" << "" << "" << false << enter << "";
    QTest::newRow("finger") << finger << nowhere << "ann" << "" << nowhere << false << unresolved << "ann@nowhere.lab";
    QTest::newRow("finger, no user") << finger << nowhere << "" << "" << nowhere << false << unresolved << nowhere;
    QTest::newRow("finger firewall") << finger << nowhere << "ann" << gate << gate << false
                                     << "Unable to resolve gate.lab" << "ann@nowhere.lab";
    QTest::newRow("whois firewall") << whoIs << nowhere << "ann" << gate << gate << false
                                    << "Unable to resolve gate.lab" << "ann@nowhere.lab";
    QTest::newRow("qod") << quote << nowhere << "" << "" << nowhere << false << unresolved << nowhere;
    QTest::newRow("qod refused") << quote << nowhere << "" << "" << nowhere << true << "Unable to resolve hostname"
                                 << nowhere;
}

// The pane keeps its text, and without a host the output does not open.
void TestQueryStart::unresolvedHost()
{
    QFETCH(FunctionId, function);
    QFETCH(QString, host);
    QFETCH(QString, user);
    QFETCH(QString, firewall);
    QFETCH(QString, looked_up);
    QFETCH(bool, refused);
    QFETCH(QString, box);
    CMessageBoxRecorder boxes;
    auto dialog = OpenMainDialog();
    CScriptedResolver& resolver = UseScriptedResolver(*dialog);
    dialog->SetFireWalls(firewall, firewall);
    dialog->TextPane(function)->SetText("kept");
    FillPage(*dialog, function, {host, user, false, false});
    if (refused)
        resolver.RefuseNextRequest();
    dialog->OnGo();
    if (!looked_up.isEmpty())
        QCOMPARE(dialog->StatusText(), "Resolving " + looked_up);
    QCOMPARE(resolver.Requests().size(), int(!looked_up.isEmpty() && !refused));
    if (!resolver.Requests().isEmpty()) {
        QCOMPARE(resolver.Requests().at(0).strName, looked_up);
        resolver.Complete(resolver.Requests().at(0).handle, kLookupHostNotFound);
    }
    QTRY_COMPARE(boxes.Texts(), QStringList{box});
    QCOMPARE(boxes.Entries().front().icon, MessageIcon::Exclamation);
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
    QCOMPARE(PaneText(*dialog, function), QStringLiteral("kept"));
    QCOMPARE(dialog->OutputShown(), !looked_up.isEmpty());
    QCOMPARE(Control<QPushButton>(dialog.get(), IDC_GO)->isEnabled(), !host.isEmpty());
    QTEST(dialog->Page(function)->RecentHosts().value(0), "entry");
    QCOMPARE(Control<QComboBox>(dialog->Page(function), ControlIdsOf(function).host)->currentText(), host);
}

void TestQueryStart::stopDuringLookup()
{
    CMessageBoxRecorder boxes;
    auto dialog = OpenMainDialog();
    CScriptedResolver& resolver = UseScriptedResolver(*dialog);
    FillPage(*dialog, FunctionId::WhoIs, {"whois.lab", "example.org"});
    dialog->OnGo();
    const LookupHandle handle = resolver.Requests().at(0).handle;
    QVERIFY(resolver.IsPending(handle));
    // Stop after a tab change still cancels the running query's lookup.
    dialog->SelectFunction(FunctionId::Ping);
    Control<QPushButton>(dialog.get(), IDC_STOP)->click();
    QCOMPARE(resolver.CancelledHandles(), QList<LookupHandle>{handle});
    QVERIFY(!dialog->Runs().HasPendingRequests());
    // A completion that arrives after Stop changes nothing.
    PostAppMessage(&dialog->Runs(), WM_APP_HOST_RESOLVED, handle, kLookupHostNotFound);
    QTest::qWait(20);
    QVERIFY(boxes.Texts().isEmpty());
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
    QVERIFY(!dynamic_cast<CTextQueryFunction&>(*dialog->Function(FunctionId::WhoIs)).QuerySocket());
}

void TestQueryStart::connectFailsAtOnce_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QList<CIpAddress>>("resolved"); // empty when typed as an address
    QTest::addColumn<AddressPreference>("preference");
    QTest::addColumn<int>("error"); // 0: the preference excludes every address
    // The system refuses a connect to multicast at once (ENETUNREACH), and
    // one to an IPv6 link-local address without an interface (EINVAL).
    const QList<CIpAddress> typed;
    const auto v4 = AddressPreference::PreferIPv4;
    QTest::newRow("name resolved to broadcast") << "%1%2.lab" << QList{CIpAddress::FromIPv4(INADDR_BROADCAST)} << v4
                                                << ENETUNREACH;
    QTest::newRow("multicast address") << "224.0.0.1" << typed << v4 << ENETUNREACH;
    QTest::newRow("IPv6 literal") << "[fe80::1]" << typed << v4 << EINVAL;
    QTest::newRow("IPv6 excluded") << "v6.lab" << QList{*ParseIpv6Literal("fe80::1")} << AddressPreference::OnlyIPv4
                                   << 0;
}

// A connect the system refuses at once: the box quotes the host as it is,
// shows while the run still lasts with the socket already closed, and the
// end of the run leaves no socket. A host whose addresses the preference
// excludes fails as an unresolved one.
void TestQueryStart::connectFailsAtOnce()
{
    QFETCH(QString, host);
    QFETCH(QList<CIpAddress>, resolved);
    QFETCH(AddressPreference, preference);
    QFETCH(int, error);
    auto dialog = OpenMainDialog();
    CScriptedResolver& resolver = UseScriptedResolver(*dialog);
    const auto& query = dynamic_cast<const CTextQueryFunction&>(*dialog->Function(FunctionId::Finger));
    const auto openDescriptors = [] { return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size(); };
    const qsizetype descriptors = openDescriptors();
    QStringList shown;
    const MessageBoxHandler previous = SetMessageBoxHandler([&](const QString& text, MessageIcon icon) {
        const bool bSocketOpen = query.QuerySocket() && query.QuerySocket()->IsOpen();
        shown << text << dialog->StatusText() << QString::number(int(icon)) << QString::number(bSocketOpen);
    });

    FillPage(*dialog, FunctionId::Finger, {host, "ann"});
    CRunInputs inputs = dialog->ReadInputs(FunctionId::Finger);
    inputs.preference = preference;
    dialog->Runs().Go(inputs);
    if (!resolved.isEmpty())
        resolver.Complete(resolver.Requests().at(0).handle, kLookupSucceeded, {host, {}, resolved});
    QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
    SetMessageBoxHandler(previous);
    const QString icon = QString::number(int(MessageIcon::Exclamation));
    if (error == 0)
        QCOMPARE(shown, (QStringList{"Unable to resolve " + host, "Resolving " + host, icon, "0"}));
    else
        QCOMPARE(shown, (QStringList{"Cannot connect to " + host + " (" + QString::number(error) + ")",
                                     "Connecting to " + host, icon, "0"}));
    QVERIFY(!query.QuerySocket());
    QCOMPARE(openDescriptors(), descriptors);
}

void TestQueryStart::fireWallDialog_data()
{
    QTest::addColumn<QStringList>("before"); // Finger's and WhoIs's firewall
    QTest::addColumn<bool>("byKey"); // F11 rather than the menu command
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<int>("button");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("box"); // the lookup started before the dialog follows the firewall read at Go
    QTest::newRow("ok") << QStringList{"old.finger", ""} << true << QStringList{" gate ", ""} << IDC_FIREWALL_OK
                        << QStringList{" gate ", ""} << QStringList{" gate ", ""} << "Unable to resolve old.finger";
    QTest::newRow("cancel") << QStringList{"", "whois.gate"} << false << QStringList{"edited", "edited"}
                            << IDC_FIREWALL_CANCEL << QStringList{"", "whois.gate"} << QStringList{"unset", "unset"}
                            << "Unable to resolve finger.lab";
}

// The dialog opened while a Finger lookup runs.
void TestQueryStart::fireWallDialog()
{
    QFETCH(QStringList, before);
    QFETCH(bool, byKey);
    QFETCH(QStringList, typed);
    QFETCH(int, button);
    QFETCH(QString, box);
    CMessageBoxRecorder boxes;
    auto dialog = OpenMainDialog();
    CScriptedResolver& resolver = UseScriptedResolver(*dialog);
    dialog->SetFireWalls(before.at(0), before.at(1));
    FillPage(*dialog, FunctionId::Finger, {"finger.lab", "ann"});
    dialog->OnGo();
    QStringList shown;
    AnswerFireWallDialog(typed.at(0), typed.at(1), button, &shown);
    if (byKey)
        QTest::keyClick(dialog.get(), Qt::Key_F11);
    else
        dialog->Command(ID_FIREWALLS)->trigger();
    QCOMPARE(shown, QStringList{"FireWall Configuration"} + before);
    QTEST((QStringList{dialog->Options().strFingerFireWall, dialog->Options().strWhoIsFireWall}), "after");
    QTEST((QStringList{SettingsStore::ReadText("Finger", "FireWall", "unset"),
                       SettingsStore::ReadText("WhoIs", "FireWall", "unset")}), "stored");
    resolver.Complete(resolver.Requests().at(0).handle, kLookupHostNotFound);
    QTRY_COMPARE(boxes.Texts(), QStringList{box});
    QCOMPARE(resolver.Requests().size(), 1);
}

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    TestQueryStart test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_querystart.moc"
