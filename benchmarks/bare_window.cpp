// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for the window figures: a bare Qt Widgets dialog of the same
// shape as Netsonde's (six tabs, each with a drop-down list and a few fields,
// a status bar), shown modally. It is timed exactly as Netsonde is: the window
// probe marks its first idle moment and then closes it.

#include "window_probe.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QWidget* NewTab()
{
    auto* tab = new QWidget;
    auto* form = new QFormLayout(tab);
    auto* host = new QComboBox;
    host->setEditable(true);
    host->addItems({QStringLiteral("localhost"), QStringLiteral("example.test")});
    form->addRow(QStringLiteral("Host:"), host);
    form->addRow(QStringLiteral("Port:"), new QLineEdit(QStringLiteral("7")));
    form->addRow(QStringLiteral("Timeout:"), new QLineEdit(QStringLiteral("5000")));
    form->addRow(new QPushButton(QStringLiteral("Start")));
    return tab;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    netsonde::bench::ArmWindowProbe();
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* tabs = new QTabWidget;
    for (const char* name : {"Ping", "Trace", "Finger", "Whois", "Lookup", "Quote"})
        tabs->addTab(NewTab(), QString::fromLatin1(name));
    layout->addWidget(tabs);
    auto* status = new QStatusBar;
    status->showMessage(QStringLiteral("Ready"));
    layout->addWidget(status);
    dialog.exec();
    return 0;
}
