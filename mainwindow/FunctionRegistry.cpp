#include "mainwindow/FunctionRegistry.h"

#include "dns/NameServerLookUp.h"
#include "icmp/IcmpFunctions.h"
#include "mainwindow/MainDialog.h"
#include "query/TextQueryFunction.h"

#include <memory>

namespace netsonde {

void InstallFunctions(CMainDialog& dialog)
{
    InstallIcmpFunctions(dialog);
    dialog.SetFunction(FunctionId::Finger, std::make_unique<CFingerFunction>(dialog));
    dialog.SetFunction(FunctionId::WhoIs, std::make_unique<CWhoIsFunction>(dialog));
    dialog.SetFunction(FunctionId::NameServerLookUp, std::make_unique<CNameServerLookUp>(dialog));
    dialog.SetFunction(FunctionId::QuoteOfDay, std::make_unique<CQuoteOfDayFunction>(dialog));
}

} // namespace netsonde
