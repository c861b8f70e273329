// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's message box: modal, titled with the application's name.

namespace netsonde {

// Makes the modal box the default way a message is shown.
void UseModalMessageBoxes();

} // namespace netsonde
