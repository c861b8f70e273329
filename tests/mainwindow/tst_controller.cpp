// SPDX-License-Identifier: GPL-3.0-or-later
// The function controller: Go, the begin-run step, Stop, Escape, Clear, tab
// changes and the command-line start, driven with functions plugged into the table.

#include "MainDialogFixture.h"
#include "icmp/ScriptedEchoService.h"
#include "platform/AppMessages.h"
#include "resolver/ScriptedResolver.h"

using namespace netsonde;
using namespace netsonde::test;

namespace {

FunctionId Fn(int i) { return static_cast<FunctionId>(i); }

// A function that counts Start and Cancel, notes the lookups completed for it, and starts a run that stays
// busy, as a function waiting for the network does.
class CRecordingFunction : public CFunction {
public:
    explicit CRecordingFunction(CMainDialog& dialog) : m_dialog(dialog) {}
    void Start(const CRunInputs&) override
    {
        ++starts;
        m_dialog.BeginRun();
    }
    void Cancel() override { ++cancels; }
    void OnLookupCompleted(const CAppMessageEvent& message) override { handles << message.WParam(); }

    int starts = 0;
    int cancels = 0;
    QList<std::uintptr_t> handles;

private:
    CMainDialog& m_dialog;
};

// A recording function in every slot.
struct CRecorders {
    std::array<CRecordingFunction*, kFunctionCount> all{};
    CRecordingFunction& operator[](FunctionId id) { return *all[Index(id)]; }
};

CRecorders PlugRecorders(CMainDialog& dialog)
{
    CRecorders recorders;
    for (int i = 0; i < kFunctionCount; ++i) {
        auto function = std::make_unique<CRecordingFunction>(dialog);
        recorders.all[i] = function.get();
        dialog.Runs().SetFunction(Fn(i), std::move(function));
    }
    return recorders;
}

// The window's state in words: run, animation, buttons, height, the
// output pane shown and the status line.
QString Shown(const CMainDialog& d)
{
    QStringList parts{d.Runs().IsBusy() ? "busy" : "idle", d.Animation()->IsPlaying() ? "playing" : "still"};
    parts << (Control<QPushButton>(&d, IDC_GO)->isEnabled() ? "Go" : "no Go");
    parts << (Control<QPushButton>(&d, IDC_STOP)->isEnabled() ? "Stop" : "no Stop");
    parts << (d.height() == d.CompactHeight() ? QStringLiteral("compact") : QString::number(d.height()));
    for (int i = 0; i < kFunctionCount; ++i) {
        if (d.Pane(Fn(i))->isVisible())
            parts << QString::fromLatin1(FunctionTable[i].tabLabel) + " pane";
    }
    if (Control<QStatusBar>(&d, IDC_STATUS_BAR)->isVisible())
        parts << "status line";
    return parts.join(", ");
}

const QString kCompactAndIdle = QStringLiteral("idle, still, Go, no Stop, compact");

QLineEdit* FingerUser(const CMainDialog& d) { return Control<QLineEdit>(d.FingerPage(), IDC_FINGER_USER); }

// The host field of every page, joined.
QString Hosts(const CMainDialog& d)
{
    QStringList hosts;
    for (int i = 0; i < kFunctionCount; ++i)
        hosts << d.Page(Fn(i))->HostCombo()->currentText();
    return hosts.join('|');
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

    void initialStateAndOptions()
    {
        auto dialog = OpenMainDialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Ping"));
        QCOMPARE(dialog->CurrentFunction(), FunctionId::Ping);
        QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
        QCOMPARE(Shown(*dialog), kCompactAndIdle);
        QVERIFY(Control<QPushButton>(dialog.get(), IDC_GO)->isDefault());
        QVERIFY(dialog->Page(FunctionId::Ping)->isVisible() && !dialog->Page(FunctionId::Finger)->isVisible());
        QVERIFY(dialog->Animation()->IsOpen());
        QCOMPARE(dialog->Animation()->Frame(), 0);
        const QStringList labels{"Ping", "TraceRoute", "Finger", "WhoIs", "NS LookUp", "QoD"};
        for (int i = 0; i < kFunctionCount; ++i)
            QCOMPARE(dialog->TabControl()->TabBar()->tabText(i), labels.at(i));

        // Each option from its first state, toggled: "on" or "off" and the value stored at once.
        const auto toggle = [&dialog](int command, const char* section, const char* key) {
            dialog->Command(command)->trigger();
            return (dialog->Command(command)->isChecked() ? "on " : "off ") + SettingsStore::ReadText(section, key);
        };
        QCOMPARE(dialog->ReadInputs(FunctionId::Ping).preference, AddressPreference::PreferIPv4);
        dialog->SelectFunction(FunctionId::WhoIs);
        QCOMPARE(toggle(ID_REMEMBER_LAST_FUNCTION, "Options", "RememberLastFunction"), "on 3");
        QCOMPARE(toggle(ID_REMEMBER_LAST_FUNCTION, "Options", "RememberLastFunction"), "off -1");
        QCOMPARE(toggle(ID_SMART_ADDRESS_SPLITTING, "Options", "Smart Address Splitting"), "off No");
        QVERIFY(!dialog->Options().bSmartSplitting);
        QCOMPARE(toggle(ID_REMEMBER_WINDOW_POSITION, "Window", "RememberPosition"), "on Yes");
        QCOMPARE(toggle(ID_PREFER_IPV6, "Options", "Prefer IPv6"), "on Yes");
        QCOMPARE(dialog->ReadInputs(FunctionId::Ping).preference, AddressPreference::PreferIPv6);
        dialog->Command(ID_EXIT)->trigger();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }

    // Escape while idle cancels and keeps the window. Go expands the window and disables the inputs; F10 to F12
    // open their dialogs while the run goes on behind them, and a new window colour keeps the animation
    // running; Escape then stops it.
    void runExpandsSwitchesPanesAndStops()
    {
        auto dialog = OpenMainDialog();
        auto recorders = PlugRecorders(*dialog);
        QList<int> opened;
        for (int command : {ID_OUTPUT_FONT, ID_FIREWALLS, ID_PHONEBOOK})
            dialog->SetCommandHandler(command, [&opened, command] { opened << command; });
        QWidget* focus = dialog->PingPage()->HostCombo();
        dialog->SetStatusText("something");
        QTest::keyClick(focus, Qt::Key_Escape);
        QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
        QCOMPARE(recorders[FunctionId::Ping].cancels, 1);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->result(), 0);

        dialog->OnGo();
        QCOMPARE(recorders[FunctionId::Ping].starts, 1);
        QVERIFY(!dialog->PingPage()->HostCombo()->isEnabled());
        QVERIFY(!FingerUser(*dialog)->isEnabledTo(dialog->FingerPage()));
        QVERIFY(!dialog->Pane(FunctionId::Ping)->isEnabled());
        QTest::keyClick(dialog.get(), Qt::Key_F10);
        QTest::keyClick(focus, Qt::Key_F11);
        QTest::keyClick(dialog.get(), Qt::Key_F12);
        QCOMPARE(opened, (QList<int>{ID_OUTPUT_FONT, ID_FIREWALLS, ID_PHONEBOOK}));
        QPalette palette = dialog->palette();
        palette.setColor(QPalette::Window, QColor(10, 120, 30));
        dialog->setPalette(palette);
        QCOMPARE(dialog->WindowColour(), QColor(10, 120, 30));
        QVERIFY(dialog->Animation()->IsOpen());
        QCOMPARE(Shown(*dialog), QStringLiteral("busy, playing, no Go, Stop, 350, Ping pane, status line"));
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QTRY_COMPARE(Shown(*dialog), QStringLiteral("idle, still, Go, no Stop, 350, Ping pane, status line"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->Animation()->Frame(), 0);
        QCOMPARE(recorders[FunctionId::Ping].cancels, 2);
        QVERIFY(dialog->PingPage()->HostCombo()->isEnabled());

        // Go on Finger while the Ping results show: the Finger pane takes
        // their place and the window keeps its height.
        dialog->resize(dialog->width(), 420);
        dialog->SelectFunction(FunctionId::Finger);
        dialog->OnGo();
        QCOMPARE(Shown(*dialog), QStringLiteral("busy, playing, no Go, Stop, 420, Finger pane, status line"));
        QCOMPARE(dialog->Pane(FunctionId::Finger)->geometry(), dialog->Pane(FunctionId::Ping)->geometry());
        dialog->OnStop();

        // The output stays with the function that last ran.
        dialog->SelectFunction(FunctionId::Ping);
        QCOMPARE(Shown(*dialog), QStringLiteral("idle, still, Go, no Stop, 420, Finger pane, status line"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Ping"));

        // Stop acts on both the selected tab's function and the one whose run
        // it was: otherwise the running function's socket goes on after Stop.
        dialog->SelectFunction(FunctionId::WhoIs);
        dialog->OnGo();
        dialog->SelectFunction(FunctionId::QuoteOfDay);
        QCOMPARE(dialog->RunningFunction(), std::optional(FunctionId::WhoIs));
        dialog->OnStop();
        QCOMPARE(recorders[FunctionId::QuoteOfDay].cancels, 1);
        QCOMPARE(recorders[FunctionId::WhoIs].cancels, 1);
        QCOMPARE(dialog->RunningFunction(), std::nullopt);
        dialog->OnStop();
        QCOMPARE(recorders[FunctionId::WhoIs].cancels, 1);
    }

    void completionsReachTheRunningFunctionWhilePending()
    {
        auto dialog = OpenMainDialog();
        auto owned = std::make_unique<CScriptedResolver>();
        CScriptedResolver* resolver = owned.get();
        dialog->SetResolver(std::move(owned));
        auto recorders = PlugRecorders(*dialog);
        const auto& handles = recorders[FunctionId::Finger].handles;
        dialog->SelectFunction(FunctionId::Finger);
        dialog->OnGo();
        CRunController& runs = dialog->Runs();
        const LookupHandle first = runs.LookUpName("a", WM_APP_HOST_RESOLVED);
        const LookupHandle other = resolver->AsyncGetHostByName(&runs, WM_APP_HOST_RESOLVED, "b");
        resolver->Complete(other, kLookupSucceeded);
        resolver->Complete(first, kLookupSucceeded);
        QTRY_COMPARE(handles.size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(handles, QList<std::uintptr_t>{first});
        QVERIFY(!runs.HasPendingRequests());

        // After a tab change the completion still goes to the running function.
        const LookupHandle address = runs.LookUpAddress(CIpAddress::FromIPv4(0x0100007f), WM_APP_ADDRESS_RESOLVED);
        dialog->SelectFunction(FunctionId::Ping);
        resolver->Complete(address, kLookupSucceeded);
        QTRY_COMPARE(handles.size(), 2);
        QVERIFY(recorders[FunctionId::Ping].handles.isEmpty());
    }

    // Clear while idle only empties the host field; during a run it also
    // cancels, empties every host, the user and the pane, and folds the
    // window. It keeps the options edited since the last run.
    void clear()
    {
        auto dialog = OpenMainDialog();
        auto recorders = PlugRecorders(*dialog);
        dialog->PingPage()->HostCombo()->setEditText("host.example");
        Control<CSpinField>(dialog->PingPage(), IDC_PING_COUNT_SPIN)->SetValue(9);
        dialog->OnClear();
        QCOMPARE(recorders[FunctionId::Ping].cancels, 0);
        QCOMPARE(Hosts(*dialog), "|||||");
        QCOMPARE(Control<QLineEdit>(dialog->PingPage(), IDC_PING_COUNT)->text(), QStringLiteral("9"));
        QCOMPARE(dialog->height(), dialog->CompactHeight());

        for (int i = 0; i < kFunctionCount; ++i)
            dialog->Page(Fn(i))->HostCombo()->setEditText("host.example");
        FingerUser(*dialog)->setText("ann");
        dialog->SelectFunction(FunctionId::Finger);
        dialog->OnGo();
        dialog->TextPane(FunctionId::Finger)->AppendText("answer\r\n");
        Control<QCheckBox>(dialog->FingerPage(), IDC_FINGER_VERBOSE)->setChecked(true);
        dialog->OnClear();
        QCOMPARE(recorders[FunctionId::Finger].cancels, 1);
        QTRY_COMPARE(Shown(*dialog), kCompactAndIdle);
        QVERIFY(!dialog->OutputShown());
        QCOMPARE(Hosts(*dialog) + FingerUser(*dialog)->text(), "|||||");
        QVERIFY(Control<QCheckBox>(dialog->FingerPage(), IDC_FINGER_VERBOSE)->isChecked());
        QCOMPARE(dialog->TextPane(FunctionId::Finger)->Text(), QString());
        for (int command : {ID_FILE_SAVE, ID_COPY_RESULTS, ID_FILE_PRINT})
            QVERIFY(!dialog->Command(command)->isEnabled());
    }

    // A tab change brings back the most recent host whole (it is divided
    // when Go reads it); Clear Recent List empties only the current tab's lists.
    void recentListsOnTabChangeAndClear()
    {
        SettingsStore::WriteText("Finger", "Recent List", "ann@finger.example;bob@other.example;");
        SettingsStore::WriteText("Name Server LookUp", "Recent List", "a;b;");
        SettingsStore::WriteText("Name Server LookUp", "Name Servers", "ns1.example;ns2.example;");
        SettingsStore::WriteText("Ping", "Recent List", "p;");
        auto dialog = OpenMainDialog();
        dialog->SelectFunction(FunctionId::Finger);
        QVERIFY(!dialog->PingPage()->isEnabled());
        QCOMPARE(FingerUser(*dialog)->text(), QString());
        QCOMPARE(dialog->FingerPage()->HostCombo()->currentText(), QStringLiteral("ann@finger.example"));

        CNameServerLookUpPage* ns = dialog->NameServerLookUpPage();
        dialog->SelectFunction(FunctionId::NameServerLookUp);
        QCOMPARE(Control<QComboBox>(ns, IDC_NS_SERVER)->currentText(), QStringLiteral("ns1.example"));
        QVERIFY(ns->HostCombo()->hasFocus());
        dialog->Command(ID_CLEAR_RECENT_LIST)->trigger();
        QVERIFY(ns->RecentHosts().isEmpty() && ns->RecentNameServers().isEmpty());
        QCOMPARE(ns->HostCombo()->currentText(), QString());
        QCOMPARE(Control<QComboBox>(ns, IDC_NS_SEARCH_TYPE)->count(), 18);
        QCOMPARE(dialog->PingPage()->RecentHosts(), QStringList{QStringLiteral("p")});
    }

    // The host written into the page matches the list entry it begins; a
    // stored search type gives way to the resolver's; no host, no run.
    void commandLineStartsAFunction_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("function");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("searchType");
        QTest::addColumn<bool>("bStarts");
        QTest::newRow("-q with host") << QStringList{"-q", "qotd.example"} << 5 << "qotd.example.org" << 10 << true;
        QTest::newRow("-q alone") << QStringList{"-q"} << 5 << "qotd.example.org" << 10 << false;
        QTest::newRow("/N with host") << QStringList{"/N", "ns.example"} << 4 << "ns.example" << 0 << true;
        QTest::newRow("host before -w") << QStringList{"host.example", "-w"} << 3 << "" << 10 << false;
    }

    void commandLineStartsAFunction()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, function);
        QFETCH(bool, bStarts);
        SettingsStore::WriteText("Quote Of The Day", "Recent List", "qotd.example.org;");
        SettingsStore::WriteInt("Name Server LookUp", "Search Type", 10);
        CMessageBoxRecorder boxes;
        // A lookup that never completes: a started run shows no box of its own.
        auto dialog = OpenMainDialog(arguments, std::make_unique<CScriptedResolver>());
        QCOMPARE(dialog->CurrentFunction(), Fn(function));
        QCOMPARE(dialog->windowTitle(), QString::fromLatin1(FunctionTable[function].windowTitle));
        QTEST(dialog->Page(Fn(function))->HostCombo()->currentText(), "host");
        QTEST(Control<QComboBox>(dialog->NameServerLookUpPage(), IDC_NS_SEARCH_TYPE)->currentIndex(), "searchType");
        QVERIFY(boxes.Texts().isEmpty());
        QTRY_COMPARE(dialog->Runs().IsBusy(), bStarts);
        QCOMPARE(dialog->OutputShown(), bStarts);
    }

    // The keys change the tab as a click does: the pages swap, the title
    // follows and the new page's host field takes the focus. Return there
    // presses Go, the default button.
    void tabKeysSelectTheNeighbouringTab_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("to");
        const int ctrl = Qt::ControlModifier;
        const int ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
        QTest::newRow("ctrl+tab") << 2 << int(Qt::Key_Tab) << ctrl << 3;
        QTest::newRow("ctrl+shift+tab wraps") << 0 << int(Qt::Key_Tab) << ctrlShift << 5;
        QTest::newRow("ctrl+backtab") << 2 << int(Qt::Key_Backtab) << ctrlShift << 1;
        QTest::newRow("ctrl+pagedown wraps") << 5 << int(Qt::Key_PageDown) << ctrl << 0;
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
        auto recorders = PlugRecorders(*dialog);
        dialog->SelectFunction(Fn(from));
        QTRY_VERIFY(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(dialog->CurrentFunction(), Fn(to));
        QCOMPARE(dialog->windowTitle(), QString::fromLatin1(FunctionTable[to].windowTitle));
        QVERIFY(dialog->Page(Fn(to))->isVisible() && !dialog->Page(Fn(from))->isVisible());
        QComboBox* host = dialog->Page(Fn(to))->HostCombo();
        QTRY_VERIFY(host->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), "host.example");
        QCOMPARE(host->currentText(), QStringLiteral("host.example"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(recorders[Fn(to)].starts, 1);
        QVERIFY(dialog->Runs().IsBusy());
    }
};

QTEST_MAIN(TestController)
#include "tst_controller.moc"
