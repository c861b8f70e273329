// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SocketStartupRecord.h"

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>

namespace netsonde {

namespace {

constexpr std::uint16_t kMaxUdpDatagram = 65507;

bool CanOpenIpv4Socket()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

QString KernelRelease()
{
    utsname names{};
    if (::uname(&names) != 0)
        return QStringLiteral("unknown");
    return QString::fromLocal8Bit(names.release);
}

std::uint16_t MaxSockets()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 65535;
    return static_cast<std::uint16_t>(std::min<rlim_t>(limit.rlim_cur, 65535));
}

} // namespace

bool StartSockets(SocketStartupRecord& record)
{
    if (!CanOpenIpv4Socket())
        return false;
    record.version = MakeSocketVersion(1, 1);
    record.highVersion = MakeSocketVersion(2, 2);
    record.description = QStringLiteral("Linux BSD sockets, kernel ") + KernelRelease();
    record.systemStatus = QStringLiteral("Running");
    record.maxSockets = MaxSockets();
    record.maxUdpDg = kMaxUdpDatagram;
    record.vendorInfo.clear();
    return true;
}

namespace {

SocketStartupRecord& ProcessRecord()
{
    static SocketStartupRecord record;
    return record;
}

} // namespace

const SocketStartupRecord& ProcessStartupRecord()
{
    return ProcessRecord();
}

bool StartProcessSockets()
{
    return StartSockets(ProcessRecord());
}

} // namespace netsonde
