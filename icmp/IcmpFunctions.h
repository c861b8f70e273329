#pragma once
// Ping and TraceRoute in the main window's function table, and what the
// window tells about the echo service.

#include "icmp/IcmpSession.h"

#include <QString>

#include <memory>

namespace netsonde {

class CMainDialog;

namespace echo {
class EchoService;
}

// Plugs Ping and TraceRoute into the table; both share one session.
void InstallIcmpFunctions(CMainDialog& dialog, CIcmpLookups lookups = CIcmpLookups::System());

// The ICMP method in use, or why none is: for the Winsock Information dialog.
QString IcmpServiceDescription(const CMainDialog& dialog);

// The tooltip of the Ping and TraceRoute pages when the service is unavailable.
QString IcmpUnavailableToolTip(const echo::EchoService* service);

} // namespace netsonde
