// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text of a note field. Its bytes are read the way received text is:
// UTF-8 where valid, Latin-1 for every other byte. A note written by another
// program in another character set therefore shows every byte, and an edit
// rewrites only what the user changed.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace netsonde {

// The note as a plain-text box shows it: every line break (CR LF, CR, LF,
// U+2028, U+2029) as "\n" and a no-break space as a space.
QString NoteText(QByteArrayView stored);

// The bytes of a note whose shown text was edited into edited: the
// characters the edit left alone keep the bytes they were read from, and
// only the new text is written, as UTF-8 with CR LF line ends. The edited
// text ends at a NUL character, as the field does.
QByteArray EditedNoteBytes(QByteArrayView stored, const QString& edited);

} // namespace netsonde
