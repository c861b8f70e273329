#include "icmp/IcmpFunctions.h"

#include "icmp/PingFunction.h"
#include "icmp/TraceRouteFunction.h"
#include "mainwindow/MainDialog.h"
#include "platform/echo/EchoService.h"

namespace netsonde {

namespace {

QString DescriptionOf(const echo::EchoService* service)
{
    return service != nullptr ? QString::fromStdString(service->Description())
                              : QStringLiteral("The ICMP echo service is turned off.");
}

} // namespace

void InstallIcmpFunctions(CMainDialog& dialog, CIcmpLookups lookups)
{
    auto session = std::make_shared<CIcmpSession>(dialog, std::move(lookups));
    dialog.SetFunction(FunctionId::Ping, std::make_unique<CPingFunction>(dialog, session));
    dialog.SetFunction(FunctionId::TraceRoute, std::make_unique<CTraceRouteFunction>(dialog, session));
}

QString IcmpServiceDescription(const CMainDialog& dialog) { return DescriptionOf(dialog.EchoService().get()); }

QString IcmpUnavailableToolTip(const echo::EchoService* service)
{
    return QStringLiteral("Ping and TraceRoute need an ICMP socket, and none can be opened here. ")
        + DescriptionOf(service);
}

} // namespace netsonde
