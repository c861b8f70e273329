// SPDX-License-Identifier: GPL-3.0-or-later
// The function pages inside a real main window: loading and saving their
// settings and Recent Lists, the host exchange rules, Smart Address
// Splitting and the NS LookUp page's name-server rule; the names assistive
// technology reads; the Recent List rules on plain lists.

#include "mainwindow/MainDialogFixture.h"

#include "platform/AppMessages.h"
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

    // A stored list ends at an empty entry; an entry already present (in any
    // case) moves to the top as typed; only a list of exactly ten loses its
    // last entry, so a longer hand-edited one keeps all of them.
    void recentList_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("added"); // none when empty
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty entry in the middle") << "ant;bee;;cat;" << "" << "ant;bee;";
        QTest::newRow("no final separator") << "ant;bee" << "" << "ant;bee;";
        QTest::newRow("spaces kept") << " a ; b;" << "" << " a ; b;";
        QTest::newRow("present in other case") << "one;two;Three;four;" << "THREE" << "THREE;one;two;four;";
        QTest::newRow("new, ten") << "1;2;3;4;5;6;7;8;9;10;" << "new" << "new;1;2;3;4;5;6;7;8;9;";
        QTest::newRow("present, ten") << "1;2;3;4;5;6;7;8;9;10;" << "9" << "9;1;2;3;4;5;6;7;8;10;";
        QTest::newRow("new, twelve") << "1;2;3;4;5;6;7;8;9;10;11;12;" << "x" << "x;1;2;3;4;5;6;7;8;9;10;11;12;";
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
        QTest::addColumn<int>("page"); // -1: the window's own controls
        QTest::addColumn<QStringList>("names");
        const QString host = "Host or Address:", timeout = "Timeout (secs):", resolve = "Resolve IP Addresses";
        const QString clear = "Clear Output", verbose = "Verbose Format";
        QTest::newRow("Ping") << 0 << QStringList{host, timeout, "Number of Pings:", "Delay (ms):", resolve};
        QTest::newRow("TraceRoute") << 1 << QStringList{host, timeout, "Maximum Hops:", resolve};
        QTest::newRow("Finger") << 2 << QStringList{host, "User:", clear, verbose};
        QTest::newRow("WhoIs") << 3 << QStringList{host, "User:", clear};
        QTest::newRow("NS LookUp") << 4 << QStringList{host, "Type of Search", "Name Server:", clear, verbose};
        QTest::newRow("QoD") << 5 << QStringList{host, clear};
        QTest::newRow("window") << -1 << QStringList{"Go", "Stop", "Clear", "Ping results", "TraceRoute results",
                                                     "Finger output", "WhoIs output", "Name Server LookUp output",
                                                     "Quote Of The Day output"};
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
            auto* timeout = Control<CSpinField>(dialog->PingPage(), IDC_PING_TIMEOUT_SPIN);
            const auto stepped = [timeout](int steps) { timeout->stepBy(steps); return timeout->Value(); };
            QCOMPARE(QList<int>({timeout->Value(), stepped(1), stepped(-100)}), QList<int>({60, 60, 1}));
            Control<CSpinField>(dialog->PingPage(), IDC_PING_DELAY_SPIN)->SetValue(9999);
            Control<CSpinField>(dialog->PingPage(), IDC_PING_DELAY_SPIN)->stepBy(5);
            QCOMPARE(Control<QLineEdit>(dialog->PingPage(), IDC_PING_DELAY)->text(), QStringLiteral("10000"));
            QVERIFY(Control<QLineEdit>(dialog->PingPage(), IDC_PING_DELAY)->isReadOnly());
            QCOMPARE(dialog->WhoIsPage()->RecentHosts(), (QStringList{"Alpha.example", "beta.example", "rs.example"}));
            CPingPage* ping = dialog->PingPage();
            // A first start shows the defaults of the settings table.
            QCOMPARE(Control<QLineEdit>(ping, IDC_PING_COUNT)->text(),
                     QString::number(SettingInfo(SettingKey::PingNumberOfPings).defaultInt));
            Control<CSpinField>(ping, IDC_PING_COUNT_SPIN)->SetValue(7);
            Control<QCheckBox>(ping, IDC_PING_RESOLVE)->setChecked(false);
            ping->AddRecentHost("one.example");
            ping->AddRecentHost("two.example");
            Control<QComboBox>(dialog->NameServerLookUpPage(), IDC_NS_SEARCH_TYPE)->setCurrentIndex(10);
            dialog->NameServerLookUpPage()->AddRecentNameServer("ns1.example");
            dialog->WhoIsPage()->AddRecentHost("BETA.example");
        }
        QCOMPARE(SettingsStore::ReadInt("Ping", "Number of Pings", 0), 7);
        QCOMPARE(SettingsStore::ReadInt("Ping", "Resolve IP Addresses", 1), 0);
        QCOMPARE(SettingsStore::ReadText("Ping", "Recent List"), QStringLiteral("two.example;one.example;"));
        QCOMPARE(SettingsStore::ReadInt("Name Server LookUp", "Search Type", 0), 10);
        QCOMPARE(SettingsStore::ReadText("Name Server LookUp", "Name Servers"), QStringLiteral("ns1.example;"));
        // The WhoIs entry added again in other case went to the top; after a restart the list is sorted.
        QCOMPARE(SettingsStore::ReadText("WhoIs", "Recent List"), "BETA.example;Alpha.example;rs.example;");
        auto again = OpenMainDialog();
        QCOMPARE(again->WhoIsPage()->RecentHosts(), (QStringList{"Alpha.example", "BETA.example", "rs.example"}));
        CNameServerLookUpPage* ns = again->NameServerLookUpPage();
        QCOMPARE(Control<QComboBox>(ns, IDC_NS_SEARCH_TYPE)->currentText(), QStringLiteral("MX - Mail exchange"));
        QVERIFY(Control<QComboBox>(ns, IDC_NS_SERVER)->isEnabledTo(ns));
    }

    // The host is written against the Recent List where the page matches
    // it. Writing the User field during the exchange must not split it,
    // which would read the other controls back before they were written.
    void exchange()
    {
        auto dialog = OpenMainDialog();
        const std::pair<CPropertyPage*, bool> pages[] = {
            {dialog->PingPage(), false},         {dialog->TraceRoutePage(), true},
            {dialog->FingerPage(), false},       {dialog->WhoIsPage(), true},
            {dialog->NameServerLookUpPage(), true}, {dialog->QuoteOfDayPage(), true},
        };
        for (const auto& [page, matched] : pages) {
            page->AddRecentHost("example.net");
            page->m_strHost = "EXAMPLE";
            SendAppMessage(page, WM_APP_REFRESH);
            QCOMPARE(page->HostCombo()->currentText(), QString(matched ? "example.net" : "EXAMPLE"));
            page->m_strHost.clear();
            SendAppMessage(page, WM_APP_REFRESH);
            QCOMPARE(page->HostCombo()->currentText(), QString());
        }
        for (CUserHostPage* page : std::initializer_list<CUserHostPage*>{dialog->FingerPage(), dialog->WhoIsPage()}) {
            page->m_strHost = "inner.example";
            page->m_strUser = "ann";
            page->m_bClearOutput = false;
            dialog->FingerPage()->m_bVerboseFormat = true;
            page->DoDataExchange(false);
            page->DoDataExchange(true);
            QCOMPARE(page->m_strHost, QStringLiteral("inner.example"));
            QCOMPARE(page->m_strUser, QStringLiteral("ann"));
            QVERIFY(!page->m_bClearOutput && dialog->FingerPage()->m_bVerboseFormat);
        }
    }

    void smartAddressSplitting()
    {
        auto dialog = OpenMainDialog();
        dialog->SelectFunction(FunctionId::Finger);
        CFingerPage* finger = dialog->FingerPage();
        QComboBox* host = finger->HostCombo();
        auto* user = Control<QLineEdit>(finger, IDC_FINGER_USER);
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
        CWhoIsPage* whois = dialog->WhoIsPage();
        dialog->SelectFunction(FunctionId::WhoIs);
        whois->HostCombo()->setEditText("whois.example");
        auto* whoisUser = Control<QLineEdit>(whois, IDC_WHOIS_USER);
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
        CNameServerLookUpPage* ns = dialog->NameServerLookUpPage();
        auto* type = Control<QComboBox>(ns, IDC_NS_SEARCH_TYPE);
        auto* server = Control<QComboBox>(ns, IDC_NS_SERVER);
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
