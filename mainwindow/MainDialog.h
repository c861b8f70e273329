// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: the tab control with one page per function, Go, Stop and
// Clear, the busy animation, the output panes and the status line. Its
// controller decides which function is current, starts a run on Go and ends
// every run through OnStop; each function's own work lives in its module
// and is plugged in through the function table.

#include "run/FunctionId.h"
#include "run/RunController.h"
#include "platform/echo/EchoService.h"
#include "platform/resolver/Resolver.h"
#include "settings/ColumnWidths.h"

#include <QColor>
#include <QDialog>
#include <QFont>

#include <array>
#include <functional>
#include <map>
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

class CAnimationControl;
class COutputPane;
class CWindowRunView;
class CPropertyPage;
class CTabControl;
class CPingPage;
class CTraceRoutePage;
class CFingerPage;
class CWhoIsPage;
class CNameServerLookUpPage;
class CQuoteOfDayPage;

class CMainDialog : public QDialog {
    Q_OBJECT
public:
    // Gives the echo service at initialisation (tests give a scripted one).
    using EchoServiceLoader = std::function<std::shared_ptr<echo::EchoService>()>;
    // Fills the run layer's function table once the echo service is loaded;
    // the program's composition gives it.
    using FunctionInstaller = std::function<void(CRunController& runs, std::shared_ptr<echo::EchoService> service)>;
    static void SetFunctionInstaller(FunctionInstaller installer);

    explicit CMainDialog(QWidget* parent = nullptr);
    ~CMainDialog() override;

    // Runs the initialisation once; showing the window runs it too.
    void InitDialog();
    // What the command line chose: a function code and host (m_strCommandLine).
    void SetCommandLine(bool bCommandLine, const QString& strCommandLine)
    {
        m_bCommandLine = bCommandLine;
        m_strCommandLine = strCommandLine;
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
    CRunController& Runs() const { return *m_runs; }
    CFunction* Function(FunctionId id) const { return m_runs->Function(id); }
    static void SetEchoServiceLoader(EchoServiceLoader loader);
    // The echo service loaded at initialisation; null when turned off.
    std::shared_ptr<echo::EchoService> EchoService() const { return m_echoService; }
    // The function whose run is in progress: Stop cancels it even after a
    // tab change.
    std::optional<FunctionId> RunningFunction() const { return m_runs->RunningFunction(); }
    void SetResolver(std::unique_ptr<IResolver> resolver) { m_runs->SetResolver(std::move(resolver)); }

    // The run's inputs: the current page's fields, read at Go.
    CRunInputs ReadInputs(FunctionId id);
    // The view's side of a run: the Recent List entry, the end of the run.
    void RecordRecentHost(const CRunInputs& inputs);
    void OnRunEnded(FunctionId selected);

    // Status line (part 0 of the status bar). Every text shown is also
    // announced, for the report mode's progress and for tests.
    void SetStatusText(const QString& text);
    QString StatusText() const;

    // Run summary (the status bar's permanent part on the right): each
    // function's own, worked out from its list when its run ends and shown
    // while its tab is selected; it goes on Clear and when the function's
    // next run begins.
    QString RunSummaryText() const;
    void ClearRunSummary(FunctionId id);

Q_SIGNALS:
    void StatusTextShown(const QString& text);

public:
    // Layout.
    void LayoutControls();
    int CompactHeight() const;
    bool IsNarrow() const;

    // Access for the functions, the menu commands and tests.
    CPropertyPage* Page(FunctionId id) const { return m_pPages[Index(id)]; }
    CPingPage* PingPage() const;
    CTraceRoutePage* TraceRoutePage() const;
    CFingerPage* FingerPage() const;
    CWhoIsPage* WhoIsPage() const;
    CNameServerLookUpPage* NameServerLookUpPage() const;
    CQuoteOfDayPage* QuoteOfDayPage() const;
    QWidget* Pane(FunctionId id) const { return m_panes[Index(id)]; }
    COutputPane* TextPane(FunctionId id) const;
    QTreeWidget* ResultList(FunctionId id) const;
    QAction* Command(int commandId) const;
    CTabControl* TabControl() const { return m_tab; }
    CAnimationControl* Animation() const { return m_animation; }
    // Connects a menu command (also reached by its key) to its handler.
    void SetCommandHandler(int commandId, std::function<void()> handler);
    // A command is usable when its state allows it and a handler is connected.
    void SetCommandEnabled(int commandId, bool enabled);

    // The window's options, read at initialisation and saved when it goes.
    struct COptions {
        int nExpandedHeight = 350;
        int nLastFunction = -1;
        bool bRememberPosition = false;
        bool bSmartSplitting = false;
        // A name with addresses of both families is reached by its IPv6 one.
        bool bPreferIPv6 = false;
        std::optional<QFont> fontOutput;
        // The firewall hosts of Finger and WhoIs; empty for none.
        QString strFingerFireWall;
        QString strWhoIsFireWall;
    };
    const COptions& Options() const { return m_options; }
    void SetSmartSplitting(bool on) { m_options.bSmartSplitting = on; }
    void SetFireWalls(const QString& strFinger, const QString& strWhoIs);

    bool IsInitialised() const { return m_bInitialised; }
    bool OutputShown() const { return m_bOutputShown; }
    bool IcmpAvailable() const { return m_bIcmpAvailable; }
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
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void done(int result) override;

private:
    // Creation of the window's parts.
    void CreateControls();
    void CreateMenu();
    QAction* AddCommand(QMenu* menu, int commandId, const QString& label, bool checkable = false);
    void UpdateCommand(int commandId);
    void RunCommand(int commandId);
    void CreateResultList(FunctionId id, int controlId);
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
    void SetRunSummary(FunctionId id, const QString& text);
    void ShowRunSummary(FunctionId id);

    std::array<CPropertyPage*, kFunctionCount> m_pPages{};
    // Window state.
    COptions m_options;
    bool m_bOutputShown = false;
    std::array<bool, kFunctionCount> m_bPaneShown{};
    bool m_bInitialised = false;
    bool m_bCommandLine = false;
    QString m_strCommandLine;
    QColor m_crWindow;
    bool m_bIcmpAvailable = true;

    std::unique_ptr<CWindowRunView> m_runView;
    std::unique_ptr<CRunController> m_runs;
    // Shared with the Ping and TraceRoute workers, which may outlive the window.
    std::shared_ptr<echo::EchoService> m_echoService;
    std::array<QWidget*, kFunctionCount> m_panes{};

    QMenuBar* m_menuBar = nullptr;
    CTabControl* m_tab = nullptr;
    QPushButton* m_btnGo = nullptr;
    QPushButton* m_btnStop = nullptr;
    QPushButton* m_btnClear = nullptr;
    CAnimationControl* m_animation = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* m_runSummary = nullptr;
    std::array<QString, kFunctionCount> m_runSummaries;
    std::map<int, QAction*> m_commands;
    std::map<int, std::function<void()>> m_commandHandlers;
    std::map<int, bool> m_commandEnabled;
    bool m_bDestroyed = false;
    bool m_bLayingOut = false;
    // A restored position is checked again once the frame is known.
    bool m_bPlaceFrameWhenExposed = false;
};

} // namespace netsonde
