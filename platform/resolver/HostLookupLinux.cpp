// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/resolver/HostLookup.h"

#include <QStringDecoder>

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace netsonde {

static_assert(kLookupHostNotFound == HOST_NOT_FOUND);
static_assert(kLookupTryAgain == TRY_AGAIN);
static_assert(kLookupNoRecovery == NO_RECOVERY);
static_assert(kLookupNoData == NO_DATA);

namespace {

// Longest name handed to the C library; longer names cannot be host names.
constexpr qsizetype kMaxNameLength = 1024;

// Host names are bytes; text that is not UTF-8 is shown as Latin-1.
QString DecodeHostText(const char* text)
{
    const QByteArray bytes(text);
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString decoded = decoder.decode(bytes);
    if (decoder.hasError())
        return QString::fromLatin1(bytes);
    return decoded;
}

int LookupErrorOf(int addressInfoError)
{
    switch (addressInfoError) {
    case EAI_NONAME:
        return kLookupHostNotFound;
    case EAI_AGAIN:
        return kLookupTryAgain;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
        return kLookupNoData;
    default:
        return kLookupNoRecovery;
    }
}

struct AddressInfoRelease {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
using AddressInfoList = std::unique_ptr<addrinfo, AddressInfoRelease>;

void AppendNewAddress(QList<IpAddress>& addresses, const IpAddress& address)
{
    if (addresses.size() < kMaxHostEntryItems && !addresses.contains(address))
        addresses.append(address);
}

// The IPv4 addresses of the list, then its IPv6 ones, each once.
QList<IpAddress> AddressesOf(const addrinfo* list)
{
    QList<IpAddress> ipv4;
    QList<IpAddress> ipv6;
    for (const addrinfo* item = list; item != nullptr; item = item->ai_next) {
        const std::optional<IpAddress> address = IpAddress::FromSockAddr(item->ai_addr, item->ai_addrlen);
        if (address)
            AppendNewAddress(address->IsIPv6() ? ipv6 : ipv4, *address);
    }
    ipv4.append(ipv6);
    ipv4.resize(std::min<qsizetype>(ipv4.size(), kMaxHostEntryItems));
    return ipv4;
}

// The official name is the canonical one; the name asked is its alias when
// it differs.
HostEntry EntryOf(const QByteArray& name, const addrinfo& list)
{
    HostEntry entry;
    const QString asked = DecodeHostText(name.constData());
    entry.officialName = list.ai_canonname != nullptr ? DecodeHostText(list.ai_canonname) : asked;
    if (asked.compare(entry.officialName, Qt::CaseInsensitive) != 0)
        entry.aliases.append(asked);
    entry.addresses = AddressesOf(&list);
    return entry;
}

} // namespace

LookupOutcome LookUpHostByName(const QByteArray& name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength || name.contains('\0'))
        return {kLookupHostNotFound, {}};
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM; // one entry per address
    hints.ai_flags = AI_CANONNAME;
    addrinfo* result = nullptr;
    const int status = getaddrinfo(name.constData(), nullptr, &hints, &result);
    const AddressInfoList list(result);
    if (status != 0)
        return {LookupErrorOf(status), {}};
    if (list == nullptr)
        return {kLookupNoData, {}};
    HostEntry entry = EntryOf(name, *list);
    if (entry.addresses.isEmpty())
        return {kLookupNoData, {}};
    return {kLookupSucceeded, std::move(entry)};
}

LookupOutcome LookUpHostByAddress(const IpAddress& address)
{
    sockaddr_storage socketAddress{};
    const socklen_t length = address.ToSockAddr(0, socketAddress);
    std::array<char, NI_MAXHOST> host{};
    const int status = getnameinfo(reinterpret_cast<const sockaddr*>(&socketAddress), length, host.data(), host.size(),
                                   nullptr, 0, NI_NAMEREQD);
    if (status != 0)
        return {LookupErrorOf(status), {}};
    host.back() = '\0';
    return {kLookupSucceeded, {DecodeHostText(host.data()), {}, {address}}};
}

HostLookups HostLookups::System()
{
    return {&LookUpHostByName, &LookUpHostByAddress};
}

} // namespace netsonde
