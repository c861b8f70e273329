// SPDX-License-Identifier: GPL-3.0-or-later
#include "phonebook/PhonebookNote.h"

#include "platform/text/Utf8OrLatin1.h"

#include <QList>

#include <algorithm>

namespace netsonde {

namespace {

// One character of a stored note: how it is shown and the bytes it was read
// from. A CR LF pair is one character, shown as "\n".
struct NotePiece {
    QString shown;
    qsizetype begin;
    qsizetype end;
};

QChar ShownChar(QChar ch)
{
    switch (ch.unicode()) {
    case u'\r':
    case QChar::LineSeparator:
    case QChar::ParagraphSeparator:
        return u'\n';
    case QChar::Nbsp:
        return u' ';
    default:
        return ch;
    }
}

QString ShownText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::transform(text.begin(), text.end(), text.begin(), ShownChar);
    return text;
}

// How many bytes at the start of bytes the decoder read as the character:
// its UTF-8 form when the bytes begin with it, else one byte read as
// Latin-1 (a Latin-1 character's UTF-8 form is a valid sequence, which the
// decoder would have taken whole).
qsizetype SourceLength(QByteArrayView bytes, const QString& character)
{
    const QByteArray utf8 = character.toUtf8();
    return bytes.startsWith(utf8) ? utf8.size() : 1;
}

QList<NotePiece> SplitNote(QByteArrayView stored)
{
    const QList<uint> codePoints = DecodeUtf8OrLatin1(stored).toUcs4();
    QList<NotePiece> pieces;
    qsizetype offset = 0;
    for (qsizetype i = 0; i < codePoints.size(); ++i) {
        const char32_t codePoint = codePoints[i];
        const QString character = QString::fromUcs4(&codePoint, 1);
        qsizetype length = SourceLength(stored.sliced(offset), character);
        if (codePoint == U'\r' && i + 1 < codePoints.size() && codePoints[i + 1] == U'\n') {
            ++i;
            ++length;
        }
        pieces.append({ShownText(character), offset, offset + length});
        offset += length;
    }
    return pieces;
}

QByteArray NewNoteBytes(QStringView text)
{
    return text.toString().replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toUtf8();
}

// The pieces at the start (head) and at the end (tail) of the stored note
// that the edited text still begins and ends with; they do not overlap.
struct KeptPieces {
    qsizetype head = 0;
    qsizetype headChars = 0;
    qsizetype tail = 0;
    qsizetype tailChars = 0;
};

KeptPieces UnchangedEnds(const QList<NotePiece>& pieces, QStringView text)
{
    KeptPieces kept;
    while (kept.head < pieces.size() && text.sliced(kept.headChars).startsWith(pieces[kept.head].shown)) {
        kept.headChars += pieces[kept.head].shown.size();
        ++kept.head;
    }
    while (kept.head + kept.tail < pieces.size()) {
        const QString& shown = pieces[pieces.size() - 1 - kept.tail].shown;
        const QStringView rest = text.sliced(kept.headChars).chopped(kept.tailChars);
        if (!rest.endsWith(shown))
            break;
        kept.tailChars += shown.size();
        ++kept.tail;
    }
    return kept;
}

QByteArray ComposeNote(QByteArrayView stored, const QList<NotePiece>& pieces, QStringView text, const KeptPieces& kept)
{
    const qsizetype headEnd = kept.head == 0 ? 0 : pieces[kept.head - 1].end;
    const qsizetype tailBegin = kept.tail == 0 ? stored.size() : pieces[pieces.size() - kept.tail].begin;
    const QStringView changed = text.sliced(kept.headChars).chopped(kept.tailChars);
    return stored.first(headEnd).toByteArray() + NewNoteBytes(changed) + stored.sliced(tailBegin).toByteArray();
}

// One piece fewer kept at each end.
void KeepLess(const QList<NotePiece>& pieces, KeptPieces& kept)
{
    if (kept.head > 0)
        kept.headChars -= pieces[--kept.head].shown.size();
    if (kept.tail > 0)
        kept.tailChars -= pieces[pieces.size() - kept.tail--].shown.size();
}

} // namespace

QString NoteText(QByteArrayView stored)
{
    return ShownText(DecodeUtf8OrLatin1(stored));
}

// An edit in the note box replaces one stretch of the text (typing, deleting
// or pasting), so the edited text begins and ends with pieces of the stored
// note; those keep their bytes, and only the stretch between is encoded.
// Kept bytes may read back differently once they meet: a deletion can bring
// a lone UTF-8 lead byte, read as Latin-1, next to lone continuation bytes,
// and together they would form one character. The stretch then grows by one
// piece at each end until the bytes read back as the edited text; at worst
// the whole note is written anew.
QByteArray EditedNoteBytes(QByteArrayView stored, const QString& edited)
{
    const QString text = ShownText(edited.left(edited.indexOf(QChar::Null)));
    const QList<NotePiece> pieces = SplitNote(stored);
    KeptPieces kept = UnchangedEnds(pieces, text);
    for (;;) {
        const QByteArray bytes = ComposeNote(stored, pieces, text, kept);
        if ((kept.head == 0 && kept.tail == 0) || NoteText(bytes) == text)
            return bytes;
        KeepLess(pieces, kept);
    }
}

} // namespace netsonde
