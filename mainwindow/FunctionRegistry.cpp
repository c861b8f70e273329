#include "mainwindow/FunctionRegistry.h"

#include "dns/NameServerLookUp.h"
#include "query/TextQueryFunction.h"
#include "run/RunController.h"

#include <memory>

namespace netsonde {

void InstallTextFunctions(CRunController& runs)
{
    InstallTextQueryFunctions(runs);
    runs.SetFunction(FunctionId::NameServerLookUp, std::make_unique<CNameServerLookUp>(runs));
}

} // namespace netsonde
