// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A record's RDATA in the presentation form dig prints (BIND 9.18), hex and
// base64 unbroken, for every type the decoder knows; and the words of the
// types the decoder knows beyond the search types.

#include "dns/DnsMessageWalk.h"
#include "dns/DnsWireCursor.h"

#include <QByteArray>

#include <optional>

namespace netsonde {

// One record's RDATA as text: dig's for a type the decoder knows, RFC 3597's
// ("\\# LEN HEX") for any other type or for RDATA that breaks its type's
// form, and then why: CutShort or BadPointer as the reads found, TooLong
// for bytes left after the last field, BadValue for a field out of its range.
struct DnsRdataText {
    QByteArray text;
    bool known = false;
    DnsWireError error = DnsWireError::None;
    std::optional<quint16> keyTag; // DNSKEY and CDNSKEY (RFC 4034 appendix B)
};

// The text of the RDATA between the cursor's position and its end.
DnsRdataText PresentRdata(quint16 type, DnsWireCursor rdata);

// The one RDATA line of a type beyond the first seventeen: "WORD=" and the
// text, a DNSKEY's key tag as a comment; the RFC 3597 line for a type the
// decoder does not know.
DnsFieldLine PresentationLine(quint16 type, const DnsRdataText& presentation);

// The RFC 3597 line: "RDATA=\\# LEN HEX".
DnsFieldLine GenericRdataLine(QByteArrayView rdata);

// The word of a type the decoder knows that is no search type, or nullptr.
const char* DecoderOnlyTypeWord(quint16 type);

} // namespace netsonde
