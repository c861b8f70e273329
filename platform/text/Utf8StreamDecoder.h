// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decodes a byte stream that arrives in chunks as UTF-8. A character whose
// bytes are split between two chunks is held back until it is whole. A byte
// that does not belong to a valid UTF-8 sequence is shown as its Latin-1
// character, so no byte is ever dropped or replaced.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace netsonde {

class Utf8StreamDecoder {
public:
    // The text of the bytes so far; the bytes of an unfinished character at
    // the end are kept for the next call.
    QString Decode(QByteArrayView bytes);

    // Ends the stream: the bytes still held, as Latin-1 characters.
    QString Flush();

private:
    QByteArray m_pending; // an unfinished but so far valid sequence, at most 3 bytes
};

} // namespace netsonde
