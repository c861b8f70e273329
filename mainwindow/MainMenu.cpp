// SPDX-License-Identifier: GPL-3.0-or-later
// Menu 140 and the commands the main window handles itself.

#include "mainwindow/MainDialog.h"

#include "pages/PropertyPage.h"
#include "resources/ResourceIds.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace netsonde {

void CMainDialog::CreateMenu()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);

    QMenu* file = m_menuBar->addMenu(QStringLiteral("&File"));
    AddCommand(file, ID_FILE_SAVE, QStringLiteral("&Save"));
    AddCommand(file, ID_COPY_RESULTS, QStringLiteral("&Copy results to clipboard"));
    file->addSeparator();
    AddCommand(file, ID_FILE_PRINT, QStringLiteral("&Print"));
    file->addSeparator();
    AddCommand(file, ID_EXIT, QStringLiteral("E&xit"));

    QMenu* options = m_menuBar->addMenu(QStringLiteral("&Options"));
    AddCommand(options, ID_REMEMBER_WINDOW_POSITION, QStringLiteral("Remember Window Position"), true);
    AddCommand(options, ID_REMEMBER_LAST_FUNCTION, QStringLiteral("Remember Last Function"), true);
    AddCommand(options, ID_SMART_ADDRESS_SPLITTING, QStringLiteral("Smart Address Splitting"), true);
    AddCommand(options, ID_PREFER_IPV6, QStringLiteral("Prefer IPv6"), true);
    options->addSeparator();
    AddCommand(options, ID_CLEAR_RECENT_LIST, QStringLiteral("&Clear Recent List"));
    options->addSeparator();
    AddCommand(options, ID_OUTPUT_FONT, QStringLiteral("Output Font\tF10"));
    AddCommand(options, ID_FIREWALLS, QStringLiteral("FireWalls\tF11"));
    AddCommand(options, ID_PHONEBOOK, QStringLiteral("Phonebook\tF12"));

    QMenu* help = m_menuBar->addMenu(QStringLiteral("&Help"));
    AddCommand(help, ID_HELP_CONTENTS, QStringLiteral("&Contents\tF1"));
    AddCommand(help, ID_HELP_ON_HELP, QStringLiteral("&Help on Help"));
    help->addSeparator();
    QMenu* online = help->addMenu(QStringLiteral("Go Online and ..."));
    AddCommand(online, ID_VISIT_HOMEPAGE, QStringLiteral("&Visit the Netsonde Homepage"));
    AddCommand(online, ID_GIVE_FEEDBACK, QStringLiteral("&Give Feedback"));
    help->addSeparator();
    AddCommand(help, ID_WINSOCK_INFORMATION, QStringLiteral("&Winsock Information"));
    AddCommand(help, ID_ABOUT, QStringLiteral("&About Netsonde"));

    for (int command : {ID_FILE_SAVE, ID_COPY_RESULTS, ID_FILE_PRINT})
        m_commandEnabled[command] = false;

    SetCommandHandler(ID_EXIT, [this] { OnExit(); });
    SetCommandHandler(ID_REMEMBER_WINDOW_POSITION, [this] { OnRememberWindowPosition(); });
    SetCommandHandler(ID_REMEMBER_LAST_FUNCTION, [this] { OnRememberLastFunction(); });
    SetCommandHandler(ID_SMART_ADDRESS_SPLITTING, [this] { OnSmartAddressSplitting(); });
    SetCommandHandler(ID_PREFER_IPV6, [this] { OnPreferIPv6(); });
    SetCommandHandler(ID_CLEAR_RECENT_LIST, [this] { OnClearRecentList(); });
}

QAction* CMainDialog::AddCommand(QMenu* menu, int commandId, const QString& label, bool checkable)
{
    QAction* action = menu->addAction(label);
    action->setData(commandId);
    action->setCheckable(checkable);
    // The key text after the tab is shown; the keys themselves are caught by
    // the window's key check.
    connect(action, &QAction::triggered, this, [this, commandId] { RunCommand(commandId); });
    m_commands[commandId] = action;
    UpdateCommand(commandId);
    return action;
}

QAction* CMainDialog::Command(int commandId) const
{
    const auto found = m_commands.find(commandId);
    return found == m_commands.end() ? nullptr : found->second;
}

void CMainDialog::SetCommandHandler(int commandId, std::function<void()> handler)
{
    m_commandHandlers[commandId] = std::move(handler);
    UpdateCommand(commandId);
}

void CMainDialog::SetCommandEnabled(int commandId, bool enabled)
{
    m_commandEnabled[commandId] = enabled;
    UpdateCommand(commandId);
}

void CMainDialog::UpdateCommand(int commandId)
{
    QAction* action = Command(commandId);
    if (!action)
        return;
    const auto wanted = m_commandEnabled.find(commandId);
    const bool stateAllows = wanted == m_commandEnabled.end() || wanted->second;
    action->setEnabled(stateAllows && m_commandHandlers.count(commandId) != 0);
}

void CMainDialog::RunCommand(int commandId)
{
    QAction* action = Command(commandId);
    const auto handler = m_commandHandlers.find(commandId);
    if (!action || !action->isEnabled() || handler == m_commandHandlers.end())
        return;
    // A checkable item's mark is set again by its handler from the option.
    handler->second();
}

void CMainDialog::OnClearRecentList() { Page(CurrentFunction())->ClearRecentList(); }

void CMainDialog::OnExit() { accept(); }

} // namespace netsonde
