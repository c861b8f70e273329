// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/resolver/HostLookup.h"

#include <QStringDecoder>

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace netsonde {

static_assert(kLookupHostNotFound == HOST_NOT_FOUND);
static_assert(kLookupTryAgain == TRY_AGAIN);
static_assert(kLookupNoRecovery == NO_RECOVERY);
static_assert(kLookupNoData == NO_DATA);

namespace {

// Longest name handed to the C library; longer names cannot be host names.
constexpr qsizetype kMaxNameLength = 1024;
// The lookup's work area starts small and grows up to this size.
constexpr std::size_t kFirstBufferSize = 1024;
constexpr std::size_t kMaxBufferSize = 64 * 1024;

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

CHostEntry CopyHostEntry(const hostent& host)
{
    CHostEntry entry;
    if (host.h_name != nullptr)
        entry.strOfficialName = DecodeHostText(host.h_name);
    for (int i = 0; host.h_aliases != nullptr && host.h_aliases[i] != nullptr
                    && i < kMaxHostEntryItems;
         ++i)
        entry.aliases.append(DecodeHostText(host.h_aliases[i]));
    const bool bIPv4 = host.h_addrtype == AF_INET && host.h_length == sizeof(std::uint32_t);
    for (int i = 0; bIPv4 && host.h_addr_list != nullptr && host.h_addr_list[i] != nullptr
                    && i < kMaxHostEntryItems;
         ++i) {
        std::uint32_t address = 0;
        std::memcpy(&address, host.h_addr_list[i], sizeof address);
        entry.addresses.append(CIpAddress::FromIPv4(address));
    }
    return entry;
}

// Runs one reentrant lookup call, growing its work area while the C library
// reports it too small. The call is (host, buffer, size, result, error).
template <typename LookupCall>
CLookupOutcome RunLookup(LookupCall call)
{
    std::vector<char> buffer(kFirstBufferSize);
    for (;;) {
        hostent host{};
        hostent* result = nullptr;
        int hostError = 0;
        const int status = call(&host, buffer.data(), buffer.size(), &result, &hostError);
        if (status == ERANGE && buffer.size() < kMaxBufferSize) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status == 0 && result != nullptr)
            return {kLookupSucceeded, CopyHostEntry(*result)};
        const bool bKnownError = hostError >= kLookupHostNotFound && hostError <= kLookupNoData;
        return {bKnownError ? hostError : kLookupNoRecovery, {}};
    }
}

} // namespace

CLookupOutcome LookUpHostByName(const QByteArray& name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength || name.contains('\0'))
        return {kLookupHostNotFound, {}};
    CLookupOutcome outcome = RunLookup([&name](hostent* host, char* buffer, std::size_t size,
                                               hostent** result, int* hostError) {
        return gethostbyname_r(name.constData(), host, buffer, size, result, hostError);
    });
    if (outcome.nError == kLookupSucceeded && outcome.entry.addresses.isEmpty())
        return {kLookupNoData, {}};
    return outcome;
}

CLookupOutcome LookUpHostByAddress(const CIpAddress& address)
{
    const std::span<const std::uint8_t> bytes = address.Bytes();
    const int family = SocketFamilyOf(address.Family());
    return RunLookup([bytes, family](hostent* host, char* buffer, std::size_t size, hostent** result,
                                     int* hostError) {
        return gethostbyaddr_r(bytes.data(), static_cast<socklen_t>(bytes.size()), family, host,
                               buffer, size, result, hostError);
    });
}

CHostLookups CHostLookups::System()
{
    return {&LookUpHostByName, &LookUpHostByAddress};
}

} // namespace netsonde
