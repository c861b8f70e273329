// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

namespace netsonde {

// The program's icon, drawn in code.
QIcon AppIcon();

} // namespace netsonde
