// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/echo/EchoService.h"

#include "platform/echo/EchoHandleLinux.h"
#include "platform/echo/EchoSocketLinux.h"
#include "platform/echo/ShutdownSignal.h"

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

std::string KindInUse(EchoSocketKind kind)
{
    return kind == EchoSocketKind::Datagram
        ? "ICMP datagram socket (unprivileged, allowed by net.ipv4.ping_group_range)"
        : "raw ICMP socket (CAP_NET_RAW)";
}

std::string WhyDatagramFailed(int error)
{
    return "ICMP datagram socket: " + std::string(std::strerror(error))
        + " (the user's group must be inside net.ipv4.ping_group_range, now \""
        + ReadSysctlText("/proc/sys/net/ipv4/ping_group_range") + "\")";
}

std::string WhyRawFailed(int error)
{
    return "raw ICMP socket: " + std::string(std::strerror(error))
        + " (needs CAP_NET_RAW: run \"setcap cap_net_raw+ep\" on the executable)";
}

class LinuxEchoService final : public EchoService {
public:
    LinuxEchoService(std::optional<EchoSocketKind> kind, std::string description,
                     std::shared_ptr<ShutdownSignal> shutdown)
        : m_kind(kind)
        , m_description(std::move(description))
        , m_shutdown(std::move(shutdown))
    {
    }

    bool IsLoaded() const override { return m_kind.has_value(); }
    std::optional<EchoSocketKind> SocketKind() const override { return m_kind; }
    std::string Description() const override { return m_description; }

    std::unique_ptr<EchoHandle> CreateHandle(std::shared_ptr<const ShutdownSignal> runWake) override
    {
        if (!m_kind)
            return nullptr;
        auto opened = OpenEchoSocket(*m_kind);
        if (!opened.socket.IsValid())
            return nullptr;
        return std::make_unique<LinuxEchoHandle>(*m_kind, std::move(opened.socket), NextRawIdentifier(),
                                                 RandomWord(), m_shutdown, std::move(runWake));
    }

    void ShutdownAll() override
    {
        if (m_shutdown)
            m_shutdown->Raise();
    }

private:
    const std::optional<EchoSocketKind> m_kind;
    const std::string m_description;
    const std::shared_ptr<ShutdownSignal> m_shutdown;
};

std::shared_ptr<EchoService> NotLoaded(std::string reason)
{
    return std::make_shared<LinuxEchoService>(std::nullopt, "No ICMP socket can be opened. " + reason, nullptr);
}

} // namespace

std::shared_ptr<EchoService> LoadEchoService(EchoSocketChoice choice)
{
    auto shutdown = std::make_shared<ShutdownSignal>();
    if (!shutdown->IsValid())
        return NotLoaded("No event descriptor for waking waiting requests: " + std::string(std::strerror(errno)));

    std::string reasons;
    if (choice != EchoSocketChoice::RawOnly) {
        const auto opened = OpenEchoSocket(EchoSocketKind::Datagram);
        if (opened.socket.IsValid())
            return std::make_shared<LinuxEchoService>(EchoSocketKind::Datagram, KindInUse(EchoSocketKind::Datagram),
                                                      std::move(shutdown));
        reasons = WhyDatagramFailed(opened.error);
    }
    if (choice != EchoSocketChoice::DatagramOnly) {
        const auto opened = OpenEchoSocket(EchoSocketKind::Raw);
        if (opened.socket.IsValid())
            return std::make_shared<LinuxEchoService>(EchoSocketKind::Raw, KindInUse(EchoSocketKind::Raw),
                                                      std::move(shutdown));
        reasons += (reasons.empty() ? "" : "; ") + WhyRawFailed(opened.error);
    }
    return NotLoaded(reasons + ".");
}

} // namespace netsonde::echo
