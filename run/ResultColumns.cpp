// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/ResultColumns.h"

namespace netsonde {

std::vector<ResultColumn> BaseResultColumns()
{
    return {ResultColumn::Number, ResultColumn::Address, ResultColumn::HostName, ResultColumn::ResponseTime};
}

std::vector<ResultColumn> ShownResultColumns(FunctionId id, const RunInputs& inputs)
{
    std::vector<ResultColumn> columns = BaseResultColumns();
    if (id == FunctionId::TraceRoute && inputs.showAsNumbers)
        columns.push_back(ResultColumn::AutonomousSystem);
    return columns;
}

} // namespace netsonde
