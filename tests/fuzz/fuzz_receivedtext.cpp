// SPDX-License-Identifier: GPL-3.0-or-later
// Received bytes cut into chunks the fuzzer chooses. The first byte picks
// the function and how many chunk lengths follow; those lengths are used in
// turn, the rest of the input is the received text.

#include "FuzzCheck.h"
#include "FuzzInput.h"

#include "query/ReceivedText.h"

#include <QList>

using namespace netsonde;
using netsonde::fuzz::Require;

namespace {

constexpr QueryFunction kFunctions[] = {QueryFunction::Finger, QueryFunction::WhoIs, QueryFunction::QuoteOfDay};

QList<QByteArrayView> CutIntoChunks(QByteArrayView text, QByteArrayView lengths)
{
    QList<QByteArrayView> chunks;
    for (qsizetype next = 0; !text.isEmpty(); ++next) {
        const qsizetype length = lengths.isEmpty() ? ReceivedText::kChunkSize
                                                   : 1 + static_cast<std::uint8_t>(lengths[next % lengths.size()]);
        chunks << text.first(qMin(length, text.size()));
        text = text.sliced(chunks.back().size());
    }
    return chunks;
}

QString DrainedInChunks(QueryFunction function, const QList<QByteArrayView>& chunks)
{
    ReceivedText received(function);
    QString shown;
    for (QByteArrayView chunk : chunks)
        shown += received.Drain(chunk);
    return shown + received.Finish();
}

// What the pane shows of a query that stays open: the pane length given
// is what it holds, and the query ends when the limit is reached.
QString ReceivedInChunks(QueryFunction function, const QList<QByteArrayView>& chunks)
{
    ReceivedText received(function);
    QString shown;
    for (QByteArrayView chunk : chunks) {
        const ReceivedText::ReceiveResult result = received.Receive(chunk, shown.size());
        shown += result.text;
        if (result.endsQuery)
            return shown;
    }
    return shown + received.Finish();
}

void CheckShownText(const QString& shown, QByteArrayView text)
{
    Require(!shown.contains(QChar::Null), "no NUL reaches the pane");
    Require(shown.size() <= 2 * text.size(), "the shown text is at most twice the bytes received");
    Require(shown.count(u'\n') == shown.count(u"\r\n"), "every line feed shown follows a carriage return");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArrayView text(data, qsizetype(size));
    const std::uint8_t choice = fuzz::TakeByte(text);
    const QueryFunction function = kFunctions[(choice >> 6) % 3];
    const QByteArrayView lengths = fuzz::TakeBytes(text, choice & 0x3F);
    const QList<QByteArrayView> chunks = CutIntoChunks(text, lengths);

    const QString drained = DrainedInChunks(function, chunks);
    const QString received = ReceivedInChunks(function, chunks);
    CheckShownText(drained, text);
    CheckShownText(received, text);

    if (text.contains('\0'))
        return 0;
    Require(drained == DrainedInChunks(function, {text}), "chunking never changes the drained text");
    if (function != QueryFunction::QuoteOfDay && text.size() < ReceivedText::kPaneLimit / 2)
        Require(received == drained, "chunking never changes the text of an open query");
    return 0;
}
