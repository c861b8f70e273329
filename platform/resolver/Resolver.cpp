// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/resolver/Resolver.h"

#include "platform/AppMessages.h"
#include "platform/resolver/HostLookup.h"
#include "platform/resolver/ThreadedResolver.h"

#include <QtEndian>

namespace netsonde {

std::unique_ptr<IResolver> CreateSystemResolver(int nMaxThreads)
{
    return std::make_unique<CThreadedResolver>(CHostLookups::System(), nMaxThreads);
}

const CHostEntry* HostEntryOf(const CAppMessageEvent& event)
{
    return std::any_cast<CHostEntry>(&event.Result());
}

QString FormatIPv4Address(std::uint32_t address)
{
    const std::uint32_t hostOrder = qFromBigEndian(address);
    return QStringLiteral("%1.%2.%3.%4")
        .arg(hostOrder >> 24)
        .arg((hostOrder >> 16) & 0xFF)
        .arg((hostOrder >> 8) & 0xFF)
        .arg(hostOrder & 0xFF);
}

} // namespace netsonde
