// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: the tab control with one page per function, Go, Stop and
// Clear, the busy animation, the output panes and the status line. Its
// controller decides which function is current, starts a run on Go and ends
// every run through OnStop; each function's own work lives in its module
// and is plugged in through the function table.

#include "platform/echo/EchoService.h"
#include "platform/resolver/Resolver.h"
#include "run/FunctionId.h"
#include "run/RunController.h"
#include "settings/ColumnWidths.h"
#include "settings/SettingsKeys.h"

#include <QColor>
#include <QDialog>
#include <QFont>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QTreeWidget;

namespace netsonde {

class AnimationControl;
class OutputPane;
class WindowRunView;
class PropertyPage;
class ResultPane;
class TabControl;
class PingPage;
class TraceRoutePage;
class FingerPage;
class WhoIsPage;
class NameServerLookUpPage;
class QuoteOfDayPage;

class MainDialog : public QDialog {
    Q_OBJECT
public:
    // Gives the echo service at initialisation (tests give a scripted one).
    using EchoServiceLoader = std::function<std::shared_ptr<echo::EchoService>()>;
    // Fills the run layer's function table once the echo service is loaded;
    // the program's composition gives it.
    using FunctionInstaller = std::function<void(RunController& runs, std::shared_ptr<echo::EchoService> service)>;
    static void SetFunctionInstaller(FunctionInstaller installer);

    explicit MainDialog(QWidget* parent = nullptr);
    ~MainDialog() override;

    // Runs the initialisation once; showing the window runs it too.
    void InitDialog();
    // What the command line chose: a function code and host (m_commandLine).
    void SetCommandLine(bool fromSwitch, const QString& commandLine)
    {
        m_fromSwitch = fromSwitch;
        m_commandLine = commandLine;
    }
    void setVisible(bool visible) override;

    // Controller.
    FunctionId CurrentFunction() const;
    void OnGo();
    void BeginRun();
    void OnStop();
    void OnClear();
    void OnTabSelChanging(int leavingIndex);
    void OnTabSelChange(int newIndex);
    void SelectFunction(FunctionId id);

    // The run layer: the function table, the run in progress, its requests.
    RunController& Runs() const { return *m_runs; }
    Function* FunctionFor(FunctionId id) const { return m_runs->FunctionFor(id); }
    static void SetEchoServiceLoader(EchoServiceLoader loader);
    // The echo service loaded at initialisation; null when turned off.
    std::shared_ptr<echo::EchoService> EchoService() const { return m_echoService; }
    // The function whose run is in progress: Stop cancels it even after a
    // tab change.
    std::optional<FunctionId> RunningFunction() const { return m_runs->RunningFunction(); }
    void SetResolver(std::unique_ptr<IResolver> resolver) { m_runs->SetResolver(std::move(resolver)); }

    // The run's inputs: the current page's fields, read at Go.
    RunInputs ReadInputs(FunctionId id);
    // The view's side of a run: the Recent List entry, the end of the run.
    void RecordRecentHost(const RunInputs& inputs);
    void OnRunEnded(FunctionId selected);

    // Status line (part 0 of the status bar). Every text shown is also
    // announced, for the report mode's progress and for tests.
    void SetStatusText(const QString& text);
    QString StatusText() const;

    // Run summary (the status bar's permanent part on the right): each
    // function's own, worked out when its run ends (Ping's also while it
    // runs, from the statistics of the whole run) and shown while its tab is
    // selected; it goes on Clear and when the function's next run begins.
    QString RunSummaryText() const;
    void ClearRunSummary(FunctionId id);

Q_SIGNALS:
    void statusTextShown(const QString& text);

public:
    // Layout.
    void LayoutControls();
    int CompactHeight() const;
    bool IsNarrow() const;

    // Access for the functions, the menu commands and tests.
    PropertyPage* Page(FunctionId id) const { return m_pages[Index(id)]; }
    PingPage* PingTab() const;
    TraceRoutePage* TraceRouteTab() const;
    FingerPage* FingerTab() const;
    WhoIsPage* WhoIsTab() const;
    NameServerLookUpPage* NameServerLookUpTab() const;
    QuoteOfDayPage* QuoteOfDayTab() const;
    QWidget* Pane(FunctionId id) const { return m_panes[Index(id)]; }
    OutputPane* TextPane(FunctionId id) const;
    QTreeWidget* ResultList(FunctionId id) const;
    ResultPane* ResultPaneOf(FunctionId id) const;
    TabControl* Tabs() const { return m_tab; }
    AnimationControl* Animation() const { return m_animation; }

    // The menu's commands. Each command's handler is connected to its
    // action's triggered signal; the F10 to F12 keys trigger their actions.
    struct MenuActions {
        QAction* fileSave = nullptr;
        QAction* copyResults = nullptr;
        QAction* filePrint = nullptr;
        QAction* exit = nullptr;
        QAction* rememberWindowPosition = nullptr;
        QAction* rememberLastFunction = nullptr;
        QAction* smartAddressSplitting = nullptr;
        QAction* preferIPv6 = nullptr;
        QAction* probeOneHopAtATime = nullptr; // TraceRoute's, stored and read at Go
        QAction* showAsNumbers = nullptr;      // TraceRoute's, stored and read at Go
        QAction* clearRecentList = nullptr;
        QAction* outputFont = nullptr;
        QAction* fireWalls = nullptr;
        QAction* phonebook = nullptr;
        QAction* lookUpOptions = nullptr; // the Name Server LookUp Options dialog
        QAction* helpContents = nullptr;
        QAction* helpOnHelp = nullptr;
        QAction* visitHomepage = nullptr;
        QAction* giveFeedback = nullptr;
        QAction* winsockInformation = nullptr;
        QAction* about = nullptr;
    };
    const MenuActions& Actions() const { return m_actions; }

    // The window's options, read at initialisation and saved when it goes.
    struct Options {
        int expandedHeight = 350;
        int lastFunction = -1;
        bool rememberPosition = false;
        bool smartSplitting = false;
        // A name with addresses of both families is reached by its IPv6 one.
        bool preferIPv6 = false;
        std::optional<QFont> fontOutput;
        // The firewall hosts of Finger and WhoIs; empty for none.
        QString fingerFireWall;
        QString whoIsFireWall;
    };
    const Options& CurrentOptions() const { return m_options; }
    void SetSmartSplitting(bool on) { m_options.smartSplitting = on; }
    void SetFireWalls(const QString& finger, const QString& whoIs);

    bool IsInitialised() const { return m_initialised; }
    bool OutputShown() const { return m_outputShown; }
    bool IcmpAvailable() const { return m_icmpAvailable; }
    QColor WindowColour() const { return m_crWindow; }

    void SetOutputFont(const QFont& font);

    // Menu toggles.
    void OnRememberWindowPosition();
    void OnRememberLastFunction();
    void OnSmartAddressSplitting();
    void OnPreferIPv6();
    void OnClearRecentList();
    void OnExit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void done(int result) override;

private:
    // Creation of the window's parts.
    void CreateControls();
    void CreateMenu();
    static QAction* AddAction(QMenu* menu, const QString& label, bool checkable = false);
    // A checkable item that shows a stored option and stores each change of it.
    static QAction* AddStoredOption(QMenu* menu, const QString& label, SettingKey key);
    void ConnectOwnActions();
    // Save, Copy and Print, usable while the output is shown.
    void EnableOutputActions(bool enable);
    void CreateResultPane(FunctionId id, int controlId);
    void CreateTextPane(FunctionId id, int controlId);
    void CreatePages(int initialFunction);
    void SetUpResultColumns();
    std::optional<ColumnWidths> StoredColumnWidths(FunctionId id) const;
    ColumnWidths DefaultColumnWidths(const QTreeWidget* list) const;
    void WidenAddressColumns(int growth);

    // Initialisation steps.
    int ReadSettingsAndCreate();
    void ReadOptions();
    int ChooseInitialFunction();
    void SelectInitialFunction(int initialFunction);
    void LoadIcmpLibrary();
    void ReadOutputFont();
    void MakeCompact();
    void RestoreWindowPlacement();
    // Moves the window so that its whole frame lies in its screen's
    // available area.
    void KeepFrameOnScreen();
    void StartFromCommandLine(int initialFunction);

    // Destruction: saves the window and every page.
    void OnDestroy();
    void SaveWindowPlacement();
    void SaveColumnWidths();

    // Controller helpers.
    void EnableInputs(bool enable);
    void ShowPaneOf(FunctionId id);
    void ExpandWindow();
    void UpdateWindowTitle(int index);
    bool HandleKey(int key);
    void OnResultListDblClk(FunctionId id);
    void CheckWindowColour();

    // Layout helpers.
    int ClientTop() const;
    QRect ClientRect() const;
    void LayoutRightColumn();
    void LayoutTabAndPages(int gap);
    void LayoutVisiblePane();
    void LayoutStatusBar();

    // Run summary helpers.
    void CreateRunSummary();
    void SummariseEndedRun();
    void SummarisePingSoFar();
    void SetRunSummary(FunctionId id, const QString& text);
    void ShowRunSummary(FunctionId id);

    std::array<PropertyPage*, kFunctionCount> m_pages{};
    // Window state.
    Options m_options;
    bool m_outputShown = false;
    std::array<bool, kFunctionCount> m_paneShown{};
    bool m_initialised = false;
    bool m_fromSwitch = false;
    QString m_commandLine;
    QColor m_crWindow;
    bool m_icmpAvailable = true;

    std::unique_ptr<WindowRunView> m_runView;
    std::unique_ptr<RunController> m_runs;
    // Shared with the Ping and TraceRoute workers, which may outlive the window.
    std::shared_ptr<echo::EchoService> m_echoService;
    std::array<QWidget*, kFunctionCount> m_panes{};

    QMenuBar* m_menuBar = nullptr;
    TabControl* m_tab = nullptr;
    QPushButton* m_goButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_clearButton = nullptr;
    AnimationControl* m_animation = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* m_runSummary = nullptr;
    std::array<QString, kFunctionCount> m_runSummaries;
    MenuActions m_actions;
    bool m_destroyed = false;
    bool m_layingOut = false;
    // A restored position is checked again once the frame is known.
    bool m_placeFrameWhenExposed = false;
};

} // namespace netsonde
