// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/phonebook/NoteEdit.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

namespace netsonde {

namespace {

bool IsEnter(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

bool InsertsText(const QKeyEvent* event)
{
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

} // namespace

NoteEdit::NoteEdit(FitRule fits, QWidget* parent) : QPlainTextEdit(parent), m_fits(std::move(fits))
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
}

void NoteEdit::keyPressEvent(QKeyEvent* event)
{
    if (IsEnter(event) && !(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    if (IsEnter(event)) {
        if (Fits(QStringLiteral("\n")))
            textCursor().insertText(QStringLiteral("\n"));
        event->accept();
        return;
    }
    if (InsertsText(event) && !Fits(event->text())) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void NoteEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() && !Fits(event->commitString())) {
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

// A paste that is too long is cut to what still fits.
void NoteEdit::insertFromMimeData(const QMimeData* source)
{
    if (!source->hasText())
        return;
    const QString inserted = LongestFittingPrefix(source->text());
    if (!inserted.isEmpty())
        textCursor().insertText(inserted);
}

QString NoteEdit::TextWithInserted(const QString& inserted) const
{
    const QTextCursor cursor = textCursor();
    QString text = toPlainText();
    text.replace(cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart(), inserted);
    return text;
}

bool NoteEdit::Fits(const QString& inserted) const
{
    return !m_fits || m_fits(TextWithInserted(inserted));
}

QString NoteEdit::LongestFittingPrefix(const QString& inserted) const
{
    qsizetype low = 0;
    qsizetype high = inserted.size();
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (Fits(inserted.left(middle)))
            low = middle;
        else
            high = middle - 1;
    }
    return inserted.left(low);
}

} // namespace netsonde
