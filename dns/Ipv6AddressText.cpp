// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/Ipv6AddressText.h"

#include <array>

namespace netsonde {

namespace {

constexpr int kGroupCount = 8;
using Groups = std::array<quint16, kGroupCount>;

struct ZeroRun {
    int start = -1;
    int length = 0;
};

Groups GroupsOf(QByteArrayView bytes)
{
    Groups groups{};
    for (int i = 0; i < kGroupCount; ++i)
        groups[i] = static_cast<quint16>(static_cast<quint8>(bytes[2 * i]) << 8 | static_cast<quint8>(bytes[2 * i + 1]));
    return groups;
}

bool IsIpv4Mapped(const Groups& groups)
{
    for (int i = 0; i < 5; ++i) {
        if (groups[i] != 0)
            return false;
    }
    return groups[5] == 0xFFFF;
}

QByteArray DottedQuad(QByteArrayView bytes)
{
    QByteArray text;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            text.append('.');
        text.append(QByteArray::number(static_cast<quint8>(bytes[i])));
    }
    return text;
}

// The longest run of two or more zero groups, the first of equal runs.
ZeroRun LongestZeroRun(const Groups& groups)
{
    ZeroRun longest;
    ZeroRun current;
    for (int i = 0; i < kGroupCount; ++i) {
        if (groups[i] != 0) {
            current = ZeroRun();
            continue;
        }
        if (current.length == 0)
            current.start = i;
        ++current.length;
        if (current.length >= 2 && current.length > longest.length)
            longest = current;
    }
    return longest;
}

} // namespace

QByteArray Ipv6AddressText(QByteArrayView bytes)
{
    if (bytes.size() != kIpv6AddressSize)
        return QByteArray();
    const Groups groups = GroupsOf(bytes);
    if (IsIpv4Mapped(groups))
        return "::ffff:" + DottedQuad(bytes.last(4));

    const ZeroRun run = LongestZeroRun(groups);
    QByteArray text;
    for (int i = 0; i < kGroupCount;) {
        if (i == run.start) {
            text.append("::");
            i += run.length;
            continue;
        }
        if (!text.isEmpty() && !text.endsWith(':'))
            text.append(':');
        text.append(QByteArray::number(groups[i], 16));
        ++i;
    }
    return text;
}

} // namespace netsonde
