// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a running query does with the bytes its server sends: the line ends
// are converted on bytes, the pane limit is tested, and the bytes are
// decoded for the pane. One object serves one query, from the first chunk
// received to the server's close.
//
// While the connection is open, each chunk (at most kChunkSize bytes, one
// read) goes through Receive; once the server has closed, each chunk still
// waiting goes through Drain, and then Finish ends the text. The text given
// back is appended at the pane's end as it stands.

#include "platform/text/Utf8StreamDecoder.h"
#include "query/QueryRequest.h"

#include <QByteArrayView>
#include <QString>

namespace netsonde {

class ReceivedText {
public:
    static constexpr qsizetype kChunkSize = 2048;  // the largest read
    static constexpr qsizetype kPaneLimit = 30000; // characters of a text pane

    struct ReceiveResult {
        QString text;           // to append at the pane's end; may be empty
        bool endsQuery = false; // the pane limit is reached: close the query
        bool dropped = false;   // a chunk not shown at all: its read is not counted
    };

    explicit ReceivedText(QueryFunction function);

    // A chunk received while the connection is open. paneLength is the
    // number of characters the pane holds before this chunk. When the chunk
    // would take the pane to its limit it is not shown and the query ends;
    // the text then holds only what was kept of earlier chunks.
    ReceiveResult Receive(QByteArrayView chunk, qsizetype paneLength);

    // A chunk read after the server closed: always shown, with no limit.
    QString Drain(QByteArrayView chunk);

    // Ends the text: the bytes of a character left unfinished. To be called
    // once whenever the query ends, whatever ends it.
    QString Finish();

private:
    bool ReachesPaneLimit(qsizetype chunkSize, qsizetype paneLength) const;
    bool IsLoneCarriageReturn(QByteArrayView text) const;
    QString Append(QByteArrayView chunk);

    QueryFunction m_function;
    bool m_shownEndsWithCR = false;
    Utf8StreamDecoder m_decoder;
};

} // namespace netsonde
