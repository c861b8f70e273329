// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line: one switch letter selecting a function, then host text
// that starts it at once. The parser keeps no state of its own; it writes
// into the main window's two members.

#include <QString>
#include <QStringList>

namespace netsonde {

class CommandLineOptions {
public:
    CommandLineOptions(bool& fromSwitch, QString& commandLine);

    // Walks the arguments (without the program name) first to last: an
    // argument that begins with "-" or "/" is a switch, with that character
    // removed; every other argument is host text.
    void ParseCommandLine(const QStringList& arguments);

    // One argument: its text (switch character removed), whether it was a
    // switch, and whether it is the last one (not needed here).
    void ParseParam(const QString& param, bool flag, bool last);

private:
    bool& m_fromSwitch;
    QString& m_commandLine;
};

} // namespace netsonde
