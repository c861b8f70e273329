// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The stored font record and the toolkit's fonts.

#include "settings/FontRecord.h"

#include <QFont>

namespace netsonde {

QFont FontFromRecord(const FontRecord& record);
FontRecord RecordFromFont(const QFont& font);

} // namespace netsonde
