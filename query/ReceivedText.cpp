// SPDX-License-Identifier: GPL-3.0-or-later
#include "query/ReceivedText.h"

#include "query/LineEnds.h"

namespace netsonde {

ReceivedText::ReceivedText(QueryFunction function) : m_function(function) {}

ReceivedText::ReceiveResult ReceivedText::Receive(QByteArrayView chunk, qsizetype paneLength)
{
    if (ReachesPaneLimit(chunk.size(), paneLength))
        return {Finish(), true};
    if (IsLoneCarriageReturn(TextBeforeNul(chunk)))
        return {{}, false, true};
    return {Append(chunk), false};
}

QString ReceivedText::Drain(QByteArrayView chunk)
{
    return Append(chunk);
}

QString ReceivedText::Finish()
{
    return m_decoder.Flush();
}

// Finger's pane may reach the limit exactly; the WhoIs and Quote Of The Day
// panes stop one character before it. The chunk counts as received, before
// line ends were converted, plus one.
bool ReceivedText::ReachesPaneLimit(qsizetype chunkSize, qsizetype paneLength) const
{
    const qsizetype total = paneLength + chunkSize + 1;
    return m_function == QueryFunction::Finger ? total > kPaneLimit : total >= kPaneLimit;
}

// Quote servers may send a line end's CR alone; while the connection is open
// such a chunk is not shown.
bool ReceivedText::IsLoneCarriageReturn(QByteArrayView text) const
{
    return m_function == QueryFunction::QuoteOfDay && text == QByteArrayView("\r");
}

// Only the bytes before a NUL are shown; a character left unfinished at the
// NUL cannot be completed by the next chunk.
QString ReceivedText::Append(QByteArrayView chunk)
{
    const QByteArrayView text = TextBeforeNul(chunk);
    QString shown = m_decoder.Decode(ConvertLineEnds(text, m_shownEndsWithCR));
    if (!text.isEmpty())
        m_shownEndsWithCR = text.back() == '\r';
    if (text.size() < chunk.size())
        shown += m_decoder.Flush();
    return shown;
}

} // namespace netsonde
