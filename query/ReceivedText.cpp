// SPDX-License-Identifier: GPL-3.0-or-later
#include "query/ReceivedText.h"

#include "query/LineEnds.h"

namespace netsonde {

CReceivedText::CReceivedText(QueryFunction function) : m_function(function) {}

CReceivedText::ReceiveResult CReceivedText::Receive(QByteArrayView chunk, qsizetype paneLength)
{
    if (ReachesPaneLimit(chunk.size(), paneLength))
        return {Finish(), true};
    if (IsLoneCarriageReturn(TextBeforeNul(chunk)))
        return {{}, false, true};
    return {Append(chunk), false};
}

QString CReceivedText::Drain(QByteArrayView chunk)
{
    return Append(chunk);
}

QString CReceivedText::Finish()
{
    return m_decoder.Flush();
}

// Finger's pane may reach the limit exactly; the WhoIs and Quote Of The Day
// panes stop one character before it. The chunk counts as received, before
// line ends were converted, plus one.
bool CReceivedText::ReachesPaneLimit(qsizetype chunkSize, qsizetype paneLength) const
{
    const qsizetype total = paneLength + chunkSize + 1;
    return m_function == QueryFunction::Finger ? total > PaneLimit : total >= PaneLimit;
}

// Quote servers may send a line end's CR alone; while the connection is open
// such a chunk is not shown.
bool CReceivedText::IsLoneCarriageReturn(QByteArrayView text) const
{
    return m_function == QueryFunction::QuoteOfDay && text == QByteArrayView("\r");
}

// Only the bytes before a NUL are shown; a character left unfinished at the
// NUL cannot be completed by the next chunk.
QString CReceivedText::Append(QByteArrayView chunk)
{
    const QByteArrayView text = TextBeforeNul(chunk);
    QString shown = m_decoder.Decode(ConvertLineEnds(text, m_bShownEndsWithCR));
    if (!text.isEmpty())
        m_bShownEndsWithCR = text.back() == '\r';
    if (text.size() < chunk.size())
        shown += m_decoder.Flush();
    return shown;
}

} // namespace netsonde
