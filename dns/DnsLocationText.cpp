// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsLocationText.h"

#include "dns/DnsPresentationText.h"

namespace netsonde {

namespace {

constexpr quint32 kLocEquator = 0x80000000U;
constexpr quint32 kLocAltitudeZero = 10000000U; // centimetres below the reference
constexpr quint32 kMilliArcSecondsPerDegree = 3600000U;

// "12 34 56.789 N": degrees, minutes, seconds of an angle in thousandths
// of an arc second from the equator or the prime meridian.
QByteArray LocAngle(quint32 wire, quint32 maxDegrees, const char* positive, const char* negative, DnsWireCursor& rdata)
{
    const bool north = wire >= kLocEquator;
    const quint32 angle = north ? wire - kLocEquator : kLocEquator - wire;
    RequireValid(rdata, angle <= maxDegrees * kMilliArcSecondsPerDegree);
    const quint32 seconds = angle / 1000 % 60, minutes = angle / 60000 % 60;
    return QByteArray::number(angle / kMilliArcSecondsPerDegree) + ' ' + QByteArray::number(minutes) + ' '
           + QByteArray::number(seconds) + '.' + QByteArray::number(angle % 1000).rightJustified(3, '0') + ' '
           + (north ? positive : negative);
}

QByteArray Metres(quint64 centimetres)
{
    return QByteArray::number(centimetres / 100) + '.' + QByteArray::number(centimetres % 100).rightJustified(2, '0')
           + 'm';
}

// A size or precision byte: mantissa and power of ten, in centimetres.
QByteArray LocSize(quint8 wire, DnsWireCursor& rdata)
{
    const int mantissa = wire >> 4, exponent = wire & 0x0F;
    RequireValid(rdata, mantissa <= 9 && exponent <= 9);
    if (exponent >= 2) {
        quint64 metres = mantissa;
        for (int i = 2; i < exponent; ++i)
            metres *= 10;
        return QByteArray::number(metres) + 'm';
    }
    return Metres(exponent == 1 ? mantissa * 10 : mantissa);
}

} // namespace

QByteArray LocationText(DnsWireCursor& rdata)
{
    RequireValid(rdata, rdata.ReadU8() == 0);
    const quint8 size = rdata.ReadU8(), horizontal = rdata.ReadU8(), vertical = rdata.ReadU8();
    const quint32 latitude = rdata.ReadU32(), longitude = rdata.ReadU32(), altitude = rdata.ReadU32();
    QByteArray text = LocAngle(latitude, 90, "N", "S", rdata) + ' ' + LocAngle(longitude, 180, "E", "W", rdata) + ' ';
    text.append(altitude < kLocAltitudeZero ? '-' + Metres(kLocAltitudeZero - altitude)
                                            : Metres(altitude - kLocAltitudeZero));
    return text + ' ' + LocSize(size, rdata) + ' ' + LocSize(horizontal, rdata) + ' ' + LocSize(vertical, rdata);
}

} // namespace netsonde
