// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/echo/EchoService.h"

#include "platform/echo/EchoHandleLinux.h"
#include "platform/echo/EchoSocketLinux.h"
#include "platform/posix/ShutdownSignal.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>

namespace netsonde::echo {

namespace {

constexpr std::size_t kMaxSysctlTextSize = 64;

std::uint16_t RandomWord()
{
    std::random_device source;
    return static_cast<std::uint16_t>(source());
}

// Raw sockets see every echo reply of the host: each handle gets an identifier of its
// own, starting from a random one so that other programs are unlikely to share it.
std::uint16_t NextRawIdentifier()
{
    static std::atomic<std::uint16_t> next{RandomWord()};
    return next.fetch_add(1);
}

std::string ReadSysctlText(const char* path)
{
    std::FILE* file = std::fopen(path, "re");
    if (file == nullptr)
        return "unreadable";
    std::array<char, kMaxSysctlTextSize> text{};
    const std::size_t size = std::fread(text.data(), 1, text.size() - 1, file);
    std::fclose(file);
    std::string value(text.data(), size);
    while (!value.empty() && (value.back() == '\n' || value.back() == ' '))
        value.pop_back();
    for (char& c : value) {
        if (c == '\t')
            c = ' ';
    }
    return value;
}

// "ICMP" or "ICMPv6": the protocol of the family's echo messages.
std::string ProtocolName(IpFamily family)
{
    return family == IpFamily::IPv6 ? "ICMPv6" : "ICMP";
}

std::string KindInUse(IpFamily family, EchoSocketKind kind)
{
    return kind == EchoSocketKind::Datagram
               ? ProtocolName(family) + " datagram socket (unprivileged, allowed by net.ipv4.ping_group_range)"
               : "raw " + ProtocolName(family) + " socket (CAP_NET_RAW)";
}

std::string WhyDatagramFailed(IpFamily family, int error)
{
    return ProtocolName(family) + " datagram socket: " + std::string(std::strerror(error))
           + " (the user's group must be inside net.ipv4.ping_group_range, now \""
           + ReadSysctlText("/proc/sys/net/ipv4/ping_group_range") + "\")";
}

std::string WhyRawFailed(IpFamily family, int error)
{
    return "raw " + ProtocolName(family) + " socket: " + std::string(std::strerror(error))
           + " (needs CAP_NET_RAW: run \"setcap cap_net_raw+ep\" on the executable)";
}

std::string NoSocketOpens(IpFamily family, const std::string& reason)
{
    return "No " + ProtocolName(family) + " socket can be opened. " + reason;
}

// The socket kind one family uses, or why it has none.
struct FamilyMethod {
    std::optional<EchoSocketKind> kind;
    std::string description;
};

FamilyMethod FindMethod(IpFamily family, EchoSocketChoice choice)
{
    std::string reasons;
    if (choice != EchoSocketChoice::RawOnly) {
        const auto opened = OpenEchoSocket(family, EchoSocketKind::Datagram);
        if (opened.socket.IsValid())
            return {EchoSocketKind::Datagram, KindInUse(family, EchoSocketKind::Datagram)};
        reasons = WhyDatagramFailed(family, opened.error);
    }
    if (choice != EchoSocketChoice::DatagramOnly) {
        const auto opened = OpenEchoSocket(family, EchoSocketKind::Raw);
        if (opened.socket.IsValid())
            return {EchoSocketKind::Raw, KindInUse(family, EchoSocketKind::Raw)};
        reasons += (reasons.empty() ? "" : "; ") + WhyRawFailed(family, opened.error);
    }
    return {std::nullopt, NoSocketOpens(family, reasons + ".")};
}

std::size_t IndexOf(IpFamily family)
{
    return family == IpFamily::IPv6 ? 1 : 0;
}

using FamilyMethods = std::array<FamilyMethod, 2>; // IPv4, IPv6

class EchoServiceLinux final : public EchoService {
public:
    EchoServiceLinux(FamilyMethods methods, std::shared_ptr<ShutdownSignal> shutdown)
        : m_methods(std::move(methods)), m_shutdown(std::move(shutdown))
    {
    }

    bool IsLoaded(IpFamily family) const override { return SocketKind(family).has_value(); }
    std::optional<EchoSocketKind> SocketKind(IpFamily family) const override { return m_methods[IndexOf(family)].kind; }
    std::string Description(IpFamily family) const override { return m_methods[IndexOf(family)].description; }

    std::unique_ptr<EchoHandle> CreateHandle(IpFamily family, std::shared_ptr<const ShutdownSignal> runWake) override
    {
        const auto kind = SocketKind(family);
        if (!kind)
            return nullptr;
        auto opened = OpenEchoSocket(family, *kind);
        if (!opened.socket.IsValid())
            return nullptr;
        return std::make_unique<EchoHandleLinux>(family, *kind, std::move(opened.socket), NextRawIdentifier(),
                                                 RandomWord(), m_shutdown, std::move(runWake));
    }

    void ShutdownAll() override
    {
        if (m_shutdown)
            m_shutdown->Raise();
    }

private:
    const FamilyMethods m_methods;
    const std::shared_ptr<ShutdownSignal> m_shutdown;
};

std::shared_ptr<EchoService> NotLoaded(const std::string& reason)
{
    return std::make_shared<EchoServiceLinux>(
        FamilyMethods{FamilyMethod{std::nullopt, NoSocketOpens(IpFamily::IPv4, reason)},
                      FamilyMethod{std::nullopt, NoSocketOpens(IpFamily::IPv6, reason)}},
        nullptr);
}

} // namespace

bool IsLoadedForAnyFamily(const EchoService& service)
{
    return service.IsLoaded(IpFamily::IPv4) || service.IsLoaded(IpFamily::IPv6);
}

std::shared_ptr<EchoService> LoadEchoService(EchoSocketChoice choice)
{
    auto shutdown = std::make_shared<ShutdownSignal>();
    if (!shutdown->IsValid())
        return NotLoaded("No event descriptor for waking waiting requests: " + std::string(std::strerror(errno)));
    return std::make_shared<EchoServiceLinux>(
        FamilyMethods{FindMethod(IpFamily::IPv4, choice), FindMethod(IpFamily::IPv6, choice)}, std::move(shutdown));
}

} // namespace netsonde::echo
