// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainDialog.h"

#include "icmp/IcmpFunctions.h"
#include "export/ResultColumns.h"
#include "mainwindow/MenuCommands.h"
#include "mainwindow/OutputPane.h"
#include "mainwindow/ResponseTimeDelegate.h"
#include "mainwindow/WindowRunView.h"
#include "mainwindow/TabControl.h"
#include "pages/NameServerLookUpPage.h"
#include "pages/PingPage.h"
#include "pages/QuoteOfDayPage.h"
#include "pages/TraceRoutePage.h"
#include "pages/UserHostPage.h"
#include "mainwindow/phonebook/PhonebookCommand.h"
#include "platform/AppMessages.h"
#include "platform/widgets/ComboBoxAccessibility.h"
#include "platform/widgets/ControlIds.h"
#include "platform/widgets/ModalMessageBox.h"
#include "platform/widgets/DialogUnits.h"
#include "mainwindow/FireWallDialog.h"
#include "icmp/IcmpFunction.h"
#include "resources/AppIcon.h"
#include "resources/BusyAnimation.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

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
void StepTab(CTabControl& tab, int step)
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

CMainDialog::CMainDialog(QWidget* parent)
    : QDialog(parent), m_runView(std::make_unique<CWindowRunView>(*this)),
      m_runs(std::make_unique<CRunController>(*m_runView))
{
    SetDialogId(this, IDD_MAIN_DIALOG);
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
    qApp->installEventFilter(this);
}

CMainDialog::~CMainDialog()
{
    qApp->removeEventFilter(this);
    OnDestroy();
    // Workers blocked in a request return at once; every worker is joined.
    if (m_echoService)
        m_echoService->ShutdownAll();
    m_runs->Shutdown();
}

bool CMainDialog::event(QEvent* event) { return QDialog::event(event); }

void CMainDialog::CreateControls()
{
    const DialogUnits du(font());
    const int top = ClientTop();
    auto at = [&](int x, int y, int w, int h) { return du.Rect(x, y, w, h).translated(0, top); };

    m_tab = new CTabControl(this);
    SetControlId(m_tab, IDC_TAB);
    m_tab->setGeometry(at(7, 7, 230, 92));
    connect(m_tab, &CTabControl::SelChanging, this, &CMainDialog::OnTabSelChanging);
    connect(m_tab, &CTabControl::SelChange, this, &CMainDialog::OnTabSelChange);

    m_btnGo = MakeButton(this, IDC_GO, QStringLiteral("&Go"), at(243, 19, 50, 15));
    m_btnGo->setDefault(true);
    m_btnStop = MakeButton(this, IDC_STOP, QStringLiteral("&Stop"), at(243, 36, 50, 15));
    m_btnStop->setEnabled(false);
    m_btnClear = MakeButton(this, IDC_CLEAR, QStringLiteral("&Clear"), at(243, 53, 50, 15));
    connect(m_btnGo, &QPushButton::clicked, this, &CMainDialog::OnGo);
    connect(m_btnStop, &QPushButton::clicked, this, &CMainDialog::OnStop);
    connect(m_btnClear, &QPushButton::clicked, this, &CMainDialog::OnClear);

    m_animation = new CAnimationControl(this);
    SetControlId(m_animation, IDC_ANIMATION);
    m_animation->setGeometry(at(243, 75, 50, 20));

    CreateResultList(FunctionId::Ping, IDC_PING_LIST);
    CreateResultList(FunctionId::TraceRoute, IDC_TRACEROUTE_LIST);
    CreateTextPane(FunctionId::Finger, IDC_FINGER_OUTPUT);
    CreateTextPane(FunctionId::WhoIs, IDC_WHOIS_OUTPUT);
    CreateTextPane(FunctionId::NameServerLookUp, IDC_NSLOOKUP_OUTPUT);
    CreateTextPane(FunctionId::QuoteOfDay, IDC_QUOTE_OUTPUT);
    for (QWidget* pane : m_panes) {
        pane->setGeometry(at(7, 106, 286, 77));
        pane->hide();
    }
    resize(du.X(300), top + du.Y(190));
}

void CMainDialog::CreateResultList(FunctionId id, int controlId)
{
    auto* list = new QTreeWidget(this);
    SetControlId(list, controlId);
    list->setAccessibleName(PaneName(id, "results"));
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList headings;
    for (const CResultColumn& column : kResultColumns)
        headings.append(QString::fromLatin1(column.pszHeading));
    list->setHeaderLabels(headings);
    list->header()->setStretchLastSection(false);
    list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    new CResponseTimeDelegate(list);
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this, id] { OnResultListDblClk(id); });
    m_panes[Index(id)] = list;
}

void CMainDialog::CreateTextPane(FunctionId id, int controlId)
{
    m_panes[Index(id)] = new COutputPane(controlId, this);
    m_panes[Index(id)]->setAccessibleName(PaneName(id, "output"));
}

void CMainDialog::setVisible(bool visible)
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

void CMainDialog::done(int result)
{
    OnDestroy();
    QDialog::done(result);
}

void CMainDialog::OnDestroy()
{
    if (m_bDestroyed || !m_bInitialised)
        return;
    m_bDestroyed = true;
    if (m_runs->IsBusy())
        OnStop();
    // The settings file is written once.
    const CSettingsBatch batch;
    SaveWindowPlacement();
    SaveColumnWidths();
    for (CPropertyPage* page : m_pPages)
        page->Destroy();
}

CPingPage* CMainDialog::PingPage() const { return static_cast<CPingPage*>(Page(FunctionId::Ping)); }

CTraceRoutePage* CMainDialog::TraceRoutePage() const
{
    return static_cast<CTraceRoutePage*>(Page(FunctionId::TraceRoute));
}

CFingerPage* CMainDialog::FingerPage() const { return static_cast<CFingerPage*>(Page(FunctionId::Finger)); }

CWhoIsPage* CMainDialog::WhoIsPage() const { return static_cast<CWhoIsPage*>(Page(FunctionId::WhoIs)); }

CNameServerLookUpPage* CMainDialog::NameServerLookUpPage() const
{
    return static_cast<CNameServerLookUpPage*>(Page(FunctionId::NameServerLookUp));
}

CQuoteOfDayPage* CMainDialog::QuoteOfDayPage() const
{
    return static_cast<CQuoteOfDayPage*>(Page(FunctionId::QuoteOfDay));
}

COutputPane* CMainDialog::TextPane(FunctionId id) const { return qobject_cast<COutputPane*>(Pane(id)); }

QTreeWidget* CMainDialog::ResultList(FunctionId id) const { return qobject_cast<QTreeWidget*>(Pane(id)); }

void CMainDialog::SetStatusText(const QString& text)
{
    if (!m_statusText)
        return;
    m_statusText->setText(text);
    Q_EMIT StatusTextShown(text);
}

QString CMainDialog::StatusText() const { return m_statusText ? m_statusText->text() : QString(); }

void CMainDialog::SetFireWalls(const QString& strFinger, const QString& strWhoIs)
{
    m_options.strFingerFireWall = strFinger;
    m_options.strWhoIsFireWall = strWhoIs;
}

void CMainDialog::SetOutputFont(const QFont& font)
{
    m_options.fontOutput = font;
    for (FunctionId id : {FunctionId::Finger, FunctionId::WhoIs, FunctionId::NameServerLookUp,
                          FunctionId::QuoteOfDay})
        TextPane(id)->setFont(font);
}

bool CMainDialog::eventFilter(QObject* watched, QEvent* event)
{
    // The frame's size is known once the window manager shows the window.
    if (m_bPlaceFrameWhenExposed && event->type() == QEvent::Expose
        && watched == static_cast<QObject*>(windowHandle())) {
        m_bPlaceFrameWhenExposed = false;
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

bool CMainDialog::HandleKey(int key)
{
    switch (key) {
    case Qt::Key_Escape:
        OnStop();
        return true;
    case Qt::Key_F10:
        RunCommand(ID_OUTPUT_FONT);
        return true;
    case Qt::Key_F11:
        RunCommand(ID_FIREWALLS);
        return true;
    case Qt::Key_F12:
        RunCommand(ID_PHONEBOOK);
        return true;
    default:
        return false;
    }
}

} // namespace netsonde
