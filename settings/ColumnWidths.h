// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The widths of a results list's four columns as stored under "Columns":
// "%d,%d,%d,%d".

#include <QString>

#include <array>
#include <optional>

namespace netsonde {

using ColumnWidths = std::array<int, 4>;

QString FormatColumnWidths(const ColumnWidths& widths);

// Four integers separated by commas, each at least 0; anything else (only a
// hand-edited store holds it) is not used and the computed widths apply.
std::optional<ColumnWidths> ParseColumnWidths(const QString& text);

} // namespace netsonde
