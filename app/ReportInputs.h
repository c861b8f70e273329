// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The inputs of a report-mode run: the stored page values, read through the
// settings key table and never written, with the options of the run on top.

#include "app/ReportOptions.h"
#include "run/RunInputs.h"

namespace netsonde {

// Why an option lies outside its field's range, or empty.
QString ReportRangeError(const ReportOptions& options);

RunInputs ReportInputs(const ReportOptions& options);

} // namespace netsonde
