// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Output Font (F10): the font of the four text panes, chosen in the font
// dialog and kept in the settings store.

namespace netsonde {

class MainDialog;

// The font dialog starts on the Finger pane's font; a confirmed choice,
// without underline or strike-out, goes to the four text panes (not the
// result lists) and to "Options"/"Font" as a font record.
void OnOutputFont(MainDialog& dialog);

} // namespace netsonde
