// SPDX-License-Identifier: GPL-3.0-or-later
// The function controller: Go, the begin-run step, Stop, Escape, Clear, tab
// changes, the command-line start and the missing echo service, driven
// with functions plugged into the table.

#include "MainDialogFixture.h"
#include "RecordingFunction.h"
#include "icmp/ScriptedEchoService.h"
#include "resolver/ScriptedResolver.h"

#include <QMap>

#include <algorithm>

using namespace netsonde;
using namespace netsonde::test;

namespace {

// Plugs a recording function into every slot; the one for `id` starts a
// run that stays busy, as a function waiting for the network does.
std::array<CRecordingFunction*, kFunctionCount> PlugRecorders(CMainDialog& dialog)
{
    std::array<CRecordingFunction*, kFunctionCount> recorders{};
    for (int i = 0; i < kFunctionCount; ++i) {
        auto function = std::make_unique<CRecordingFunction>([&dialog] { dialog.BeginRun(); });
        recorders[i] = function.get();
        dialog.Runs().SetFunction(static_cast<FunctionId>(i), std::move(function));
    }
    return recorders;
}

// Go is enabled and Stop disabled while idle, and the other way round while a run is on.
bool ButtonsShow(const CMainDialog& d, bool bIdle)
{
    return Control<QPushButton>(&d, IDC_GO)->isEnabled() == bIdle
        && Control<QPushButton>(&d, IDC_STOP)->isEnabled() != bIdle;
}

// The compact window of an idle program: no output pane, no status line.
bool ShowsCompactAndIdle(const CMainDialog& d)
{
    bool bPaneShown = false;
    for (int i = 0; i < kFunctionCount; ++i)
        bPaneShown = bPaneShown || d.Pane(static_cast<FunctionId>(i))->isVisible();
    return ButtonsShow(d, true) && d.height() == d.CompactHeight() && !bPaneShown
        && !Control<QStatusBar>(&d, IDC_STATUS_BAR)->isVisible();
}

bool InputsDisabled(const CMainDialog& d, FunctionId id)
{
    CPropertyPage* page = d.Page(id);
    const auto inputs = page->InputControls();
    return std::none_of(inputs.begin(), inputs.end(), [page](QWidget* c) { return c->isEnabledTo(page); });
}

} // namespace

class TestController : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A loaded echo service whatever the user's rights.
    void init()
    {
        ResetSettings();
        CMainDialog::SetEchoServiceLoader([] {
            return std::make_shared<CScriptedEchoService>([](const CEchoRequest&) { return echo::EchoReply{}; });
        });
    }

    void initialState()
    {
        auto dialog = OpenMainDialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Ping"));
        QCOMPARE(dialog->CurrentFunction(), FunctionId::Ping);
        QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
        QVERIFY(ShowsCompactAndIdle(*dialog));
        QVERIFY(Control<QPushButton>(dialog.get(), IDC_GO)->isDefault());
        QVERIFY(dialog->Page(FunctionId::Ping)->isVisible());
        QVERIFY(!dialog->Page(FunctionId::Finger)->isVisible());
        QVERIFY(dialog->Animation()->IsOpen());
        QVERIFY(!dialog->Animation()->IsPlaying());
        QCOMPARE(dialog->Animation()->Frame(), 0);
        const QStringList labels{"Ping", "TraceRoute", "Finger", "WhoIs", "NS LookUp", "QoD"};
        for (int i = 0; i < kFunctionCount; ++i)
            QCOMPARE(dialog->TabControl()->TabBar()->tabText(i), labels.at(i));
    }

    void escapeWhileIdleStopsAndKeepsTheWindow()
    {
        auto dialog = OpenMainDialog();
        auto recorders = PlugRecorders(*dialog);
        dialog->SetStatusText(QStringLiteral("something"));
        QTest::keyClick(dialog->Page(FunctionId::Ping)->HostCombo(), Qt::Key_Escape);
        QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
        QCOMPARE(recorders[Index(FunctionId::Ping)]->cancels, 1);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->result(), 0);
    }

    void goWithAnEmptyHost()
    {
        CMessageBoxRecorder boxes;
        auto dialog = OpenMainDialog();
        dialog->SelectFunction(FunctionId::Finger);
        dialog->OnGo();
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("Please, enter a host name or address")});
        QCOMPARE(boxes.Entries().front().icon, MessageIcon::Exclamation);
        QTRY_VERIFY(!dialog->Runs().IsBusy());
        QVERIFY(ShowsCompactAndIdle(*dialog));
        QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
    }

    void runExpandsSwitchesPanesAndStops()
    {
        auto dialog = OpenMainDialog();
        auto recorders = PlugRecorders(*dialog);
        dialog->OnGo();
        QCOMPARE(recorders[Index(FunctionId::Ping)]->starts, 1);
        QVERIFY(dialog->Runs().IsBusy());
        QVERIFY(dialog->Animation()->IsPlaying());
        QVERIFY(ButtonsShow(*dialog, false));
        QCOMPARE(dialog->height(), 350);
        QVERIFY(dialog->Pane(FunctionId::Ping)->isVisible());
        QVERIFY(Control<QStatusBar>(dialog.get(), IDC_STATUS_BAR)->isVisible());
        QVERIFY(!dialog->PingPage()->HostCombo()->isEnabled());
        QVERIFY(!Control<QLineEdit>(dialog->FingerPage(), IDC_FINGER_USER)->isEnabledTo(dialog->FingerPage()));
        QVERIFY(!dialog->Pane(FunctionId::Ping)->isEnabled());

        dialog->OnStop();
        QTRY_VERIFY(!dialog->Runs().IsBusy());
        QVERIFY(!dialog->Animation()->IsPlaying());
        QCOMPARE(dialog->Animation()->Frame(), 0);
        QCOMPARE(recorders[Index(FunctionId::Ping)]->cancels, 1);
        QVERIFY(dialog->PingPage()->HostCombo()->isEnabled());
        QVERIFY(dialog->Pane(FunctionId::Ping)->isVisible());

        // Go on Finger while the Ping results show: the Finger pane takes
        // their place and the window keeps its height.
        dialog->resize(dialog->width(), 420);
        dialog->SelectFunction(FunctionId::Finger);
        dialog->OnGo();
        QCOMPARE(dialog->height(), 420);
        QVERIFY(!dialog->Pane(FunctionId::Ping)->isVisible());
        QVERIFY(dialog->Pane(FunctionId::Finger)->isVisible());
        QCOMPARE(dialog->Pane(FunctionId::Finger)->geometry(), dialog->Pane(FunctionId::Ping)->geometry());
        dialog->OnStop();

        // The output stays with the function that last ran.
        dialog->SelectFunction(FunctionId::Ping);
        QVERIFY(dialog->Pane(FunctionId::Finger)->isVisible());
        QVERIFY(!dialog->Pane(FunctionId::Ping)->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Ping"));
    }

    void completionsReachTheRunningFunctionWhilePending()
    {
        auto dialog = OpenMainDialog();
        auto owned = std::make_unique<CScriptedResolver>();
        CScriptedResolver* resolver = owned.get();
        dialog->SetResolver(std::move(owned));
        auto recorders = PlugRecorders(*dialog);
        dialog->SelectFunction(FunctionId::Finger);
        dialog->OnGo();
        CRunController& runs = dialog->Runs();
        const LookupHandle first = runs.LookUpName(QStringLiteral("a"), WM_APP_HOST_RESOLVED);
        const LookupHandle other = resolver->AsyncGetHostByName(&runs, WM_APP_HOST_RESOLVED, QStringLiteral("b"));
        resolver->Complete(other, kLookupSucceeded);
        resolver->Complete(first, kLookupSucceeded);
        QTRY_COMPARE(recorders[Index(FunctionId::Finger)]->messages.size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(recorders[Index(FunctionId::Finger)]->messages.size(), 1);
        QCOMPARE(recorders[Index(FunctionId::Finger)]->messages.front().second, first);
        QVERIFY(!runs.HasPendingRequests());

        // After a tab change the completion still goes to the running function;
        // after Stop and a cancel nothing arrives.
        const LookupHandle address = runs.LookUpAddress(CIpAddress::FromIPv4(0x0100007f), WM_APP_ADDRESS_RESOLVED);
        dialog->SelectFunction(FunctionId::Ping);
        resolver->Complete(address, kLookupSucceeded);
        QTRY_COMPARE(recorders[Index(FunctionId::Finger)]->messages.size(), 2);
        QVERIFY(recorders[Index(FunctionId::Ping)]->messages.isEmpty());
        const LookupHandle cancelled = runs.LookUpName(QStringLiteral("c"), WM_APP_HOST_RESOLVED);
        dialog->OnStop();
        QVERIFY(resolver->CancelledHandles().contains(cancelled));
        resolver->Complete(cancelled, kLookupSucceeded);
        QTest::qWait(20);
        QCOMPARE(recorders[Index(FunctionId::Finger)]->messages.size(), 2);
    }

    void stopActsOnTheSelectedTab()
    {
        auto dialog = OpenMainDialog();
        auto recorders = PlugRecorders(*dialog);
        dialog->SelectFunction(FunctionId::WhoIs);
        dialog->OnGo();
        dialog->SelectFunction(FunctionId::QuoteOfDay);
        QCOMPARE(dialog->RunningFunction(), std::optional(FunctionId::WhoIs));
        dialog->OnStop();
        // Both the selected tab's function and the one whose run it was:
        // otherwise the running function's socket or worker goes on after Stop.
        QCOMPARE(recorders[Index(FunctionId::QuoteOfDay)]->cancels, 1);
        QCOMPARE(recorders[Index(FunctionId::WhoIs)]->cancels, 1);
        QCOMPARE(dialog->RunningFunction(), std::nullopt);
        dialog->OnStop();
        QCOMPARE(recorders[Index(FunctionId::WhoIs)]->cancels, 1);
    }

    void clearDuringARun()
    {
        auto dialog = OpenMainDialog();
        auto recorders = PlugRecorders(*dialog);
        for (int i = 0; i < kFunctionCount; ++i)
            dialog->Page(static_cast<FunctionId>(i))->HostCombo()->setEditText(QStringLiteral("host.example"));
        Control<QLineEdit>(dialog->FingerPage(), IDC_FINGER_USER)->setText(QStringLiteral("ann"));
        dialog->SelectFunction(FunctionId::Finger);
        dialog->OnGo();
        dialog->TextPane(FunctionId::Finger)->AppendText(QStringLiteral("answer\r\n"));
        // Clear keeps the options edited since the last run.
        Control<QCheckBox>(dialog->FingerPage(), IDC_FINGER_VERBOSE)->setChecked(true);

        dialog->OnClear();
        QCOMPARE(recorders[Index(FunctionId::Finger)]->cancels, 1);
        QTRY_VERIFY(!dialog->Runs().IsBusy());
        QVERIFY(!dialog->OutputShown());
        QVERIFY(ShowsCompactAndIdle(*dialog));
        for (int i = 0; i < kFunctionCount; ++i)
            QCOMPARE(dialog->Page(static_cast<FunctionId>(i))->HostCombo()->currentText(), QString());
        QCOMPARE(Control<QLineEdit>(dialog->FingerPage(), IDC_FINGER_USER)->text(), QString());
        QVERIFY(Control<QCheckBox>(dialog->FingerPage(), IDC_FINGER_VERBOSE)->isChecked());
        QCOMPARE(dialog->TextPane(FunctionId::Finger)->Text(), QString());
        for (int command : {ID_FILE_SAVE, ID_COPY_RESULTS, ID_FILE_PRINT})
            QVERIFY(!dialog->Command(command)->isEnabled());
    }

    void clearWhileCompactAndIdle()
    {
        auto dialog = OpenMainDialog();
        auto recorders = PlugRecorders(*dialog);
        dialog->PingPage()->HostCombo()->setEditText(QStringLiteral("host.example"));
        Control<CSpinField>(dialog->PingPage(), IDC_PING_COUNT_SPIN)->SetValue(9);
        dialog->OnClear();
        QCOMPARE(recorders[Index(FunctionId::Ping)]->cancels, 0);
        QCOMPARE(dialog->PingPage()->HostCombo()->currentText(), QString());
        QCOMPARE(Control<QLineEdit>(dialog->PingPage(), IDC_PING_COUNT)->text(), QStringLiteral("9"));
        QCOMPARE(dialog->height(), dialog->CompactHeight());
    }

    void tabChangeBringsBackTheMostRecentHost()
    {
        SettingsStore::WriteText(QStringLiteral("Finger"), QStringLiteral("Recent List"),
                                 QStringLiteral("ann@finger.example;bob@other.example;"));
        SettingsStore::WriteText(QStringLiteral("Name Server LookUp"), QStringLiteral("Name Servers"),
                                 QStringLiteral("ns1.example;ns2.example;"));
        auto dialog = OpenMainDialog();
        dialog->SelectFunction(FunctionId::Finger);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Finger"));
        QVERIFY(dialog->FingerPage()->isVisible());
        QVERIFY(!dialog->PingPage()->isVisible());
        QVERIFY(!dialog->PingPage()->isEnabled());
        // The entry comes back whole; it is divided when Go reads it.
        QCOMPARE(Control<QLineEdit>(dialog->FingerPage(), IDC_FINGER_USER)->text(), QString());
        QCOMPARE(dialog->FingerPage()->HostCombo()->currentText(), QStringLiteral("ann@finger.example"));

        dialog->SelectFunction(FunctionId::NameServerLookUp);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Name Server LookUp"));
        QCOMPARE(Control<QComboBox>(dialog->NameServerLookUpPage(), IDC_NS_SERVER)->currentText(),
                 QStringLiteral("ns1.example"));
        QVERIFY(dialog->NameServerLookUpPage()->HostCombo()->hasFocus());
    }

    void commandLineStartsAFunction()
    {
        SettingsStore::WriteText(QStringLiteral("Quote Of The Day"), QStringLiteral("Recent List"),
                                 QStringLiteral("qotd.example.org;"));
        {
            CMessageBoxRecorder boxes;
            auto dialog = OpenMainDialog({QStringLiteral("-q"), QStringLiteral("qotd.example")});
            QCOMPARE(dialog->CurrentFunction(), FunctionId::QuoteOfDay);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Quote Of The Day"));
            // The host written into the page matches the list entry it begins.
            QCOMPARE(dialog->QuoteOfDayPage()->HostCombo()->currentText(), QStringLiteral("qotd.example.org"));
            QVERIFY(boxes.Texts().isEmpty());
        }
        {
            auto dialog = OpenMainDialog({QStringLiteral("-q")});
            QCOMPARE(dialog->CurrentFunction(), FunctionId::QuoteOfDay);
            QTRY_VERIFY(!dialog->Runs().IsBusy());
            QVERIFY(!dialog->OutputShown());
        }
        {
            SettingsStore::WriteInt(QStringLiteral("Name Server LookUp"), QStringLiteral("Search Type"), 10);
            auto dialog = OpenMainDialog({QStringLiteral("/N"), QStringLiteral("ns.example")});
            QCOMPARE(dialog->CurrentFunction(), FunctionId::NameServerLookUp);
            QCOMPARE(dialog->NameServerLookUpPage()->HostCombo()->currentText(), QStringLiteral("ns.example"));
            QCOMPARE(Control<QComboBox>(dialog->NameServerLookUpPage(), IDC_NS_SEARCH_TYPE)->currentIndex(), 0);
        }
        {
            auto dialog = OpenMainDialog({QStringLiteral("host.example"), QStringLiteral("-w")});
            QCOMPARE(dialog->CurrentFunction(), FunctionId::WhoIs);
            QCOMPARE(dialog->WhoIsPage()->HostCombo()->currentText(), QString());
        }
    }

    void missingEchoServiceDisablesPingAndTraceRoute()
    {
        CMainDialog::SetEchoServiceLoader([] { return nullptr; });
        CMessageBoxRecorder boxes;
        auto dialog = OpenMainDialog();
        QVERIFY(!dialog->IcmpAvailable());
        QVERIFY(boxes.Texts().isEmpty());
        auto recorders = PlugRecorders(*dialog);
        QVERIFY(InputsDisabled(*dialog, FunctionId::Ping));
        dialog->SelectFunction(FunctionId::Finger);
        dialog->OnGo();
        dialog->OnStop();
        QVERIFY(InputsDisabled(*dialog, FunctionId::TraceRoute));
        dialog->SelectFunction(FunctionId::Ping);
        dialog->OnGo();
        QCOMPARE(recorders[Index(FunctionId::Ping)]->starts, 1);
    }

    void optionToggles()
    {
        auto dialog = OpenMainDialog();
        QVERIFY(!dialog->Command(ID_REMEMBER_WINDOW_POSITION)->isChecked());
        QVERIFY(!dialog->Command(ID_REMEMBER_LAST_FUNCTION)->isChecked());
        QVERIFY(dialog->Command(ID_SMART_ADDRESS_SPLITTING)->isChecked());
        QVERIFY(!dialog->Command(ID_PREFER_IPV6)->isChecked());
        QCOMPARE(dialog->ReadInputs(FunctionId::Ping).preference, AddressPreference::PreferIPv4);

        dialog->SelectFunction(FunctionId::WhoIs);
        dialog->Command(ID_REMEMBER_LAST_FUNCTION)->trigger();
        QVERIFY(dialog->Command(ID_REMEMBER_LAST_FUNCTION)->isChecked());
        QCOMPARE(SettingsStore::ReadInt(QStringLiteral("Options"), QStringLiteral("RememberLastFunction"), 99), 3);
        dialog->Command(ID_REMEMBER_LAST_FUNCTION)->trigger();
        QVERIFY(!dialog->Command(ID_REMEMBER_LAST_FUNCTION)->isChecked());
        QCOMPARE(SettingsStore::ReadInt(QStringLiteral("Options"), QStringLiteral("RememberLastFunction"), 99), -1);

        dialog->Command(ID_SMART_ADDRESS_SPLITTING)->trigger();
        QVERIFY(!dialog->Options().bSmartSplitting);
        QCOMPARE(SettingsStore::ReadText(QStringLiteral("Options"), QStringLiteral("Smart Address Splitting")),
                 QStringLiteral("No"));
        dialog->Command(ID_REMEMBER_WINDOW_POSITION)->trigger();
        QVERIFY(dialog->Command(ID_REMEMBER_WINDOW_POSITION)->isChecked());
        QCOMPARE(SettingsStore::ReadText(QStringLiteral("Window"), QStringLiteral("RememberPosition")),
                 QStringLiteral("Yes"));
        dialog->Command(ID_PREFER_IPV6)->trigger();
        QVERIFY(dialog->Command(ID_PREFER_IPV6)->isChecked());
        QCOMPARE(SettingsStore::ReadText(QStringLiteral("Options"), QStringLiteral("Prefer IPv6")), QStringLiteral("Yes"));
        QCOMPARE(dialog->ReadInputs(FunctionId::Ping).preference, AddressPreference::PreferIPv6);
        dialog->Command(ID_EXIT)->trigger();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }

    void clearRecentListOnNsLookUp()
    {
        SettingsStore::WriteText(QStringLiteral("Name Server LookUp"), QStringLiteral("Recent List"), QStringLiteral("a;b;"));
        SettingsStore::WriteText(QStringLiteral("Name Server LookUp"), QStringLiteral("Name Servers"), QStringLiteral("n;"));
        SettingsStore::WriteText(QStringLiteral("Ping"), QStringLiteral("Recent List"), QStringLiteral("p;"));
        auto dialog = OpenMainDialog();
        dialog->SelectFunction(FunctionId::NameServerLookUp);
        dialog->Command(ID_CLEAR_RECENT_LIST)->trigger();
        CNameServerLookUpPage* ns = dialog->NameServerLookUpPage();
        QVERIFY(ns->RecentHosts().isEmpty());
        QVERIFY(ns->RecentNameServers().isEmpty());
        QCOMPARE(ns->HostCombo()->currentText(), QString());
        QCOMPARE(Control<QComboBox>(ns, IDC_NS_SEARCH_TYPE)->count(), 18);
        QCOMPARE(dialog->PingPage()->RecentHosts(), QStringList{QStringLiteral("p")});
    }

    void keysReachTheirCommands()
    {
        auto dialog = OpenMainDialog();
        QMap<int, int> opened;
        for (int command : {ID_OUTPUT_FONT, ID_FIREWALLS, ID_PHONEBOOK})
            dialog->SetCommandHandler(command, [&opened, command] { ++opened[command]; });
        PlugRecorders(*dialog);
        dialog->OnGo();
        QWidget* focus = dialog->PingPage()->HostCombo();
        QTest::keyClick(dialog.get(), Qt::Key_F10);
        QTest::keyClick(focus, Qt::Key_F11);
        QTest::keyClick(dialog.get(), Qt::Key_F12);
        QCOMPARE(opened, (QMap<int, int>{{ID_OUTPUT_FONT, 1}, {ID_FIREWALLS, 1}, {ID_PHONEBOOK, 1}}));
        QVERIFY(dialog->Runs().IsBusy()); // the run goes on behind the dialogs
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QTRY_VERIFY(!dialog->Runs().IsBusy());
        QVERIFY(dialog->isVisible());
    }

    // The keys change the tab as a click does: the pages swap, the title
    // follows and the new page's host field takes the focus.
    void tabKeysSelectTheNeighbouringTab_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("to");
        const int ctrl = Qt::ControlModifier;
        const int ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
        QTest::newRow("ctrl+tab") << 0 << int(Qt::Key_Tab) << ctrl << 1;
        QTest::newRow("ctrl+tab wraps") << 5 << int(Qt::Key_Tab) << ctrl << 0;
        QTest::newRow("ctrl+shift+tab wraps") << 0 << int(Qt::Key_Tab) << ctrlShift << 5;
        QTest::newRow("ctrl+backtab") << 2 << int(Qt::Key_Backtab) << ctrlShift << 1;
        QTest::newRow("ctrl+pagedown") << 3 << int(Qt::Key_PageDown) << ctrl << 4;
        QTest::newRow("ctrl+pagedown wraps") << 5 << int(Qt::Key_PageDown) << ctrl << 0;
        QTest::newRow("ctrl+pageup") << 4 << int(Qt::Key_PageUp) << ctrl << 3;
        QTest::newRow("ctrl+pageup wraps") << 0 << int(Qt::Key_PageUp) << ctrl << 5;
    }

    void tabKeysSelectTheNeighbouringTab()
    {
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, to);
        auto dialog = OpenMainDialog();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        dialog->SelectFunction(static_cast<FunctionId>(from));
        QTRY_VERIFY(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key),
                        static_cast<Qt::KeyboardModifiers>(modifiers));
        QCOMPARE(dialog->CurrentFunction(), static_cast<FunctionId>(to));
        QCOMPARE(dialog->windowTitle(), QString::fromLatin1(FunctionTable[to].windowTitle));
        QVERIFY(dialog->Page(static_cast<FunctionId>(to))->isVisible());
        QVERIFY(!dialog->Page(static_cast<FunctionId>(from))->isVisible());
        QTRY_VERIFY(dialog->Page(static_cast<FunctionId>(to))->HostCombo()->hasFocus());
    }

    // Return in the host field presses Go, the default button.
    void returnInTheHostFieldPressesGo_data()
    {
        QTest::addColumn<int>("function");
        for (int i = 0; i < kFunctionCount; ++i)
            QTest::newRow(FunctionTable[i].tabLabel) << i;
    }

    void returnInTheHostFieldPressesGo()
    {
        QFETCH(int, function);
        auto dialog = OpenMainDialog();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        auto recorders = PlugRecorders(*dialog);
        dialog->SelectFunction(static_cast<FunctionId>(function));
        QComboBox* host = dialog->Page(static_cast<FunctionId>(function))->HostCombo();
        QTRY_VERIFY(host->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("host.example"));
        QCOMPARE(host->currentText(), QStringLiteral("host.example"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(recorders[function]->starts, 1);
        QVERIFY(dialog->Runs().IsBusy());
    }

    void windowColourChangeKeepsTheAnimationRunning()
    {
        auto dialog = OpenMainDialog();
        PlugRecorders(*dialog);
        dialog->OnGo();
        QPalette palette = dialog->palette();
        palette.setColor(QPalette::Window, QColor(10, 120, 30));
        dialog->setPalette(palette);
        QCOMPARE(dialog->WindowColour(), QColor(10, 120, 30));
        QVERIFY(dialog->Animation()->IsOpen());
        QVERIFY(dialog->Animation()->IsPlaying());
        dialog->OnStop();
        palette.setColor(QPalette::Window, QColor(200, 200, 200));
        dialog->setPalette(palette);
        QVERIFY(!dialog->Animation()->IsPlaying());
    }
};

QTEST_MAIN(TestController)
#include "tst_controller.moc"
