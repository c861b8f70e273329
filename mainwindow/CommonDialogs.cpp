// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/CommonDialogs.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QPrintDialog>
#include <QPrinter>

namespace netsonde {

namespace {

std::optional<QString> ChooseSavePathWithDialog(QWidget* parent)
{
    QFileDialog dialog(parent);
    ConfigureSaveDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QFont> ChooseFontWithDialog(QWidget* parent, const QFont& initial)
{
    QFontDialog dialog(initial, parent);
    ConfigureFontDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}

bool ChoosePrinterWithDialog(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    ConfigurePrintDialog(dialog);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

void ConfigureSaveDialog(QFileDialog& dialog)
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setNameFilters({QStringLiteral("Text Files (*.txt)"), QStringLiteral("All Files (*.*)")});
    dialog.selectFile(QStringLiteral("Output"));
    // Overwriting an existing file is confirmed by the dialog itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
}

// The font dialog offers no effects: its own widgets are used, and the group
// holding the underline and strike-out choices is hidden.
void ConfigureFontDialog(QFontDialog& dialog)
{
    dialog.setOption(QFontDialog::DontUseNativeDialog, true);
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
        if (!group->findChildren<QCheckBox*>().isEmpty())
            group->hide();
    }
}

void ConfigurePrintDialog(QPrintDialog& dialog)
{
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize
                      | QAbstractPrintDialog::PrintCollateCopies);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
}

CommonDialogs PlatformCommonDialogs()
{
    CommonDialogs dialogs;
    dialogs.chooseSavePath = ChooseSavePathWithDialog;
    dialogs.chooseFont = ChooseFontWithDialog;
    dialogs.choosePrinter = ChoosePrinterWithDialog;
    dialogs.runModal = [](QDialog& dialog) { return dialog.exec(); };
    dialogs.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    dialogs.now = [] { return QDateTime::currentDateTime(); };
    return dialogs;
}

CommonDialogs& ActiveCommonDialogs()
{
    static CommonDialogs dialogs = PlatformCommonDialogs();
    return dialogs;
}

} // namespace netsonde
