// SPDX-License-Identifier: GPL-3.0-or-later
// Menu 140 and the commands the main window handles itself.

#include "mainwindow/MainDialog.h"

#include "pages/PropertyPage.h"
#include "settings/SettingsKeys.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace netsonde {

void MainDialog::CreateMenu()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);

    QMenu* file = m_menuBar->addMenu(QStringLiteral("&File"));
    m_actions.fileSave = AddAction(file, QStringLiteral("&Save"));
    m_actions.copyResults = AddAction(file, QStringLiteral("&Copy results to clipboard"));
    file->addSeparator();
    m_actions.filePrint = AddAction(file, QStringLiteral("&Print"));
    file->addSeparator();
    m_actions.exit = AddAction(file, QStringLiteral("E&xit"));

    QMenu* options = m_menuBar->addMenu(QStringLiteral("&Options"));
    m_actions.rememberWindowPosition = AddAction(options, QStringLiteral("Remember Window Position"), true);
    m_actions.rememberLastFunction = AddAction(options, QStringLiteral("Remember Last Function"), true);
    m_actions.smartAddressSplitting = AddAction(options, QStringLiteral("Smart Address Splitting"), true);
    m_actions.preferIPv6 = AddAction(options, QStringLiteral("Prefer IPv6"), true);
    options->addSeparator();
    m_actions.probeOneHopAtATime =
        AddStoredOption(options, QStringLiteral("Probe one hop at a time"), SettingKey::TraceRouteOneHopAtATime);
    m_actions.showAsNumbers =
        AddStoredOption(options, QStringLiteral("Show AS numbers"), SettingKey::TraceRouteShowAsNumbers);
    options->addSeparator();
    m_actions.clearRecentList = AddAction(options, QStringLiteral("&Clear Recent List"));
    options->addSeparator();
    m_actions.outputFont = AddAction(options, QStringLiteral("Output Font\tF10"));
    m_actions.fireWalls = AddAction(options, QStringLiteral("FireWalls\tF11"));
    m_actions.phonebook = AddAction(options, QStringLiteral("Phonebook\tF12"));
    m_actions.lookUpOptions = AddAction(options, QStringLiteral("Name Server LookUp"));

    QMenu* help = m_menuBar->addMenu(QStringLiteral("&Help"));
    m_actions.helpContents = AddAction(help, QStringLiteral("&Contents\tF1"));
    m_actions.helpOnHelp = AddAction(help, QStringLiteral("&Help on Help"));
    help->addSeparator();
    QMenu* online = help->addMenu(QStringLiteral("Go Online and ..."));
    m_actions.visitHomepage = AddAction(online, QStringLiteral("&Visit the Netsonde Homepage"));
    m_actions.giveFeedback = AddAction(online, QStringLiteral("&Give Feedback"));
    help->addSeparator();
    m_actions.winsockInformation = AddAction(help, QStringLiteral("&Winsock Information"));
    m_actions.about = AddAction(help, QStringLiteral("&About Netsonde"));

    EnableOutputActions(false);
    ConnectOwnActions();
}

// The key text after the tab is shown; the keys themselves are caught by the
// window's key check. A checkable item's mark is set again by its handler
// from the option.
QAction* MainDialog::AddAction(QMenu* menu, const QString& label, bool checkable)
{
    QAction* action = menu->addAction(label);
    action->setCheckable(checkable);
    return action;
}

QAction* MainDialog::AddStoredOption(QMenu* menu, const QString& label, SettingKey key)
{
    QAction* action = AddAction(menu, label, true);
    action->setChecked(ReadFlagSetting(key));
    connect(action, &QAction::toggled, action, [key](bool on) { WriteFlagSetting(key, on); });
    return action;
}

void MainDialog::ConnectOwnActions()
{
    connect(m_actions.exit, &QAction::triggered, this, &MainDialog::OnExit);
    connect(m_actions.rememberWindowPosition, &QAction::triggered, this, &MainDialog::OnRememberWindowPosition);
    connect(m_actions.rememberLastFunction, &QAction::triggered, this, &MainDialog::OnRememberLastFunction);
    connect(m_actions.smartAddressSplitting, &QAction::triggered, this, &MainDialog::OnSmartAddressSplitting);
    connect(m_actions.preferIPv6, &QAction::triggered, this, &MainDialog::OnPreferIPv6);
    connect(m_actions.clearRecentList, &QAction::triggered, this, &MainDialog::OnClearRecentList);
}

void MainDialog::EnableOutputActions(bool enable)
{
    for (QAction* action : {m_actions.fileSave, m_actions.copyResults, m_actions.filePrint})
        action->setEnabled(enable);
}

void MainDialog::OnClearRecentList()
{
    Page(CurrentFunction())->ClearRecentList();
}

void MainDialog::OnExit()
{
    accept();
}

} // namespace netsonde
