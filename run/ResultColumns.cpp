// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/ResultColumns.h"

#include <algorithm>
#include <iterator>

namespace netsonde {

std::vector<ResultColumn> BaseResultColumns()
{
    return {ResultColumn::Number, ResultColumn::Address, ResultColumn::HostName, ResultColumn::ResponseTime};
}

std::vector<ResultColumn> StatisticsColumns()
{
    return {ResultColumn::LossPercent,      ResultColumn::Sent, ResultColumn::Last,
            ResultColumn::Average,          ResultColumn::Best, ResultColumn::Worst,
            ResultColumn::StandardDeviation};
}

std::vector<ResultColumn> ShownResultColumns(FunctionId id, const RunInputs& inputs)
{
    std::vector<ResultColumn> columns = BaseResultColumns();
    if (id == FunctionId::TraceRoute && inputs.showAsNumbers)
        columns.push_back(ResultColumn::AutonomousSystem);
    if (id == FunctionId::TraceRoute && inputs.rounds != 1)
        std::ranges::copy(StatisticsColumns(), std::back_inserter(columns));
    return columns;
}

} // namespace netsonde
