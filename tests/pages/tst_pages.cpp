// SPDX-License-Identifier: GPL-3.0-or-later
// The function pages inside a real main window: loading and saving their
// settings and Recent Lists, the host exchange rules, Smart Address
// Splitting and the NS LookUp page's name-server rule; the names assistive
// technology reads; the Recent List rules on plain lists.

#include "support/MainDialogFixture.h"

#include "settings/RecentList.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>

using namespace netsonde;
using namespace netsonde::test;

class TestPages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    // A stored list ends at an empty entry; an entry already present moves
    // to the top (as typed, in any case: pageValuesAndListsRoundTrip); only a
    // list of exactly ten loses its last entry, so a longer hand-edited one
    // keeps all of them.
    void recentList_data()
    {
        // clang-format off
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("added"); // none when empty
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty entry in the middle") << "ant;bee;;cat;" << "" << "ant;bee;";
        QTest::newRow("no final separator") << "ant;bee" << "" << "ant;bee;";
        QTest::newRow("spaces kept") << " a ; b;" << "" << " a ; b;";
        QTest::newRow("new, ten") << "1;2;3;4;5;6;7;8;9;10;" << "new" << "new;1;2;3;4;5;6;7;8;9;";
        QTest::newRow("present, ten") << "1;2;3;4;5;6;7;8;9;10;" << "9" << "9;1;2;3;4;5;6;7;8;10;";
        QTest::newRow("new, twelve") << "1;2;3;4;5;6;7;8;9;10;11;12;" << "x" << "x;1;2;3;4;5;6;7;8;9;10;11;12;";
        // clang-format on
    }

    void recentList()
    {
        QFETCH(QString, stored);
        QFETCH(QString, added);
        QStringList entries = RecentList::Parse(stored);
        if (!added.isEmpty())
            RecentList::Add(entries, added);
        QTEST(RecentList::Format(entries), "expected");
    }

    // Each control of the window is read out by name, in tab order: a field
    // by its label, whatever it holds; a result list or output pane by its
    // function.
    void controlNames_data()
    {
        // clang-format off
        QTest::addColumn<int>("page"); // -1: the window's own controls
        QTest::addColumn<QStringList>("names");
        const QString host = "Host or Address:", timeout = "Timeout (secs):", resolve = "Resolve IP Addresses";
        const QString clear = "Clear Output", verbose = "Verbose Format";
        QTest::newRow("Ping") << 0 << QStringList{host, timeout, "Number of Pings:", "Delay (ms):", resolve, "Until stopped"};
        QTest::newRow("TraceRoute") << 1 << QStringList{host, timeout, "Maximum Hops:", resolve, "Repeat"};
        QTest::newRow("Finger") << 2 << QStringList{host, "User:", clear, verbose};
        QTest::newRow("WhoIs") << 3 << QStringList{host, "User:", clear};
        QTest::newRow("NS LookUp") << 4 << QStringList{host, "Type of Search", "Name Server:", clear, verbose};
        QTest::newRow("QoD") << 5 << QStringList{host, clear};
        QTest::newRow("window") << -1 << QStringList{"Go", "Stop", "Clear", "Ping results", "TraceRoute results",
                                                     "Finger output", "WhoIs output", "Name Server LookUp output",
                                                     "Quote Of The Day output"};
        // clang-format on
    }

    void controlNames()
    {
        QFETCH(int, page);
        auto dialog = OpenMainDialog();
        QWidget* parent = page < 0 ? static_cast<QWidget*>(dialog.get()) : dialog->Page(FunctionId(page));
        if (page >= 0)
            dialog->Page(FunctionId(page))->HostCombo()->setEditText("example.net");
        QStringList names;
        for (QWidget* control : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control->focusPolicy() != Qt::NoFocus)
                names << QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
        }
        QTEST(names, "names");
    }

    // Spin fields show stored values within their range and step within it.
    void pageValuesAndListsRoundTrip()
    {
        SettingsStore::WriteInt("Ping", "Timeout", 100);
        SettingsStore::WriteText("WhoIs", "Recent List", "rs.example;Alpha.example;beta.example;");
        {
            auto dialog = OpenMainDialog();
            auto* timeout = Control<SpinField>(dialog->PingTab(), kPingTimeoutSpinControl);
            const auto stepped = [timeout](int steps) {
                timeout->stepBy(steps);
                return timeout->Value();
            };
            QCOMPARE(QList<int>({timeout->Value(), stepped(1), stepped(-100)}), QList<int>({60, 60, 1}));
            Control<SpinField>(dialog->PingTab(), kPingDelaySpinControl)->SetValue(9999);
            Control<SpinField>(dialog->PingTab(), kPingDelaySpinControl)->stepBy(5);
            QCOMPARE(Control<QLineEdit>(dialog->PingTab(), kPingDelayControl)->text(), QStringLiteral("10000"));
            QVERIFY(Control<QLineEdit>(dialog->PingTab(), kPingDelayControl)->isReadOnly());
            PingPage* ping = dialog->PingTab();
            // A first start shows the defaults of the settings table.
            QCOMPARE(Control<QLineEdit>(ping, kPingCountControl)->text(),
                     QString::number(SettingInfoOf(SettingKey::PingNumberOfPings).defaultInt));
            Control<SpinField>(ping, kPingCountSpinControl)->SetValue(7);
            Control<QCheckBox>(ping, kPingResolveControl)->setChecked(false);
            ping->AddRecentHost("one.example");
            ping->AddRecentHost("two.example");
            Control<QComboBox>(dialog->NameServerLookUpTab(), kNsSearchTypeControl)->setCurrentIndex(10);
            dialog->NameServerLookUpTab()->AddRecentNameServer("ns1.example");
            dialog->WhoIsTab()->AddRecentHost("BETA.example");
        }
        QCOMPARE(SettingsStore::ReadInt("Ping", "Number of Pings", 0), 7);
        QCOMPARE(SettingsStore::ReadInt("Ping", "Resolve IP Addresses", 1), 0);
        QCOMPARE(SettingsStore::ReadText("Ping", "Recent List"), QStringLiteral("two.example;one.example;"));
        QCOMPARE(SettingsStore::ReadInt("Name Server LookUp", "Search Type", 0), 10);
        QCOMPARE(SettingsStore::ReadText("Name Server LookUp", "Name Servers"), QStringLiteral("ns1.example;"));
        // The WhoIs entry added again in other case went to the top; after a restart the list is sorted.
        QCOMPARE(SettingsStore::ReadText("WhoIs", "Recent List"), "BETA.example;Alpha.example;rs.example;");
        auto again = OpenMainDialog();
        QCOMPARE(again->WhoIsTab()->RecentHosts(), (QStringList{"Alpha.example", "BETA.example", "rs.example"}));
        NameServerLookUpPage* ns = again->NameServerLookUpTab();
        QCOMPARE(Control<QComboBox>(ns, kNsSearchTypeControl)->currentText(), QStringLiteral("MX - Mail exchange"));
    }

    // The host is written against the Recent List where the page matches
    // it. Writing the User field during the exchange must not split it,
    // which would read the other controls back before they were written.
    void exchange()
    {
        auto dialog = OpenMainDialog();
        const std::pair<PropertyPage*, bool> pages[] = {
            {dialog->PingTab(), false}, {dialog->TraceRouteTab(), true},       {dialog->FingerTab(), false},
            {dialog->WhoIsTab(), true}, {dialog->NameServerLookUpTab(), true}, {dialog->QuoteOfDayTab(), true},
        };
        for (const auto& [page, matched] : pages) {
            page->AddRecentHost("example.net");
            page->m_host = "EXAMPLE";
            page->Refresh();
            QCOMPARE(page->HostCombo()->currentText(), QString(matched ? "example.net" : "EXAMPLE"));
            page->m_host.clear();
            page->Refresh();
            QCOMPARE(page->HostCombo()->currentText(), QString());
        }
        for (UserHostPage* page : std::initializer_list<UserHostPage*>{dialog->FingerTab(), dialog->WhoIsTab()}) {
            page->m_host = "inner.example";
            page->m_user = "ann";
            page->m_clearOutput = false;
            dialog->FingerTab()->m_verboseFormat = true;
            page->DoDataExchange(false);
            page->DoDataExchange(true);
            QCOMPARE(page->m_host, QStringLiteral("inner.example"));
            QCOMPARE(page->m_user, QStringLiteral("ann"));
            QVERIFY(!page->m_clearOutput && dialog->FingerTab()->m_verboseFormat);
        }
    }

    void smartAddressSplitting()
    {
        auto dialog = OpenMainDialog();
        dialog->SelectFunction(FunctionId::Finger);
        FingerPage* finger = dialog->FingerTab();
        QComboBox* host = finger->HostCombo();
        auto* user = Control<QLineEdit>(finger, kFingerUserControl);
        const auto fields = [user, host] { return QStringList{user->text(), host->currentText()}; };

        user->setText(QStringLiteral("old"));
        host->lineEdit()->clear();
        QGuiApplication::clipboard()->setText("ann@bob@cat");
        host->lineEdit()->paste();
        QCOMPARE(fields(), (QStringList{"ann", "bob@cat"}));
        finger->SplitHostField();
        QCOMPARE(fields(), (QStringList{"bob", "cat"}));

        host->lineEdit()->clear();
        QTest::keyClicks(host->lineEdit(), "@example");
        QCOMPARE(fields(), (QStringList{"", "example"}));

        // "john@" typed into the User field leaves john there and empties the host.
        WhoIsPage* whois = dialog->WhoIsTab();
        dialog->SelectFunction(FunctionId::WhoIs);
        whois->HostCombo()->setEditText("whois.example");
        auto* whoisUser = Control<QLineEdit>(whois, kWhoIsUserControl);
        whoisUser->setFocus();
        QTest::keyClicks(whoisUser, "john@");
        QCOMPARE(whoisUser->text(), QStringLiteral("john"));
        QCOMPARE(whois->HostCombo()->currentText(), QString());
    }

    // A stored search type out of range leaves the box without a selection,
    // also after the fields are written back, and the name server enabled.
    void nameServerFollowsSearchType()
    {
        SettingsStore::WriteInt("Name Server LookUp", "Search Type", -1);
        auto dialog = OpenMainDialog();
        dialog->SelectFunction(FunctionId::NameServerLookUp);
        NameServerLookUpPage* ns = dialog->NameServerLookUpTab();
        auto* type = Control<QComboBox>(ns, kNsSearchTypeControl);
        auto* server = Control<QComboBox>(ns, kNsServerControl);
        QCOMPARE(type->currentIndex(), -1);
        QVERIFY(server->isEnabledTo(ns));
        ns->DoDataExchange(true);
        ns->DoDataExchange(false);
        QCOMPARE(type->currentIndex(), -1);
        type->setFocus();
        QTest::keyClick(type, Qt::Key_M);
        QCOMPARE(type->currentText(), QStringLiteral("MAILB - Mailbox related records"));
        QVERIFY(server->isEnabled());
        QTest::keyClick(type, Qt::Key_Home);
        QCOMPARE(type->currentIndex(), 0);
        QVERIFY(!server->isEnabled());

        // A run disables every input; Stop leaves the server disabled in resolver mode.
        dialog->BeginRun();
        QVERIFY(!type->isEnabled());
        dialog->OnStop();
        QVERIFY(!server->isEnabled());
    }
};

QTEST_MAIN(TestPages)
#include "tst_pages.moc"
