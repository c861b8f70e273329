// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The File menu's export commands: Save, Copy results to clipboard and
// Print, all three with the same text, built from the current function's
// page members, its results list or output pane and the local time.

#include "export/ExportText.h"

#include <QString>

class QPrinter;

namespace netsonde {

class MainDialog;

// Copies the panes into the window's output texts, then gathers what the
// current function's export needs.
ExportSource ExportSourceOf(MainDialog& dialog);
QString BuildExportText(MainDialog& dialog);

// Writes the text as UTF-8 to a temporary file beside the path and puts it
// in the path's place only when all of it was written; on failure the path
// is left as it was.
bool SaveTextFile(const QString& path, const QString& text);

// Prints the text as the document "Netsonde Output": the title centred at
// the top of every page, "Page n" at the bottom, the lines in between with
// a margin of "WWWWW" and tabs expanded, not wrapped. A printer that cannot
// start the document or a page ends printing silently.
void PrintExportText(QPrinter& printer, const QString& text);

void OnFileSave(MainDialog& dialog);
void OnCopyResults(MainDialog& dialog);
void OnFilePrint(MainDialog& dialog);

} // namespace netsonde
