// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/resolver/Resolver.h"

#include "platform/AppMessages.h"
#include "platform/resolver/HostLookup.h"
#include "platform/resolver/ThreadedResolver.h"

namespace netsonde {

std::unique_ptr<IResolver> CreateSystemResolver(int nMaxThreads)
{
    return std::make_unique<CThreadedResolver>(CHostLookups::System(), nMaxThreads);
}

const CHostEntry* HostEntryOf(const CAppMessageEvent& event)
{
    return std::any_cast<CHostEntry>(&event.Result());
}

QString FormatIpAddress(const CIpAddress& address)
{
    return QString::fromStdString(IpAddressText(address));
}

} // namespace netsonde
