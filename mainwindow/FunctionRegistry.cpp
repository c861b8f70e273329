#include "mainwindow/FunctionRegistry.h"

#include "icmp/IcmpFunctions.h"
#include "mainwindow/HostCheckFunction.h"
#include "mainwindow/MainDialog.h"

#include <memory>

namespace netsonde {

void InstallFunctions(CMainDialog& dialog)
{
    for (int i = 0; i < kFunctionCount; ++i) {
        const auto id = static_cast<FunctionId>(i);
        dialog.SetFunction(id, std::make_unique<CHostCheckFunction>(dialog, id));
    }
    InstallIcmpFunctions(dialog);
}

} // namespace netsonde
