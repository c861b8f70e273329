// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What assistive technology reads from a combo box: the box is named after
// its label (or its own accessible name), and the entry it shows is its
// value. Qt's own interface on Linux names the box after that entry.

namespace netsonde {

// Gives every combo box created from now on this interface; call it once
// the application object exists.
void NameComboBoxesAfterTheirLabels();

} // namespace netsonde
