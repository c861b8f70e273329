// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/IcmpFunctions.h"

#include "icmp/PingFunction.h"
#include "icmp/TraceRouteFunction.h"
#include "platform/echo/EchoService.h"

namespace netsonde {

void InstallIcmpFunctions(RunController& runs, std::shared_ptr<echo::EchoService> service, HostLookups lookups)
{
    runs.SetFunction(FunctionId::Ping, std::make_unique<PingFunction>(runs, service, lookups));
    runs.SetFunction(FunctionId::TraceRoute, std::make_unique<TraceRouteFunction>(runs, service, lookups));
}

QString IcmpServiceDescription(const echo::EchoService* service)
{
    if (service == nullptr)
        return QStringLiteral("The ICMP echo service is turned off.");
    return QStringLiteral("IPv4: ") + QString::fromStdString(service->Description(IpFamily::IPv4))
           + QStringLiteral("\r\nIPv6: ") + QString::fromStdString(service->Description(IpFamily::IPv6));
}

QString IcmpServiceToolTip(const echo::EchoService* service)
{
    if (service != nullptr && echo::IsLoadedForAnyFamily(*service))
        return QStringLiteral("Ping and TraceRoute send their requests through:\n")
               + IcmpServiceDescription(service).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return QStringLiteral("Ping and TraceRoute need an ICMP socket, and none can be opened here. ")
           + IcmpServiceDescription(service);
}

} // namespace netsonde
