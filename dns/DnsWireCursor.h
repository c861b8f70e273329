// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A bounds-checked reader over a received DNS message. Every read stays
// between the cursor's position and its end; the first read that would go
// further sets a sticky error, leaves the position where it was, and from
// then on every read gives zero or nothing. Callers check Failed() once
// after a group of reads instead of after each one.

#include <QByteArray>
#include <QByteArrayView>

namespace netsonde {

enum class DnsWireError {
    None,
    CutShort,   // a read would have gone past the cursor's end
    BadPointer, // a compression pointer that does not point backwards
    TooLong,    // bytes left over after the last field of a record's RDATA
    BadValue,   // a field out of its range, or a length inside RDATA that does not fit its form
};

// "bad compression pointer", "RDATA too long" or "bad RDATA field" for those
// errors, otherwise problemIfCut.
const char* DnsWireProblem(DnsWireError error, const char* problemIfCut);

class DnsWireCursor {
public:
    // Reads the whole message from offset 0.
    explicit DnsWireCursor(QByteArrayView message);
    // Reads message[position, end); both are clamped into the message.
    DnsWireCursor(QByteArrayView message, qsizetype position, qsizetype end);
    // The cursor only views the message: it cannot be made on a temporary.
    explicit DnsWireCursor(QByteArray&&) = delete;
    DnsWireCursor(QByteArray&&, qsizetype, qsizetype) = delete;

    // The whole message, also beyond this cursor's end (compression
    // pointers may reach anywhere before the name that holds them).
    QByteArrayView Message() const { return m_message; }
    qsizetype Position() const { return m_position; }
    qsizetype End() const { return m_end; }
    qsizetype Remaining() const { return m_end - m_position; }

    bool Failed() const { return m_error != DnsWireError::None; }
    DnsWireError Error() const { return m_error; }
    // Records an error unless one is already recorded.
    void Fail(DnsWireError error);

    quint8 ReadU8();
    quint16 ReadU16();
    quint32 ReadU32();
    QByteArrayView ReadBytes(qsizetype count);

private:
    bool Take(qsizetype count);

    QByteArrayView m_message;
    qsizetype m_position = 0;
    qsizetype m_end = 0;
    DnsWireError m_error = DnsWireError::None;
};

} // namespace netsonde
