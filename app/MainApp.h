#pragma once
// The application object: starts the sockets layer, chooses where the
// settings live, creates the main window, lets the command line choose the
// function and host to start with, and shows the window modally. When the
// window closes, the program ends.

#include "platform/StartupRecord.h"

#include <QStringList>

namespace netsonde {

class CMainApp {
public:
    // The start-up record of the sockets layer, valid for the whole run.
    static const SocketStartupRecord& StartupRecord();

    // Runs the program with the arguments after the program name; returns
    // the process exit code.
    int Run(const QStringList& arguments);

private:
    static SocketStartupRecord s_wsaData;
};

} // namespace netsonde
