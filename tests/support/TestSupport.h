// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the test executables.

#include <cstdio>
#include <cstdlib>

namespace netsonde::test {

// Ends the whole test executable as skipped: CTest reports it as "Not Run"
// with the reason in the log (exit code 77 is the tests' skip code).
[[noreturn]] inline void SkipWholeTest(const char* reason)
{
    std::fprintf(stdout, "SKIPPED: %s\n", reason);
    std::fflush(stdout);
    std::_Exit(77);
}

} // namespace netsonde::test
