// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/Ipv6AddressText.h"

#include "platform/net/IpAddress.h"

namespace netsonde {

QByteArray Ipv6AddressText(QByteArrayView bytes)
{
    if (bytes.size() != kIpv6AddressSize)
        return QByteArray();
    const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return QByteArray::fromStdString(
        Ipv6Text(std::span<const std::uint8_t, kIpv6AddressBytes>(first, kIpv6AddressBytes)));
}

} // namespace netsonde
