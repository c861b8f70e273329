// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/resolver/Resolver.h"

#include "platform/resolver/HostLookup.h"
#include "platform/resolver/ThreadedResolver.h"

namespace netsonde {

std::unique_ptr<IResolver> CreateSystemResolver(int maxThreads)
{
    return std::make_unique<ThreadedResolver>(HostLookups::System(), maxThreads);
}

QString FormatIpAddress(const IpAddress& address)
{
    return QString::fromStdString(IpAddressText(address));
}

} // namespace netsonde
