// SPDX-License-Identifier: GPL-3.0-or-later
// Menu 140 and the commands the main window handles itself.

#include "mainwindow/MainDialog.h"

#include "pages/PropertyPage.h"
#include "resources/ResourceIds.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace netsonde {

void MainDialog::CreateMenu()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);

    QMenu* file = m_menuBar->addMenu(QStringLiteral("&File"));
    AddCommand(file, kFileSaveCommand, QStringLiteral("&Save"));
    AddCommand(file, kCopyResultsCommand, QStringLiteral("&Copy results to clipboard"));
    file->addSeparator();
    AddCommand(file, kFilePrintCommand, QStringLiteral("&Print"));
    file->addSeparator();
    AddCommand(file, kExitCommand, QStringLiteral("E&xit"));

    QMenu* options = m_menuBar->addMenu(QStringLiteral("&Options"));
    AddCommand(options, kRememberWindowPositionCommand, QStringLiteral("Remember Window Position"), true);
    AddCommand(options, kRememberLastFunctionCommand, QStringLiteral("Remember Last Function"), true);
    AddCommand(options, kSmartAddressSplittingCommand, QStringLiteral("Smart Address Splitting"), true);
    AddCommand(options, kPreferIPv6Command, QStringLiteral("Prefer IPv6"), true);
    options->addSeparator();
    AddCommand(options, kClearRecentListCommand, QStringLiteral("&Clear Recent List"));
    options->addSeparator();
    AddCommand(options, kOutputFontCommand, QStringLiteral("Output Font\tF10"));
    AddCommand(options, kFireWallsCommand, QStringLiteral("FireWalls\tF11"));
    AddCommand(options, kPhonebookCommand, QStringLiteral("Phonebook\tF12"));

    QMenu* help = m_menuBar->addMenu(QStringLiteral("&Help"));
    AddCommand(help, kHelpContentsCommand, QStringLiteral("&Contents\tF1"));
    AddCommand(help, kHelpOnHelpCommand, QStringLiteral("&Help on Help"));
    help->addSeparator();
    QMenu* online = help->addMenu(QStringLiteral("Go Online and ..."));
    AddCommand(online, kVisitHomepageCommand, QStringLiteral("&Visit the Netsonde Homepage"));
    AddCommand(online, kGiveFeedbackCommand, QStringLiteral("&Give Feedback"));
    help->addSeparator();
    AddCommand(help, kWinsockInformationCommand, QStringLiteral("&Winsock Information"));
    AddCommand(help, kAboutCommand, QStringLiteral("&About Netsonde"));

    for (int command : {kFileSaveCommand, kCopyResultsCommand, kFilePrintCommand})
        m_commandEnabled[command] = false;

    SetCommandHandler(kExitCommand, [this] { OnExit(); });
    SetCommandHandler(kRememberWindowPositionCommand, [this] { OnRememberWindowPosition(); });
    SetCommandHandler(kRememberLastFunctionCommand, [this] { OnRememberLastFunction(); });
    SetCommandHandler(kSmartAddressSplittingCommand, [this] { OnSmartAddressSplitting(); });
    SetCommandHandler(kPreferIPv6Command, [this] { OnPreferIPv6(); });
    SetCommandHandler(kClearRecentListCommand, [this] { OnClearRecentList(); });
}

QAction* MainDialog::AddCommand(QMenu* menu, int commandId, const QString& label, bool checkable)
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

QAction* MainDialog::Command(int commandId) const
{
    const auto found = m_commands.find(commandId);
    return found == m_commands.end() ? nullptr : found->second;
}

void MainDialog::SetCommandHandler(int commandId, std::function<void()> handler)
{
    m_commandHandlers[commandId] = std::move(handler);
    UpdateCommand(commandId);
}

void MainDialog::SetCommandEnabled(int commandId, bool enabled)
{
    m_commandEnabled[commandId] = enabled;
    UpdateCommand(commandId);
}

void MainDialog::UpdateCommand(int commandId)
{
    QAction* action = Command(commandId);
    if (!action)
        return;
    const auto wanted = m_commandEnabled.find(commandId);
    const bool stateAllows = wanted == m_commandEnabled.end() || wanted->second;
    action->setEnabled(stateAllows && m_commandHandlers.count(commandId) != 0);
}

void MainDialog::RunCommand(int commandId)
{
    QAction* action = Command(commandId);
    const auto handler = m_commandHandlers.find(commandId);
    if (!action || !action->isEnabled() || handler == m_commandHandlers.end())
        return;
    // A checkable item's mark is set again by its handler from the option.
    handler->second();
}

void MainDialog::OnClearRecentList() { Page(CurrentFunction())->ClearRecentList(); }

void MainDialog::OnExit() { accept(); }

} // namespace netsonde
