// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's initialisation: the settings read, the pages made, the
// echo service loaded and the function table filled, and the command line's
// start.

#include "icmp/IcmpFunction.h"
#include "icmp/IcmpFunctions.h"
#include "mainwindow/FireWallDialog.h"
#include "mainwindow/MainDialog.h"
#include "mainwindow/MenuCommands.h"
#include "mainwindow/OutputPane.h"
#include "mainwindow/ResponseTimeDelegate.h"
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

MainDialog::EchoServiceLoader& EchoServiceLoaderFunction()
{
    static MainDialog::EchoServiceLoader loader;
    return loader;
}

MainDialog::FunctionInstaller& FunctionInstallerFunction()
{
    static MainDialog::FunctionInstaller installer;
    return installer;
}

std::shared_ptr<echo::EchoService> LoadConfiguredEchoService()
{
    const MainDialog::EchoServiceLoader& loader = EchoServiceLoaderFunction();
    return loader ? loader() : echo::LoadEchoService();
}

} // namespace

void MainDialog::SetEchoServiceLoader(EchoServiceLoader loader)
{
    EchoServiceLoaderFunction() = std::move(loader);
}

void MainDialog::SetFunctionInstaller(FunctionInstaller installer)
{
    FunctionInstallerFunction() = std::move(installer);
}

void MainDialog::InitDialog()
{
    if (m_initialised)
        return;
    const int initialFunction = ReadSettingsAndCreate();
    m_animation->Open();
    StartFromCommandLine(initialFunction);
}

// Everything stored is read from one open store.
int MainDialog::ReadSettingsAndCreate()
{
    const SettingsBatch batch;
    m_crWindow = palette().color(QPalette::Window);
    setWindowIcon(AppIcon());
    ReadOptions();
    const int initialFunction = ChooseInitialFunction();

    m_statusBar = new QStatusBar(this);
    SetControlId(m_statusBar, kStatusBarControl);
    m_statusBar->setSizeGripEnabled(true);
    m_statusText = new QLabel(m_statusBar);
    m_statusBar->addWidget(m_statusText, 1);
    CreateRunSummary();
    m_statusBar->hide();
    SetStatusText(QStringLiteral("Ready"));

    CreatePages(initialFunction);
    SelectInitialFunction(initialFunction);
    SetUpResultColumns();
    LoadIcmpLibrary();
    m_options.fingerFireWall = ReadTextSetting(SettingKey::FingerFireWall);
    m_options.whoIsFireWall = ReadTextSetting(SettingKey::WhoIsFireWall);
    ReadOutputFont();
    m_initialised = true;
    MakeCompact();
    RestoreWindowPlacement();
    return initialFunction;
}

int MainDialog::ChooseInitialFunction()
{
    int initial = m_options.lastFunction;
    if (m_fromSwitch) {
        const QString code = m_commandLine.left(2);
        const int fromCommand =
            code.size() == 2 && code.at(1) == QLatin1Char(' ') ? FunctionOfLetter(code.at(0).toLatin1()) : -1;
        if (fromCommand >= 0)
            initial = fromCommand;
        else
            m_fromSwitch = false;
    }
    // A hand-edited store may hold any number: such a value starts on Ping.
    return initial >= 0 && initial < kFunctionCount ? initial : -1;
}

void MainDialog::CreatePages(int initialFunction)
{
    m_pages[Index(FunctionId::Ping)] = new PingPage(m_tab);
    m_pages[Index(FunctionId::TraceRoute)] = new TraceRoutePage(m_tab);
    auto* finger = new FingerPage(m_tab);
    auto* whois = new WhoIsPage(m_tab);
    for (UserHostPage* page : {static_cast<UserHostPage*>(finger), static_cast<UserHostPage*>(whois)})
        page->SetSmartSplittingSource([this] { return m_options.smartSplitting; });
    m_pages[Index(FunctionId::Finger)] = finger;
    m_pages[Index(FunctionId::WhoIs)] = whois;
    m_pages[Index(FunctionId::NameServerLookUp)] = new NameServerLookUpPage(m_tab);
    m_pages[Index(FunctionId::QuoteOfDay)] = new QuoteOfDayPage(m_tab);

    const int shown = initialFunction < 0 ? Index(FunctionId::Ping) : initialFunction;
    for (const FunctionInfo& function : FunctionTable)
        m_tab->AddTab(QString::fromLatin1(function.tabLabel));
    const int pageTop = m_tab->ClientRect().top() + 2;
    for (int i = 0; i < kFunctionCount; ++i) {
        PropertyPage* page = m_pages[i];
        page->Create();
        page->setGeometry(2, pageTop, m_tab->width() - 4, m_tab->height() - pageTop - 2);
        page->setVisible(i == shown);
        page->setEnabled(i == shown);
    }
}

void MainDialog::SelectInitialFunction(int initialFunction)
{
    const int index = initialFunction < 0 ? Index(FunctionId::Ping) : initialFunction;
    {
        const QSignalBlocker blocker(m_tab);
        m_tab->SetCurrentIndex(index);
    }
    UpdateWindowTitle(index);
    PropertyPage* page = m_pages[index];
    page->SelectInitialEntries();
    page->FocusHost();
}

void MainDialog::LoadIcmpLibrary()
{
    m_echoService = LoadConfiguredEchoService();
    if (const FunctionInstaller& install = FunctionInstallerFunction())
        install(*m_runs, m_echoService);
    m_icmpAvailable = m_echoService && echo::IsLoadedForAnyFamily(*m_echoService);
    const QString toolTip = IcmpServiceToolTip(m_echoService.get());
    for (FunctionId id : {FunctionId::Ping, FunctionId::TraceRoute})
        Page(id)->setToolTip(toolTip);
    if (m_icmpAvailable)
        return;
    for (FunctionId id : {FunctionId::Ping, FunctionId::TraceRoute}) {
        for (QWidget* control : Page(id)->InputControls()) {
            control->setEnabled(false);
            control->setToolTip(toolTip);
        }
    }
}

void MainDialog::StartFromCommandLine(int initialFunction)
{
    if (!m_fromSwitch || initialFunction < 0)
        return;
    const QString host = m_commandLine.mid(2);
    if (host.isEmpty())
        return;
    PropertyPage* page = m_pages[initialFunction];
    page->m_host = host;
    if (initialFunction == Index(FunctionId::NameServerLookUp))
        NameServerLookUpTab()->SelectFirstSearchType();
    page->Refresh();
    OnGo();
}

} // namespace netsonde
