// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text of received bytes for display: valid UTF-8 sequences become their
// characters, and every byte that is not part of one becomes its Latin-1
// character, so that no byte is dropped or replaced.

#include <QByteArrayView>
#include <QString>

namespace netsonde {

QString DecodeUtf8OrLatin1(QByteArrayView bytes);

} // namespace netsonde
