// SPDX-License-Identifier: GPL-3.0-or-later
// The run's inputs read from the current page at Go, and the page's Recent
// List entries once the run has begun.

#include "mainwindow/MainDialog.h"

#include "pages/PropertyPage.h"

namespace netsonde {

RunInputs MainDialog::ReadInputs(FunctionId id)
{
    RunInputs inputs;
    inputs.function = id;
    Page(id)->WriteInputs(inputs);
    inputs.preference = m_options.preferIPv6 ? AddressPreference::PreferIPv6 : AddressPreference::PreferIPv4;
    inputs.fireWall = id == FunctionId::Finger  ? m_options.fingerFireWall
                      : id == FunctionId::WhoIs ? m_options.whoIsFireWall
                                                : QString();
    return inputs;
}

void MainDialog::RecordRecentHost(const RunInputs& inputs)
{
    Page(inputs.function)->RecordRun(inputs);
}

} // namespace netsonde
