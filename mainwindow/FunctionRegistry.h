#pragma once

namespace netsonde {

class CRunController;

// Puts Finger, WhoIs, NS LookUp and Quote Of The Day into the run layer's
// table; Ping and TraceRoute follow once the echo service is loaded.
void InstallTextFunctions(CRunController& runs);

} // namespace netsonde
