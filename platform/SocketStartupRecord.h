// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sockets layer's start-up record, shown by the Winsock Information
// dialog: versions (low byte major, high byte minor), description, status,
// limits and vendor information.

#include <QString>

#include <cstdint>

namespace netsonde {

struct SocketStartupRecord {
    std::uint16_t version = 0;
    std::uint16_t highVersion = 0;
    QString description;
    QString systemStatus;
    std::uint16_t maxSockets = 0;
    std::uint16_t maxUdpDg = 0;
    QString vendorInfo;
};

constexpr std::uint16_t MakeSocketVersion(int major, int minor)
{
    return static_cast<std::uint16_t>((major & 0xFF) | ((minor & 0xFF) << 8));
}

// Fills the record from the platform. False when the platform cannot give
// IPv4 sockets at all, which counts as a failed start-up.
bool StartSockets(SocketStartupRecord& record);

// The record of this process's start-up, filled by StartSockets(); empty
// before it.
const SocketStartupRecord& ProcessStartupRecord();
bool StartProcessSockets();

} // namespace netsonde
