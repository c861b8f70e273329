// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Phonebook files as bytes, for the tests of the file and of the dialog.

#include <QByteArray>

namespace netsonde::test {

// One 250-byte record as it must appear in the file.
inline QByteArray Record(const QByteArray& address, const QByteArray& note = {})
{
    return address + QByteArray(50 - address.size(), '\0') + note + QByteArray(200 - note.size(), '\0');
}

} // namespace netsonde::test
