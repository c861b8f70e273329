// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for tests of the main window: a fresh settings store per case,
// and controls found by their IDs. The window's parts and their controls
// come in as complete types.

#include "app/CommandLineOptions.h"
#include "app/Functions.h"
#include "mainwindow/MainDialog.h"
#include "mainwindow/OutputPane.h"
#include "mainwindow/TabControl.h"
#include "pages/NameServerLookUpPage.h"
#include "pages/PingPage.h"
#include "pages/QuoteOfDayPage.h"
#include "pages/TraceRoutePage.h"
#include "pages/UserHostPage.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsStore.h"
#include "widgets/AnimationControl.h"
#include "widgets/ControlIds.h"
#include "widgets/SpinField.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace netsonde::test {

// Removes every stored value, so each case starts as a first start.
inline void ResetSettings()
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvelin"),
                    QCoreApplication::applicationName());
    store.clear();
    store.sync();
}

// A main window as the program shows it, after the command line (the
// arguments after the program name) has been parsed into it.
// A resolver given here answers the lookups of a run the command line starts.
inline std::unique_ptr<MainDialog> OpenMainDialog(const QStringList& arguments = {},
                                                  std::unique_ptr<IResolver> resolver = nullptr)
{
    MainDialog::SetFunctionInstaller([](RunController& runs, std::shared_ptr<echo::EchoService> service) {
        InstallFunctions(runs, std::move(service));
    });
    auto dialog = std::make_unique<MainDialog>();
    bool fromSwitch = false;
    QString commandLine;
    CommandLineOptions(fromSwitch, commandLine).ParseCommandLine(arguments);
    dialog->SetCommandLine(fromSwitch, commandLine);
    if (resolver)
        dialog->SetResolver(std::move(resolver));
    dialog->show();
    if (!QTest::qWaitForWindowExposed(dialog.get()))
        qWarning("main window not exposed");
    return dialog;
}

template <typename T>
T* Control(const QWidget* dialog, int id)
{
    T* control = FindControlAs<T>(dialog, id);
    if (!control)
        qFatal("no control %d", id);
    return control;
}

} // namespace netsonde::test
