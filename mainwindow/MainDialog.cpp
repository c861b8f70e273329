// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainDialog.h"

#include "icmp/IcmpFunction.h"
#include "icmp/IcmpFunctions.h"
#include "mainwindow/FireWallDialog.h"
#include "mainwindow/LookUpOptionsDialog.h"
#include "mainwindow/MenuCommands.h"
#include "mainwindow/OutputPane.h"
#include "mainwindow/ResponseTimeDelegate.h"
#include "mainwindow/ResultPane.h"
#include "mainwindow/TabControl.h"
#include "mainwindow/WindowRunView.h"
#include "mainwindow/phonebook/PhonebookCommand.h"
#include "pages/NameServerLookUpPage.h"
#include "pages/PingPage.h"
#include "pages/QuoteOfDayPage.h"
#include "pages/TraceRoutePage.h"
#include "pages/UserHostPage.h"
#include "resources/AppIcon.h"
#include "resources/ResourceIds.h"
#include "run/ResultColumns.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"
#include "widgets/AnimationControl.h"
#include "widgets/ComboBoxAccessibility.h"
#include "widgets/ControlIds.h"
#include "widgets/DialogUnits.h"
#include "widgets/ModalMessageBox.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTreeWidget>
#include <QWindow>

namespace netsonde {

namespace {

QPushButton* MakeButton(QWidget* parent, int id, const QString& label, QRect rect)
{
    auto* button = new QPushButton(label, parent);
    SetControlId(button, id);
    button->setAutoDefault(false);
    button->setGeometry(rect);
    return button;
}

// The move from the selected tab that a key asks for: Ctrl+Tab and
// Ctrl+PageDown the next tab, Ctrl+Shift+Tab and Ctrl+PageUp the one before;
// 0 for any other key.
int TabStepOf(const QKeyEvent& event)
{
    if (!(event.modifiers() & Qt::ControlModifier))
        return 0;
    switch (event.key()) {
    case Qt::Key_Tab:
        return event.modifiers() & Qt::ShiftModifier ? -1 : 1;
    case Qt::Key_Backtab:
    case Qt::Key_PageUp:
        return -1;
    case Qt::Key_PageDown:
        return 1;
    default:
        return 0;
    }
}

// Selects the tab step places away, wrapping around at either end, as a
// click on it would.
void StepTab(TabControl& tab, int step)
{
    const int count = tab.TabBar()->count();
    if (count == 0)
        return;
    tab.SetCurrentIndex(((tab.CurrentIndex() + step) % count + count) % count);
}

// The name a screen reader gives a function's pane, such as "Ping results".
QString PaneName(FunctionId id, const char* content)
{
    return QStringLiteral("%1 %2").arg(QLatin1String(FunctionTable[Index(id)].windowTitle), QLatin1String(content));
}

} // namespace

MainDialog::MainDialog(QWidget* parent)
    : QDialog(parent), m_runView(std::make_unique<WindowRunView>(*this)),
      m_runs(std::make_unique<RunController>(*m_runView))
{
    SetDialogId(this, kMainDialogDialog);
    setWindowTitle(QStringLiteral("Netsonde"));
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    UseModalMessageBoxes();
    NameComboBoxesAfterTheirLabels();
    CreateMenu();
    CreateControls();
    InstallPhonebookCommand(*this);
    InstallMenuCommands(*this);
    InstallFireWallsCommand(*this);
    InstallLookUpOptionsCommand(*this);
    qApp->installEventFilter(this);
}

MainDialog::~MainDialog()
{
    qApp->removeEventFilter(this);
    OnDestroy();
    // Workers blocked in a request return at once; every worker is joined.
    if (m_echoService)
        m_echoService->ShutdownAll();
    m_runs->Shutdown();
}

void MainDialog::CreateControls()
{
    const DialogUnits du(font());
    const int top = ClientTop();
    auto at = [&](int x, int y, int w, int h) { return du.Rect(x, y, w, h).translated(0, top); };

    m_tab = new TabControl(this);
    SetControlId(m_tab, kTabControl);
    m_tab->setGeometry(at(7, 7, 230, 92));
    connect(m_tab, &TabControl::selectionChanging, this, &MainDialog::OnTabSelChanging);
    connect(m_tab, &TabControl::selectionChanged, this, &MainDialog::OnTabSelChange);

    m_goButton = MakeButton(this, kGoControl, QStringLiteral("&Go"), at(243, 19, 50, 15));
    m_goButton->setDefault(true);
    m_stopButton = MakeButton(this, kStopControl, QStringLiteral("&Stop"), at(243, 36, 50, 15));
    m_stopButton->setEnabled(false);
    m_clearButton = MakeButton(this, kClearControl, QStringLiteral("&Clear"), at(243, 53, 50, 15));
    connect(m_goButton, &QPushButton::clicked, this, &MainDialog::OnGo);
    connect(m_stopButton, &QPushButton::clicked, this, &MainDialog::OnStop);
    connect(m_clearButton, &QPushButton::clicked, this, &MainDialog::OnClear);

    m_animation = new AnimationControl(this);
    SetControlId(m_animation, kAnimationControl);
    m_animation->setGeometry(at(243, 75, 50, 20));

    CreateResultPane(FunctionId::Ping, kPingListControl);
    CreateResultPane(FunctionId::TraceRoute, kTraceRouteListControl);
    CreateTextPane(FunctionId::Finger, kFingerOutputControl);
    CreateTextPane(FunctionId::WhoIs, kWhoIsOutputControl);
    CreateTextPane(FunctionId::NameServerLookUp, kNsLookupOutputControl);
    CreateTextPane(FunctionId::QuoteOfDay, kQuoteOutputControl);
    for (QWidget* pane : m_panes) {
        pane->setGeometry(at(7, 106, 286, 77));
        pane->hide();
    }
    resize(du.X(300), top + du.Y(190));
}

void MainDialog::CreateResultPane(FunctionId id, int controlId)
{
    auto* pane = new ResultPane(id == FunctionId::Ping, this);
    QTreeWidget* list = pane->List();
    SetControlId(list, controlId);
    list->setAccessibleName(PaneName(id, "results"));
    pane->setAccessibleName(list->accessibleName());
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList headings;
    for (const ResultColumnInfo& column : kResultColumns)
        headings.append(QString::fromLatin1(column.heading));
    list->setHeaderLabels(headings);
    for (int column = kBaseResultColumnCount; column < kResultColumnCount; ++column)
        list->setColumnHidden(column, true);
    list->header()->setStretchLastSection(false);
    list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    new ResponseTimeDelegate(list);
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this, id] { OnResultListDblClk(id); });
    if (id == FunctionId::Ping)
        connect(pane, &ResultPane::probesNoted, this, &MainDialog::SummarisePingSoFar);
    m_panes[Index(id)] = pane;
}

void MainDialog::CreateTextPane(FunctionId id, int controlId)
{
    m_panes[Index(id)] = new OutputPane(controlId, this);
    m_panes[Index(id)]->setAccessibleName(PaneName(id, "output"));
}

void MainDialog::setVisible(bool visible)
{
    if (visible)
        InitDialog();
    if (!visible || testAttribute(Qt::WA_Moved)) {
        QDialog::setVisible(visible);
        return;
    }
    // Without a remembered position the window manager places the window
    // (centred on an empty screen); the dialog's own centring would give it
    // a position of ours, guessed without knowing the frame.
    create();
    setAttribute(Qt::WA_Moved);
    QDialog::setVisible(true);
    setAttribute(Qt::WA_Moved, false);
}

void MainDialog::done(int result)
{
    OnDestroy();
    QDialog::done(result);
}

void MainDialog::OnDestroy()
{
    if (m_destroyed || !m_initialised)
        return;
    m_destroyed = true;
    if (m_runs->IsBusy())
        OnStop();
    // The settings file is written once.
    const SettingsBatch batch;
    SaveWindowPlacement();
    SaveColumnWidths();
    for (PropertyPage* page : m_pages)
        page->Destroy();
}

PingPage* MainDialog::PingTab() const
{
    return static_cast<PingPage*>(Page(FunctionId::Ping));
}

TraceRoutePage* MainDialog::TraceRouteTab() const
{
    return static_cast<TraceRoutePage*>(Page(FunctionId::TraceRoute));
}

FingerPage* MainDialog::FingerTab() const
{
    return static_cast<FingerPage*>(Page(FunctionId::Finger));
}

WhoIsPage* MainDialog::WhoIsTab() const
{
    return static_cast<WhoIsPage*>(Page(FunctionId::WhoIs));
}

NameServerLookUpPage* MainDialog::NameServerLookUpTab() const
{
    return static_cast<NameServerLookUpPage*>(Page(FunctionId::NameServerLookUp));
}

QuoteOfDayPage* MainDialog::QuoteOfDayTab() const
{
    return static_cast<QuoteOfDayPage*>(Page(FunctionId::QuoteOfDay));
}

OutputPane* MainDialog::TextPane(FunctionId id) const
{
    return qobject_cast<OutputPane*>(Pane(id));
}

QTreeWidget* MainDialog::ResultList(FunctionId id) const
{
    ResultPane* pane = ResultPaneOf(id);
    return pane ? pane->List() : nullptr;
}

ResultPane* MainDialog::ResultPaneOf(FunctionId id) const
{
    return qobject_cast<ResultPane*>(Pane(id));
}

void MainDialog::SetStatusText(const QString& text)
{
    if (!m_statusText)
        return;
    m_statusText->setText(text);
    Q_EMIT statusTextShown(text);
}

QString MainDialog::StatusText() const
{
    return m_statusText ? m_statusText->text() : QString();
}

void MainDialog::SetFireWalls(const QString& finger, const QString& whoIs)
{
    m_options.fingerFireWall = finger;
    m_options.whoIsFireWall = whoIs;
}

void MainDialog::SetOutputFont(const QFont& font)
{
    m_options.fontOutput = font;
    for (FunctionId id : {FunctionId::Finger, FunctionId::WhoIs, FunctionId::NameServerLookUp, FunctionId::QuoteOfDay})
        TextPane(id)->setFont(font);
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event)
{
    // The frame's size is known once the window manager shows the window.
    if (m_placeFrameWhenExposed && event->type() == QEvent::Expose
        && watched == static_cast<QObject*>(windowHandle())) {
        m_placeFrameWhenExposed = false;
        KeepFrameOnScreen();
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            const auto* keyEvent = static_cast<QKeyEvent*>(event);
            const int key = keyEvent->key();
            const int tabStep = TabStepOf(*keyEvent);
            if (event->type() == QEvent::ShortcutOverride) {
                if (key == Qt::Key_Escape || key == Qt::Key_F10 || key == Qt::Key_F11 || key == Qt::Key_F12
                    || tabStep != 0) {
                    event->accept();
                    return true;
                }
            } else if (tabStep != 0) {
                StepTab(*m_tab, tabStep);
                return true;
            } else if (HandleKey(key)) {
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool MainDialog::HandleKey(int key)
{
    switch (key) {
    case Qt::Key_Escape:
        OnStop();
        return true;
    case Qt::Key_F10:
        m_actions.outputFont->trigger();
        return true;
    case Qt::Key_F11:
        m_actions.fireWalls->trigger();
        return true;
    case Qt::Key_F12:
        m_actions.phonebook->trigger();
        return true;
    default:
        return false;
    }
}

} // namespace netsonde
