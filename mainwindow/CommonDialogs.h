// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The platform's common dialogs and the desktop's link handler, each behind
// one replaceable function, so that tests can answer them: a chosen path, a
// chosen font, a printer that writes a PDF file, a modal dialog closed at
// once, a link noted instead of opened.

#include <QDateTime>
#include <QFont>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QDialog;
class QFileDialog;
class QFontDialog;
class QPrintDialog;
class QPrinter;
class QWidget;

namespace netsonde {

struct CommonDialogs {
    // The save-file dialog; the chosen path, or nothing when cancelled.
    std::function<std::optional<QString>(QWidget* parent)> chooseSavePath;
    // The font dialog started on `initial`; the chosen font, or nothing.
    std::function<std::optional<QFont>(QWidget* parent, const QFont& initial)> chooseFont;
    // The print dialog for `printer`; true when the user confirmed.
    std::function<bool(QWidget* parent, QPrinter& printer)> choosePrinter;
    // Runs a dialog of the program modally and returns its result.
    std::function<int(QDialog& dialog)> runModal;
    // Opens a web page or a mail address with the desktop's default handler.
    std::function<void(const QUrl& url)> openUrl;
    // The local date and time that exported text is stamped with.
    std::function<QDateTime()> now;
};

// The platform's own dialogs, handler and clock.
CommonDialogs PlatformCommonDialogs();

// The ones in use; tests replace members and put PlatformCommonDialogs() back.
CommonDialogs& ActiveCommonDialogs();

// The options of the program's save, font and print dialogs.
void ConfigureSaveDialog(QFileDialog& dialog);
void ConfigureFontDialog(QFontDialog& dialog);
void ConfigurePrintDialog(QPrintDialog& dialog);

} // namespace netsonde
