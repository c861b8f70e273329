// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pieces of a record's RDATA in the zone-file presentation form that dig
// prints: names with their trailing dot and escapes, quoted character
// strings, hex, base64 and base32hex, type bitmaps and signature times.

#include "dns/DnsWireCursor.h"

#include <QByteArray>
#include <QByteArrayView>

namespace netsonde {

// A domain name read at the cursor, its labels escaped ("\." inside a label,
// "\DDD" for bytes outside printable ASCII), with its trailing dot; "." for
// the root.
QByteArray PresentedName(DnsWireCursor& cursor);

// A character string in double quotes: '"' and '\' escaped by a backslash,
// bytes outside printable ASCII as "\DDD". extraEscaped is escaped too.
QByteArray QuotedText(QByteArrayView text, char extraEscaped = '"');

// One character string (its length byte, then its bytes) read and quoted.
QByteArray QuotedCharacterString(DnsWireCursor& cursor);

// Character strings quoted, separated by blanks, up to the cursor's end; at
// least one string (an empty RDATA fails the cursor).
QByteArray QuotedCharacterStrings(DnsWireCursor& cursor);

// Bytes as decimals joined by dots (an IPv4 address).
QByteArray DottedText(QByteArrayView bytes);

// Upper-case hex.
QByteArray HexText(QByteArrayView bytes);
QByteArray Base64Text(QByteArrayView bytes);
// RFC 4648 base32 with the extended hex alphabet, upper case, unpadded.
QByteArray Base32HexText(QByteArrayView bytes);

// The types of an NSEC or NSEC3 type bitmap up to the cursor's end, each
// after a blank; BadValue on a window out of order or of a length outside
// 1..32.
QByteArray TypeBitmapText(DnsWireCursor& cursor);

// A 32-bit signature time as YYYYMMDDHHmmSS in UTC.
QByteArray SignatureTimeText(quint32 seconds);

// The type's word as a bitmap or RRSIG shows it: TYPEn when there is none.
QByteArray PresentedTypeWord(quint16 type);

// The rest of the cursor's bytes after a blank, in hex or base64; nothing
// when none are left.
QByteArray HexOfRest(DnsWireCursor& cursor);
QByteArray Base64OfRest(DnsWireCursor& cursor);

// Fails the cursor with BadValue unless valid.
void RequireValid(DnsWireCursor& cursor, bool valid);

// RFC 3597: "\# LEN HEX", "\# 0" when empty.
QByteArray GenericRdataText(QByteArrayView rdata);

} // namespace netsonde
