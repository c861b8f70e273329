// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/OutputPane.h"

#include "widgets/ControlIds.h"

#include <QScrollBar>
#include <QTextCursor>

namespace netsonde {

OutputPane::OutputPane(int controlId, QWidget* parent) : QPlainTextEdit(parent)
{
    SetControlId(this, controlId);
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUndoRedoEnabled(false);
}

void OutputPane::SetText(const QString& text)
{
    m_text = text;
    m_pendingCr = false;
    setPlainText(DisplayTextOf(text));
    moveCursor(QTextCursor::End);
}

void OutputPane::AppendText(const QString& text)
{
    if (text.isEmpty())
        return;
    m_text += text;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(DisplayTextOf(text));
    setTextCursor(cursor);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

QString OutputPane::DisplayTextOf(const QString& text)
{
    QString shown;
    shown.reserve(text.size() + 1);
    qsizetype i = 0;
    if (m_pendingCr) {
        shown += QLatin1Char('\n');
        if (text.startsWith(QLatin1Char('\n')))
            i = 1;
        m_pendingCr = false;
    }
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r')) {
            shown += c;
            continue;
        }
        if (i + 1 == text.size()) {
            m_pendingCr = true;
        } else {
            shown += QLatin1Char('\n');
            if (text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        }
    }
    return shown;
}

} // namespace netsonde
