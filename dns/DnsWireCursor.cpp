// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsWireCursor.h"

#include <algorithm>

namespace netsonde {

const char* DnsWireProblem(DnsWireError error, const char* problemIfCut)
{
    switch (error) {
    case DnsWireError::BadPointer:
        return "bad compression pointer";
    case DnsWireError::TooLong:
        return "RDATA too long";
    case DnsWireError::BadValue:
        return "bad RDATA field";
    default:
        return problemIfCut;
    }
}

DnsWireCursor::DnsWireCursor(QByteArrayView message) : DnsWireCursor(message, 0, message.size()) {}

DnsWireCursor::DnsWireCursor(QByteArrayView message, qsizetype position, qsizetype end)
    : m_message(message), m_end(std::clamp<qsizetype>(end, 0, message.size()))
{
    m_position = std::clamp<qsizetype>(position, 0, m_end);
}

void DnsWireCursor::Fail(DnsWireError error)
{
    if (!Failed())
        m_error = error;
}

bool DnsWireCursor::Take(qsizetype count)
{
    if (Failed())
        return false;
    if (count < 0 || count > Remaining()) {
        Fail(DnsWireError::CutShort);
        return false;
    }
    m_position += count;
    return true;
}

quint8 DnsWireCursor::ReadU8()
{
    const qsizetype at = m_position;
    if (!Take(1))
        return 0;
    return static_cast<quint8>(m_message[at]);
}

quint16 DnsWireCursor::ReadU16()
{
    const qsizetype at = m_position;
    if (!Take(2))
        return 0;
    return static_cast<quint16>((static_cast<quint8>(m_message[at]) << 8) | static_cast<quint8>(m_message[at + 1]));
}

quint32 DnsWireCursor::ReadU32()
{
    const qsizetype at = m_position;
    if (!Take(4))
        return 0;
    quint32 value = 0;
    for (qsizetype i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<quint8>(m_message[at + i]);
    return value;
}

QByteArrayView DnsWireCursor::ReadBytes(qsizetype count)
{
    const qsizetype at = m_position;
    if (!Take(count))
        return {};
    return m_message.sliced(at, count);
}

} // namespace netsonde
