// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Line-end conversion of received text, on bytes: every bare LF becomes
// CR LF, everything else passes unchanged.

#include <QByteArray>
#include <QByteArrayView>

namespace netsonde {

// The bytes of the chunk before its first NUL byte (the whole chunk when it
// holds none): what is left of a chunk for the pane.
QByteArrayView TextBeforeNul(QByteArrayView chunk);

// The text with a CR inserted before every LF that does not already follow
// a CR. afterCR says that the text shown before this one ends with a CR, so
// a LF that opens the text completes that line end instead of starting a new
// one. The result is at most twice as long as the text.
QByteArray ConvertLineEnds(QByteArrayView text, bool afterCR);

} // namespace netsonde
