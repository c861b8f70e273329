#include "mainwindow/FunctionRegistry.h"

#include "dns/NameServerLookUp.h"
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
    dialog.SetFunction(FunctionId::NameServerLookUp, std::make_unique<CNameServerLookUp>(dialog));
}

} // namespace netsonde
