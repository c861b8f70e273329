// SPDX-License-Identifier: GPL-3.0-or-later
// The function pages inside a real main window: loading and saving their
// settings and Recent Lists, the host exchange rules, Smart Address
// Splitting and the NS LookUp page's name-server rule.

#include "../mainwindow/MainDialogFixture.h"

#include "platform/AppMessages.h"
#include "settings/SettingsKeys.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace netsonde;
using namespace netsonde::test;

namespace {

QStringList Items(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace

class TestPages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    void spinFieldsShowStoredValuesWithinRangeAndStepWithinRange()
    {
        SettingsStore::WriteInt(QStringLiteral("Ping"), QStringLiteral("Timeout"), 100);
        auto dialog = OpenMainDialog();
        auto* timeout = Control<CSpinField>(dialog->PingPage(), IDC_PING_TIMEOUT_SPIN);
        QCOMPARE(timeout->Value(), 60);
        timeout->stepBy(1);
        QCOMPARE(timeout->Value(), 60);
        timeout->stepBy(-100);
        QCOMPARE(timeout->Value(), 1);
        auto* delay = Control<CSpinField>(dialog->PingPage(), IDC_PING_DELAY_SPIN);
        delay->SetValue(9999);
        delay->stepBy(5);
        QCOMPARE(Control<QLineEdit>(dialog->PingPage(), IDC_PING_DELAY)->text(), QStringLiteral("10000"));
        QVERIFY(Control<QLineEdit>(dialog->PingPage(), IDC_PING_DELAY)->isReadOnly());
    }

    void pageValuesAndListsRoundTrip()
    {
        SettingsStore::WriteText(QStringLiteral("WhoIs"), QStringLiteral("Recent List"),
                                 QStringLiteral("rs.example;Alpha.example;beta.example;"));
        SettingsStore::WriteText(QStringLiteral("Finger"), QStringLiteral("Recent List"), QStringLiteral(";lost;"));
        {
            auto dialog = OpenMainDialog();
            QCOMPARE(Items(dialog->WhoIsPage()->HostCombo()),
                     (QStringList{"Alpha.example", "beta.example", "rs.example"}));
            QVERIFY(Items(dialog->FingerPage()->HostCombo()).isEmpty());
            CPingPage* ping = dialog->PingPage();
            // A first start shows the defaults of the settings table.
            QCOMPARE(Control<QLineEdit>(ping, IDC_PING_COUNT)->text(),
                     QString::number(SettingInfo(SettingKey::PingNumberOfPings).defaultInt));
            Control<CSpinField>(ping, IDC_PING_COUNT_SPIN)->SetValue(7);
            Control<QCheckBox>(ping, IDC_PING_RESOLVE)->setChecked(false);
            ping->AddRecentHost(QStringLiteral("one.example"));
            ping->AddRecentHost(QStringLiteral("two.example"));
            Control<QComboBox>(dialog->NameServerLookUpPage(), IDC_NS_SEARCH_TYPE)->setCurrentIndex(10);
            dialog->NameServerLookUpPage()->AddRecentNameServer(QStringLiteral("ns1.example"));
            dialog->WhoIsPage()->AddRecentHost(QStringLiteral("BETA.example"));
        }
        QCOMPARE(SettingsStore::ReadInt(QStringLiteral("Ping"), QStringLiteral("Number of Pings"), 0), 7);
        QCOMPARE(SettingsStore::ReadInt(QStringLiteral("Ping"), QStringLiteral("Resolve IP Addresses"), 1), 0);
        QCOMPARE(SettingsStore::ReadText(QStringLiteral("Ping"), QStringLiteral("Recent List")),
                 QStringLiteral("two.example;one.example;"));
        QCOMPARE(SettingsStore::ReadInt(QStringLiteral("Name Server LookUp"), QStringLiteral("Search Type"), 0), 10);
        QCOMPARE(SettingsStore::ReadText(QStringLiteral("Name Server LookUp"), QStringLiteral("Name Servers")),
                 QStringLiteral("ns1.example;"));
        // The WhoIs entry added again in other case went to the top; after a restart the list is sorted.
        QCOMPARE(SettingsStore::ReadText(QStringLiteral("WhoIs"), QStringLiteral("Recent List")),
                 QStringLiteral("BETA.example;Alpha.example;rs.example;"));
        auto again = OpenMainDialog();
        QCOMPARE(Items(again->WhoIsPage()->HostCombo()), (QStringList{"Alpha.example", "BETA.example", "rs.example"}));
        QCOMPARE(Control<QComboBox>(again->NameServerLookUpPage(), IDC_NS_SEARCH_TYPE)->currentText(),
                 QStringLiteral("MX - Mail exchange"));
        QVERIFY(Control<QComboBox>(again->NameServerLookUpPage(), IDC_NS_SERVER)->isEnabledTo(again->NameServerLookUpPage()));
    }

    void hostWrittenAgainstTheList()
    {
        auto dialog = OpenMainDialog();
        const std::pair<CPropertyPage*, bool> pages[] = {
            {dialog->PingPage(), false},         {dialog->TraceRoutePage(), true},
            {dialog->FingerPage(), false},       {dialog->WhoIsPage(), true},
            {dialog->NameServerLookUpPage(), true}, {dialog->QuoteOfDayPage(), true},
        };
        for (const auto& [page, matched] : pages) {
            page->AddRecentHost(QStringLiteral("example.net"));
            page->m_strHost = QStringLiteral("EXAMPLE");
            SendAppMessage(page, WM_APP_REFRESH);
            const QString expected = matched ? QStringLiteral("example.net") : QStringLiteral("EXAMPLE");
            QCOMPARE(page->HostCombo()->currentText(), expected);
            page->m_strHost.clear();
            SendAppMessage(page, WM_APP_REFRESH);
            QCOMPARE(page->HostCombo()->currentText(), QString());
        }
    }

    void smartAddressSplitting()
    {
        auto dialog = OpenMainDialog();
        QVERIFY(dialog->Options().bSmartSplitting);
        dialog->SelectFunction(FunctionId::Finger);
        CFingerPage* finger = dialog->FingerPage();
        QComboBox* host = finger->HostCombo();
        auto* user = Control<QLineEdit>(finger, IDC_FINGER_USER);

        user->setText(QStringLiteral("old"));
        host->lineEdit()->clear();
        QGuiApplication::clipboard()->setText(QStringLiteral("ann@bob@cat"));
        host->lineEdit()->paste();
        QCOMPARE(user->text(), QStringLiteral("ann"));
        QCOMPARE(host->currentText(), QStringLiteral("bob@cat"));
        finger->SplitHostField();
        QCOMPARE(user->text(), QStringLiteral("bob"));
        QCOMPARE(host->currentText(), QStringLiteral("cat"));

        host->lineEdit()->clear();
        QTest::keyClicks(host->lineEdit(), QStringLiteral("@example"));
        QCOMPARE(user->text(), QString());
        QCOMPARE(host->currentText(), QStringLiteral("example"));

        // "john@" typed into the User field leaves john there and empties the host.
        CWhoIsPage* whois = dialog->WhoIsPage();
        dialog->SelectFunction(FunctionId::WhoIs);
        whois->HostCombo()->setEditText(QStringLiteral("whois.example"));
        auto* whoisUser = Control<QLineEdit>(whois, IDC_WHOIS_USER);
        whoisUser->setFocus();
        QTest::keyClicks(whoisUser, QStringLiteral("john@"));
        QCOMPARE(whoisUser->text(), QStringLiteral("john"));
        QCOMPARE(whois->HostCombo()->currentText(), QString());

        // A host set from outside as user@host is divided at once.
        finger->m_strHost = QStringLiteral("pat@finger.example");
        SendAppMessage(finger, WM_APP_REFRESH);
        QCOMPARE(user->text(), QStringLiteral("pat"));
        QCOMPARE(host->currentText(), QStringLiteral("finger.example"));

        dialog->OnSmartAddressSplitting();
        dialog->SelectFunction(FunctionId::Finger);
        host->lineEdit()->clear();
        QTest::keyClicks(host->lineEdit(), QStringLiteral("user@host"));
        QCOMPARE(host->currentText(), QStringLiteral("user@host"));
        QCOMPARE(user->text(), QStringLiteral("pat"));
    }

    // Writing the User field during the exchange must not split it, which
    // would read the other controls back before they were written.
    void exchangeKeepsEveryMember_data()
    {
        QTest::addColumn<int>("function");
        QTest::newRow("finger") << Index(FunctionId::Finger);
        QTest::newRow("whois") << Index(FunctionId::WhoIs);
    }

    void exchangeKeepsEveryMember()
    {
        QFETCH(int, function);
        auto dialog = OpenMainDialog();
        auto* page = static_cast<CUserHostPage*>(dialog->Page(static_cast<FunctionId>(function)));
        auto* finger = qobject_cast<CFingerPage*>(page);
        page->m_strHost = QStringLiteral("inner.example");
        page->m_strUser = QStringLiteral("ann");
        page->m_bClearOutput = false;
        if (finger)
            finger->m_bVerboseFormat = true;
        page->DoDataExchange(false);
        page->DoDataExchange(true);
        QCOMPARE(page->m_strHost, QStringLiteral("inner.example"));
        QCOMPARE(page->m_strUser, QStringLiteral("ann"));
        QVERIFY(!page->m_bClearOutput);
        if (finger)
            QVERIFY(finger->m_bVerboseFormat);
    }

    void nameServerFollowsSearchType()
    {
        auto dialog = OpenMainDialog();
        dialog->SelectFunction(FunctionId::NameServerLookUp);
        CNameServerLookUpPage* ns = dialog->NameServerLookUpPage();
        auto* type = Control<QComboBox>(ns, IDC_NS_SEARCH_TYPE);
        auto* server = Control<QComboBox>(ns, IDC_NS_SERVER);
        type->setFocus();
        QTest::keyClick(type, Qt::Key_M);
        QCOMPARE(type->currentText(), QStringLiteral("MAILB - Mailbox related records"));
        QVERIFY(server->isEnabled());
        QTest::keyClick(type, Qt::Key_Home);
        QCOMPARE(type->currentIndex(), 0);
        QVERIFY(!server->isEnabled());

        // A run disables every input; Stop enables the server only in DNS mode.
        dialog->BeginRun();
        QVERIFY(!type->isEnabled());
        dialog->OnStop();
        QVERIFY(type->isEnabled());
        QVERIFY(!server->isEnabled());
        type->setCurrentIndex(3);
        ns->UpdateNameServerEnabled();
        dialog->BeginRun();
        dialog->OnStop();
        QVERIFY(server->isEnabled());
    }

    void storedSearchTypeOutOfRange()
    {
        SettingsStore::WriteInt(QStringLiteral("Name Server LookUp"), QStringLiteral("Search Type"), -1);
        auto dialog = OpenMainDialog();
        CNameServerLookUpPage* ns = dialog->NameServerLookUpPage();
        QCOMPARE(Control<QComboBox>(ns, IDC_NS_SEARCH_TYPE)->currentIndex(), -1);
        QVERIFY(Control<QComboBox>(ns, IDC_NS_SERVER)->isEnabledTo(ns));
        // Writing the fields back keeps the box without a selection.
        ns->DoDataExchange(true);
        ns->DoDataExchange(false);
        QCOMPARE(Control<QComboBox>(ns, IDC_NS_SEARCH_TYPE)->currentIndex(), -1);
    }
};

QTEST_MAIN(TestPages)
#include "tst_pages.moc"
