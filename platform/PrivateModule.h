// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the program's own libraries are (the window, RDAP): beside the
// executable in the build tree, in the package's private folder once
// installed.

#include <string>

namespace netsonde {

// The library's path beside the running executable when it is there,
// otherwise in the private folder seen from the executable's folder.
std::string PrivateModulePath(const char* fileName);

} // namespace netsonde
