// SPDX-License-Identifier: GPL-3.0-or-later
// The function controller: Go, the begin-run step, Stop, Escape, Clear, tab
// changes and the command-line start, driven with functions plugged into the table.
// Then the menu commands that open something: Output Font with its stored
// record, help on F1, the two links, Winsock Information, About and the
// Name Server LookUp Options. Pictures
// of the compact and expanded window and the About dialog, light and dark, at
// scale 1 and 2, saved for a person to look at; checked that every text fits,
// stands out from its background and is drawn at the screen's density.

#include "support/CommonDialogsAnswers.h"
#include "support/MainDialogFixture.h"

#include "mainwindow/AboutDialog.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/LookUpOptionsDialog.h"
#include "mainwindow/SmallDialogIds.h"
#include "mainwindow/WebLinks.h"
#include "mainwindow/WinsockInfoDialog.h"
#include "support/ScriptedEchoService.h"
#include "support/ScriptedResolver.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabBar>
#include <QTimer>

#include <cstdlib>

using namespace netsonde;
using namespace netsonde::test;

namespace {

FunctionId Fn(int i)
{
    return static_cast<FunctionId>(i);
}

// A function that counts Start and Cancel, notes the lookups completed for it, and starts a run that stays
// busy, as a function waiting for the network does.
class RecordingFunction : public Function {
public:
    explicit RecordingFunction(MainDialog& dialog) : m_dialog(dialog) {}
    void Start(const RunInputs&) override
    {
        ++starts;
        m_dialog.BeginRun();
    }
    void Cancel() override { ++cancels; }
    LookupCompletion NoteLookup()
    {
        return [this](LookupHandle handle, const LookupResult&) { handles << handle; };
    }

    int starts = 0;
    int cancels = 0;
    QList<std::uintptr_t> handles;

private:
    MainDialog& m_dialog;
};

// A recording function in every slot.
struct Recorders {
    std::array<RecordingFunction*, kFunctionCount> all{};
    RecordingFunction& operator[](FunctionId id) { return *all[Index(id)]; }
};

Recorders PlugRecorders(MainDialog& dialog)
{
    Recorders recorders;
    for (int i = 0; i < kFunctionCount; ++i) {
        auto function = std::make_unique<RecordingFunction>(dialog);
        recorders.all[i] = function.get();
        dialog.Runs().SetFunction(Fn(i), std::move(function));
    }
    return recorders;
}

// The window's state in words: run, animation, buttons, height, the
// output pane shown and the status line.
QString Shown(const MainDialog& d)
{
    QStringList parts{d.Runs().IsBusy() ? "busy" : "idle", d.Animation()->IsPlaying() ? "playing" : "still"};
    parts << (Control<QPushButton>(&d, kGoControl)->isEnabled() ? "Go" : "no Go");
    parts << (Control<QPushButton>(&d, kStopControl)->isEnabled() ? "Stop" : "no Stop");
    parts << (d.height() == d.CompactHeight() ? QStringLiteral("compact") : QString::number(d.height()));
    for (int i = 0; i < kFunctionCount; ++i) {
        if (d.Pane(Fn(i))->isVisible())
            parts << QString::fromLatin1(FunctionTable[i].tabLabel) + " pane";
    }
    if (Control<QStatusBar>(&d, kStatusBarControl)->isVisible())
        parts << "status line";
    return parts.join(", ");
}

const QString kCompactAndIdle = QStringLiteral("idle, still, Go, no Stop, compact");

QLineEdit* FingerUser(const MainDialog& d)
{
    return Control<QLineEdit>(d.FingerTab(), kFingerUserControl);
}

// The host field of every page, joined.
QString Hosts(const MainDialog& d)
{
    QStringList hosts;
    for (int i = 0; i < kFunctionCount; ++i)
        hosts << d.Page(Fn(i))->HostCombo()->currentText();
    return hosts.join('|');
}

const FunctionId kTextPanes[] = {FunctionId::Finger, FunctionId::WhoIs, FunctionId::NameServerLookUp,
                                 FunctionId::QuoteOfDay};

SocketStartupRecord Record(std::uint16_t version, std::uint16_t highest)
{
    return {version, highest, "Linux BSD sockets, kernel 6.1.0", "Running", 1024, 65507, {}};
}

QString LabelText(const QWidget* dialog, int id)
{
    return Control<QLabel>(dialog, id)->text();
}

void Save(QWidget* window, const QString& name)
{
    const QPixmap picture = window->grab();
    QVERIFY(!picture.isNull() && picture.devicePixelRatio() == qApp->devicePixelRatio());
    const QString path = QDir::current().absoluteFilePath(name + ".png");
    QVERIFY(picture.save(path));
    qInfo("picture: %s", qPrintable(path));
}

// The row again in a process of its own, whose screen has the scale.
void RunAtScale(qreal scale)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QCoreApplication::applicationFilePath(),
                  {"compactAndExpandedWindows:" + QString::fromLatin1(QTest::currentDataTag())});
    QVERIFY(process.waitForFinished(-1));
    const QByteArray output = process.readAll();
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, output.constData());
}

QPalette DarkPalette()
{
    QPalette palette(QColor(53, 53, 53), QColor(45, 45, 45));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(role, QColor(230, 230, 230));
    palette.setColor(QPalette::Base, QColor(30, 30, 30));
    return palette;
}

// Every visible enabled widget's text colour differs from its
// background's in lightness by at least a third of the scale (disabled
// texts are dimmed on purpose).
void CheckTextsReadable(QWidget* parent)
{
    for (QWidget* widget : parent->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(parent) || !widget->isEnabled())
            continue;
        const QPalette& palette = widget->palette();
        const int text = palette.color(widget->foregroundRole()).lightness();
        const int background = palette.color(widget->backgroundRole()).lightness();
        QVERIFY2(std::abs(text - background) >= 85, qPrintable(widget->metaObject()->className()));
    }
}

void CheckTextsFit(QWidget* parent)
{
    for (QLabel* label : parent->findChildren<QLabel*>()) {
        if (label->isVisibleTo(parent) && !label->text().isEmpty() && label->buddy())
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
    }
    for (QAbstractButton* button : parent->findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(parent) && !button->text().isEmpty())
            QVERIFY2(button->width() >= button->sizeHint().width() - 2, qPrintable(button->text()));
    }
}

} // namespace

class TestController : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A loaded echo service whatever the user's rights.
    void init()
    {
        ResetSettings();
        MainDialog::SetEchoServiceLoader(
            [] { return std::make_shared<ScriptedEchoService>([](const EchoRequest&) { return echo::EchoReply{}; }); });
    }
    void cleanup() { QApplication::setPalette(QPalette()); }

    void initialStateAndOptions()
    {
        auto dialog = OpenMainDialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Ping"));
        QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
        QCOMPARE(Shown(*dialog), kCompactAndIdle);
        QVERIFY(dialog->Page(FunctionId::Ping)->isVisible() && !dialog->Page(FunctionId::Finger)->isVisible());
        QVERIFY(dialog->Animation()->IsOpen());
        QCOMPARE(dialog->Animation()->Frame(), 0);
        const QStringList labels{"Ping", "TraceRoute", "Finger", "WhoIs", "NS LookUp", "QoD"};
        for (int i = 0; i < kFunctionCount; ++i)
            QCOMPARE(dialog->Tabs()->TabBar()->tabText(i), labels.at(i));

        // Each option from its first state, toggled: "on" or "off" and the value stored at once.
        const auto toggle = [](QAction* action, const char* section, const char* key) {
            action->trigger();
            return (action->isChecked() ? "on " : "off ") + SettingsStore::ReadText(section, key);
        };
        QCOMPARE(dialog->ReadInputs(FunctionId::Ping).preference, AddressPreference::PreferIPv4);
        dialog->SelectFunction(FunctionId::WhoIs);
        QCOMPARE(toggle(dialog->Actions().rememberLastFunction, "Options", "RememberLastFunction"), "on 3");
        QCOMPARE(toggle(dialog->Actions().rememberLastFunction, "Options", "RememberLastFunction"), "off -1");
        QCOMPARE(toggle(dialog->Actions().smartAddressSplitting, "Options", "Smart Address Splitting"), "off No");
        QVERIFY(!dialog->CurrentOptions().smartSplitting);
        QCOMPARE(toggle(dialog->Actions().rememberWindowPosition, "Window", "RememberPosition"), "on Yes");
        QCOMPARE(toggle(dialog->Actions().preferIPv6, "Options", "Prefer IPv6"), "on Yes");
        QCOMPARE(dialog->ReadInputs(FunctionId::Ping).preference, AddressPreference::PreferIPv6);
        dialog->Actions().exit->trigger();
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
        QStringList opened;
        for (auto* action : {dialog->Actions().outputFont, dialog->Actions().fireWalls, dialog->Actions().phonebook}) {
            action->disconnect(dialog.get());
            connect(action, &QAction::triggered, dialog.get(), [&opened, action] { opened << action->text(); });
        }
        QWidget* focus = dialog->PingTab()->HostCombo();
        dialog->SetStatusText("something");
        QTest::keyClick(focus, Qt::Key_Escape);
        QTRY_COMPARE(dialog->StatusText(), QStringLiteral("Ready"));
        QCOMPARE(recorders[FunctionId::Ping].cancels, 1);
        QVERIFY(dialog->isVisible());

        dialog->OnGo();
        QCOMPARE(recorders[FunctionId::Ping].starts, 1);
        QVERIFY(!dialog->PingTab()->HostCombo()->isEnabled());
        QVERIFY(!FingerUser(*dialog)->isEnabledTo(dialog->FingerTab()));
        QVERIFY(!dialog->ResultList(FunctionId::Ping)->isEnabled());
        QTest::keyClick(dialog.get(), Qt::Key_F10);
        QTest::keyClick(focus, Qt::Key_F11);
        QTest::keyClick(dialog.get(), Qt::Key_F12);
        QCOMPARE(opened, (QStringList{"Output Font\tF10", "FireWalls\tF11", "Phonebook\tF12"}));
        QPalette palette = dialog->palette();
        palette.setColor(QPalette::Window, QColor(10, 120, 30));
        dialog->setPalette(palette);
        QCOMPARE(dialog->WindowColour(), QColor(10, 120, 30));
        QCOMPARE(Shown(*dialog), QStringLiteral("busy, playing, no Go, Stop, 350, Ping pane, status line"));
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QTRY_COMPARE(Shown(*dialog), QStringLiteral("idle, still, Go, no Stop, 350, Ping pane, status line"));
        QCOMPARE(dialog->Animation()->Frame(), 0);
        QCOMPARE(recorders[FunctionId::Ping].cancels, 2);
        QVERIFY(dialog->PingTab()->HostCombo()->isEnabled());

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

    // After a tab change a completion still reaches the running function's lookup.
    void completionsReachTheRunningFunctionWhilePending()
    {
        auto dialog = OpenMainDialog();
        auto owned = std::make_unique<ScriptedResolver>();
        ScriptedResolver* resolver = owned.get();
        dialog->SetResolver(std::move(owned));
        auto recorders = PlugRecorders(*dialog);
        dialog->SelectFunction(FunctionId::Finger);
        dialog->OnGo();
        RunController& runs = dialog->Runs();
        const LookupHandle address =
            runs.LookUpAddress(IpAddress::FromIPv4(0x0100007f), recorders[FunctionId::Finger].NoteLookup());
        dialog->SelectFunction(FunctionId::Ping);
        resolver->Complete(address, kLookupSucceeded);
        QTRY_COMPARE(recorders[FunctionId::Finger].handles, QList<std::uintptr_t>{address});
        QVERIFY(recorders[FunctionId::Ping].handles.isEmpty());
        QVERIFY(!runs.HasPendingRequests());
    }

    // Clear while idle only empties the host field; during a run it also
    // cancels, empties every host, the user and the pane, and folds the
    // window. It keeps the options edited since the last run.
    void clear()
    {
        auto dialog = OpenMainDialog();
        auto recorders = PlugRecorders(*dialog);
        dialog->PingTab()->HostCombo()->setEditText("host.example");
        Control<SpinField>(dialog->PingTab(), kPingCountSpinControl)->SetValue(9);
        dialog->OnClear();
        QCOMPARE(recorders[FunctionId::Ping].cancels, 0);
        QCOMPARE(Hosts(*dialog), "|||||");
        QCOMPARE(Control<QLineEdit>(dialog->PingTab(), kPingCountControl)->text(), QStringLiteral("9"));

        for (int i = 0; i < kFunctionCount; ++i)
            dialog->Page(Fn(i))->HostCombo()->setEditText("host.example");
        FingerUser(*dialog)->setText("ann");
        dialog->SelectFunction(FunctionId::Finger);
        dialog->OnGo();
        dialog->TextPane(FunctionId::Finger)->AppendText("answer\r\n");
        Control<QCheckBox>(dialog->FingerTab(), kFingerVerboseControl)->setChecked(true);
        dialog->OnClear();
        QCOMPARE(recorders[FunctionId::Finger].cancels, 1);
        QTRY_COMPARE(Shown(*dialog), kCompactAndIdle);
        QVERIFY(!dialog->OutputShown());
        QCOMPARE(Hosts(*dialog) + FingerUser(*dialog)->text(), "|||||");
        QVERIFY(Control<QCheckBox>(dialog->FingerTab(), kFingerVerboseControl)->isChecked());
        QCOMPARE(dialog->TextPane(FunctionId::Finger)->Text(), QString());
        for (QAction* action : {dialog->Actions().fileSave, dialog->Actions().copyResults, dialog->Actions().filePrint})
            QVERIFY(!action->isEnabled());
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
        QVERIFY(!dialog->PingTab()->isEnabled());
        QCOMPARE(FingerUser(*dialog)->text(), QString());
        QCOMPARE(dialog->FingerTab()->HostCombo()->currentText(), QStringLiteral("ann@finger.example"));

        NameServerLookUpPage* ns = dialog->NameServerLookUpTab();
        dialog->SelectFunction(FunctionId::NameServerLookUp);
        QCOMPARE(Control<QComboBox>(ns, kNsServerControl)->currentText(), QStringLiteral("ns1.example"));
        QVERIFY(ns->HostCombo()->hasFocus());
        dialog->Actions().clearRecentList->trigger();
        QVERIFY(ns->RecentHosts().isEmpty() && ns->RecentNameServers().isEmpty());
        QCOMPARE(ns->HostCombo()->currentText(), QString());
        QCOMPARE(Control<QComboBox>(ns, kNsSearchTypeControl)->count(), 30);
        QCOMPARE(dialog->PingTab()->RecentHosts(), QStringList{QStringLiteral("p")});
    }

    // The host written into the page matches the list entry it begins; a
    // stored search type gives way to the resolver's; no host, no run.
    void commandLineStartsAFunction_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("function");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("searchType");
        QTest::addColumn<bool>("starts");
        QTest::newRow("-q with host") << QStringList{"-q", "qotd.example"} << 5 << "qotd.example.org" << 10 << true;
        QTest::newRow("-q alone") << QStringList{"-q"} << 5 << "qotd.example.org" << 10 << false;
        QTest::newRow("/N with host") << QStringList{"/N", "ns.example"} << 4 << "ns.example" << 0 << true;
        // clang-format on
    }

    void commandLineStartsAFunction()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, function);
        QFETCH(bool, starts);
        SettingsStore::WriteText("Quote Of The Day", "Recent List", "qotd.example.org;");
        SettingsStore::WriteInt("Name Server LookUp", "Search Type", 10);
        MessageBoxRecorder boxes;
        // A lookup that never completes: a started run shows no box of its own.
        auto dialog = OpenMainDialog(arguments, std::make_unique<ScriptedResolver>());
        QCOMPARE(dialog->CurrentFunction(), Fn(function));
        QTEST(dialog->Page(Fn(function))->HostCombo()->currentText(), "host");
        QTEST(Control<QComboBox>(dialog->NameServerLookUpTab(), kNsSearchTypeControl)->currentIndex(), "searchType");
        QVERIFY(boxes.Texts().isEmpty());
        QTRY_COMPARE(dialog->Runs().IsBusy(), starts);
        QCOMPARE(dialog->OutputShown(), starts);
    }

    // The keys change the tab as a click does: the pages swap, the title
    // follows and the new page's host field takes the focus. Return there
    // presses Go, the default button.
    void tabKeysSelectTheNeighbouringTab_data()
    {
        // clang-format off
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
        // clang-format on
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
        QTRY_VERIFY(dialog->Page(Fn(to))->HostCombo()->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), "host.example");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(recorders[Fn(to)].starts, 1);
    }

    // A cancelled font dialog changes nothing; a chosen font goes to the
    // text panes and the store, and comes back at the next start. The other
    // commands open their dialogs and addresses.
    void outputFontAndTheOtherCommands()
    {
        CommonDialogsAnswers answers;
        QFont listFont;
        int chosenPixelSize = 0;
        {
            auto dialog = OpenMainDialog();
            const QFont before = dialog->TextPane(FunctionId::WhoIs)->font();
            dialog->Actions().outputFont->trigger();
            QCOMPARE(dialog->TextPane(FunctionId::WhoIs)->font(), before);
            QVERIFY(SettingsStore::ReadText("Options", "Font").isEmpty());
            QFont offered;
            ActiveCommonDialogs().chooseFont = [&offered](QWidget*, const QFont& initial) {
                offered = initial;
                QFont chosen("DejaVu Sans Mono", 13);
                chosen.setUnderline(true);
                return std::optional<QFont>(chosen);
            };
            listFont = dialog->ResultList(FunctionId::Ping)->font();
            QTest::keyClick(dialog->Page(FunctionId::Ping)->HostCombo(), Qt::Key_F10);
            QCOMPARE(offered, before);
            for (FunctionId id : kTextPanes) {
                QVERIFY(dialog->TextPane(id)->font().family() == "DejaVu Sans Mono");
                QVERIFY(!dialog->TextPane(id)->font().underline());
            }
            chosenPixelSize = QFontInfo(dialog->TextPane(FunctionId::Finger)->font()).pixelSize();
        }
        auto restarted = OpenMainDialog();
        for (FunctionId id : kTextPanes) {
            QCOMPARE(restarted->TextPane(id)->font().family(), QStringLiteral("DejaVu Sans Mono"));
            QCOMPARE(QFontInfo(restarted->TextPane(id)->font()).pixelSize(), chosenPixelSize);
        }
        for (FunctionId id : {FunctionId::Ping, FunctionId::TraceRoute})
            QCOMPARE(restarted->ResultList(id)->font(), listFont);

        const MainDialog::MenuActions& actions = restarted->Actions();
        for (QAction* action : {actions.winsockInformation, actions.about, actions.visitHomepage, actions.giveFeedback})
            action->trigger();
        QCOMPARE(answers.modalIds, (QList<int>{kWinsockInfoDialog, kAboutBoxDialog}));
        QCOMPARE(answers.openedUrls, (QList<QUrl>{HomepageUrl(), FeedbackUrl()}));
    }

    // The Name Server LookUp Options dialog shows the stored values, within the ranges of their settings; OK
    // writes the fields and Cancel nothing. A payload size of 0 shows as no EDNS, 1 to 511 as 512.
    void lookUpOptionsDialog_data()
    {
        // clang-format off
        QTest::addColumn<QList<int>>("stored"); // time-out, tries, payload size, TCP, DNSSEC
        QTest::addColumn<QString>("shown");     // time-out, tries, EDNS, payload size, TCP, DNSSEC
        QTest::addColumn<QList<int>>("typed");  // as shown
        QTest::addColumn<int>("button");
        QTest::addColumn<QList<int>>("after");  // as stored
        QTest::newRow("ok, typed beyond the ranges") << QList<int>{7, 2, 0, 1, 0} << "7 2 0 1232 1 0" << QList<int>{99, 10, 1, 100, 0, 1} << kLookUpOkControl << QList<int>{60, 10, 512, 0, 1};
        QTest::newRow("ok, EDNS off") << QList<int>{5, 3, 100, 0, 1} << "5 3 1 512 0 1" << QList<int>{1, 1, 0, 700, 1, 1} << kLookUpOkControl << QList<int>{1, 1, 0, 1, 1};
        QTest::newRow("cancel") << QList<int>{5, 3, 1400, 0, 1} << "5 3 1 1400 0 1" << QList<int>{9, 9, 0, 600, 1, 0} << kLookUpCancelControl << QList<int>{5, 3, 1400, 0, 1};
        // clang-format on
    }
    void lookUpOptionsDialog()
    {
        QFETCH(QList<int>, stored);
        QFETCH(QList<int>, typed);
        QFETCH(int, button);
        const SettingKey keys[] = {SettingKey::NsLookUpTimeout, SettingKey::NsLookUpTries,
                                   SettingKey::NsLookUpUdpPayloadSize, SettingKey::NsLookUpUseTcp,
                                   SettingKey::NsLookUpRequestDnssec};
        for (int i = 0; i < stored.size(); ++i)
            WriteSetting(keys[i], stored[i]);
        auto dialog = OpenMainDialog();
        QStringList shown;
        QTimer::singleShot(0, [&] {
            QWidget* options = QApplication::activeModalWidget();
            if (!options)
                return;
            shown << options->windowTitle();
            CheckTextsFit(options);
            int field = 0;
            for (int id : {kLookUpTimeoutControl, kLookUpTriesControl, kLookUpEdnsControl, kLookUpPayloadControl,
                           kLookUpTcpControl, kLookUpDnssecControl}) {
                if (auto* spin = FindControlAs<QSpinBox>(options, id)) {
                    shown << QString::number(spin->value());
                    spin->setValue(typed.value(field++));
                } else if (auto* check = FindControlAs<QCheckBox>(options, id)) {
                    shown << QString::number(int(check->isChecked()));
                    check->setChecked(typed.value(field++) != 0);
                }
            }
            Control<QPushButton>(options, button)->click();
        });
        dialog->Actions().lookUpOptions->trigger();
        QCOMPARE(shown.value(0), QStringLiteral("Name Server LookUp Options"));
        QTEST(shown.mid(1).join(' '), "shown");
        QList<int> after;
        for (SettingKey key : keys)
            after << ReadIntSetting(key);
        QTEST(after, "after");
    }

    void saveDialogOptions()
    {
        QFileDialog dialog;
        ConfigureSaveDialog(dialog);
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog.defaultSuffix(), QStringLiteral("txt"));
        QCOMPARE(dialog.nameFilters(), (QStringList{"Text Files (*.txt)", "All Files (*.*)"}));
        QVERIFY(!dialog.testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(QFileInfo(dialog.selectedFiles().value(0)).completeBaseName(), QStringLiteral("Output"));
    }

    void winsockInformationValues()
    {
        WinsockInfoDialog information(Record(MakeSocketVersion(1, 1), MakeSocketVersion(2, 2)));
        QCOMPARE(information.windowTitle(), QStringLiteral("Winsock Information"));
        QStringList texts;
        for (int id :
             {kWinsockVersionControl, kWinsockHighestControl, kWinsockMaxSocketsControl, kWinsockMaxUdpControl})
            texts << LabelText(&information, id);
        QCOMPARE(texts, (QStringList{"1.1", "2.2", "1024", "65507"}));
        QCOMPARE(information.m_general, QStringLiteral("Linux BSD sockets, kernel 6.1.0\r\nRunning\r\n"));
        QCOMPARE(Control<QPlainTextEdit>(&information, kWinsockGeneralControl)->toPlainText(),
                 QStringLiteral("Linux BSD sockets, kernel 6.1.0\nRunning\n"));

        information.show();
        QVERIFY(QTest::qWaitForWindowExposed(&information));
        const QList<QLabel*> labels = information.findChildren<QLabel*>();
        for (const QLabel* label : labels) {
            QVERIFY2(information.rect().contains(label->geometry()), qPrintable(label->text()));
            for (const QLabel* other : labels)
                QVERIFY2(label == other || !label->geometry().intersects(other->geometry()), qPrintable(label->text()));
        }

        // Low byte major, high byte minor; the ICMP method follows the system's texts.
        WinsockInfoDialog swapped(Record(0x0201, 0x0202), QStringLiteral("ICMP: raw socket"));
        QCOMPARE(LabelText(&swapped, kWinsockVersionControl), QStringLiteral("1.2"));
        QCOMPARE(swapped.m_general, information.m_general + "\r\nICMP: raw socket");
    }

    void aboutDialogControlsAndLinks()
    {
        CommonDialogsAnswers answers;
        AboutDialog about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(about.windowTitle(), QStringLiteral("About Netsonde"));
        QVERIFY(about.m_text.startsWith(QLatin1String("\r\nNetsonde Version 2.1a\r\n")));
        QCOMPARE(about.m_text.count(QStringLiteral("\r\n")), 3);
        QCOMPARE(LabelText(&about, kAboutTextControl), QString(about.m_text).replace("\r\n", "\n"));
        const auto button = [&about](int id) { return Control<QPushButton>(&about, id); };
        QCOMPARE(button(kAboutFeedbackControl)->text() + '|' + button(kAboutHomepageControl)->text() + '|'
                     + button(kAboutCloseControl)->text(),
                 "Feedback|Visit Netsonde Homepage|Close");
        QVERIFY(button(kAboutCloseControl)->isDefault());

        // The logo's key colour (its top-left pixel's) shows the dialog behind
        // it; its other colours are drawn as they are.
        const QImage logo(QStringLiteral(":/logo.xpm"));
        QCOMPARE(logo.size(), QSize(120, 28));
        const QImage drawn = about.grab().toImage();
        const QColor background = about.palette().color(QPalette::Window);
        const QPoint at = about.LogoPosition();
        for (int y = 0; y < logo.height(); ++y) {
            for (int x = 0; x < logo.width(); ++x) {
                const bool key = logo.pixel(x, y) == logo.pixel(0, 0);
                QCOMPARE(drawn.pixel(at + QPoint(x, y)), key ? background.rgb() : logo.pixelColor(x, y).rgb());
            }
        }

        for (int id : {kAboutFeedbackControl, kAboutHomepageControl, kAboutCloseControl})
            QTest::mouseClick(button(id), Qt::LeftButton);
        QCOMPARE(answers.openedUrls, (QList<QUrl>{FeedbackUrl(), HomepageUrl()}));
        QVERIFY(FeedbackUrl().scheme() == "mailto" && HomepageUrl().scheme() == "https");
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

    void helpOnF1AndItsPages()
    {
        auto dialog = OpenMainDialog();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QTest::keyClick(dialog->Page(FunctionId::Ping)->HostCombo(), Qt::Key_F1);
        auto* help = dialog->findChild<HelpWindow*>();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->CurrentTitle(), QStringLiteral("Netsonde Help"));

        dialog->Actions().helpOnHelp->trigger();
        QCOMPARE(dialog->findChildren<HelpWindow*>().size(), 1);
        QCOMPARE(help->CurrentTitle(), QStringLiteral("Using Help"));

        // Every page the contents link to is compiled in, and each page has a
        // title of its own.
        QFile contents(":/help/index.html");
        QVERIFY(contents.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(contents.read(1 << 16));
        QStringList pages;
        for (const QRegularExpressionMatch& match : QRegularExpression("href=\"([^\"]+)\"").globalMatch(html))
            pages.append(match.captured(1));
        for (const char* page :
             {"ping.html", "traceroute.html", "finger.html", "whois.html", "nslookup.html", "qod.html",
              "file-menu.html", "options-menu.html", "help-menu.html", "using-help.html"})
            QVERIFY2(pages.contains(QLatin1String(page)), page);
        QStringList titles;
        for (const QString& page : pages) {
            help->ShowPage(QUrl("qrc:/help/" + page));
            QVERIFY2(!help->CurrentTitle().isEmpty(), qPrintable(page));
            QVERIFY2(!titles.contains(help->CurrentTitle()), qPrintable(page));
            titles.append(help->CurrentTitle());
        }
    }

    void compactAndExpandedWindows_data()
    {
        // clang-format off
        QTest::addColumn<bool>("dark");
        QTest::addColumn<qreal>("scale");
        QTest::newRow("light") << false << 1.0;
        QTest::newRow("dark") << true << 1.0;
        QTest::newRow("light-2x") << false << 2.0;
        QTest::newRow("dark-2x") << true << 2.0;
        // clang-format on
    }

    void compactAndExpandedWindows()
    {
        QFETCH(bool, dark);
        QFETCH(qreal, scale);
        if (!qFuzzyCompare(qApp->devicePixelRatio(), scale))
            return RunAtScale(scale);
        if (dark)
            QApplication::setPalette(DarkPalette());
        const QString row = QString::fromLatin1(QTest::currentDataTag());

        auto dialog = OpenMainDialog();
        for (int tab = 0; tab < kFunctionCount; ++tab) {
            dialog->Tabs()->SetCurrentIndex(tab);
            PropertyPage* page = dialog->Page(static_cast<FunctionId>(tab));
            CheckTextsFit(page);
            QVERIFY(page->y() > dialog->Tabs()->TabBar()->geometry().bottom());
            for (QWidget* control : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                QVERIFY2(page->rect().contains(control->geometry()), qPrintable(control->metaObject()->className()));
        }
        CheckTextsFit(dialog.get());
        CheckTextsReadable(dialog.get());
        dialog->SelectFunction(FunctionId::Finger);
        Save(dialog.get(), "compact-" + row);

        dialog->BeginRun();
        dialog->TextPane(FunctionId::Finger)->SetText("Login: ann\r\nName: Ann Example\r\nDirectory: /home/ann\r\n");
        dialog->SetStatusText("Connected to example.test");
        dialog->OnStop();
        CheckTextsReadable(dialog.get());
        Save(dialog.get(), "expanded-" + row);

        AboutDialog about(dialog.get());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        CheckTextsFit(&about);
        CheckTextsReadable(&about);
        QCOMPARE(Control<QLabel>(&about, kAboutIconControl)->pixmap().devicePixelRatio(), scale);
        Save(&about, "about-" + row);
    }
};

QTEST_MAIN(TestController)
#include "tst_controller.moc"
