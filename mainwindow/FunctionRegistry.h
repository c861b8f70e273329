#pragma once

namespace netsonde {

class CMainDialog;

// Puts every function's Start and Cancel into the main window's table.
void InstallFunctions(CMainDialog& dialog);

} // namespace netsonde
