// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test executables that need the namespace lab (tests/netns/lab.sh) start it
// themselves: outside the lab they run again inside it, so CTest and a developer run
// them the same way. The lab script's path comes from NETSONDE_LAB_SCRIPT, which
// netsonde_add_test sets for every test labelled netns.

#include "support/TestSupport.h"

#include <QString>

#include <arpa/inet.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace netsonde::test {

inline bool IsInsideLab()
{
    return std::getenv("NETSONDE_LAB_DESTINATION") != nullptr;
}

// Returns when already inside the lab; otherwise replaces this process with the lab
// running this executable with the same arguments, and each of the served commands
// in the background on the destination. The lab's exit code (77 when it cannot be
// built) becomes the test's.
inline void RunInsideLab(int argc, char** argv, std::vector<std::string> served = {})
{
    if (IsInsideLab())
        return;
    char self[PATH_MAX] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        SkipWholeTest("cannot find this executable's path to run it inside the namespace lab");
    std::vector<char*> arguments{const_cast<char*>("bash"), const_cast<char*>(NETSONDE_LAB_SCRIPT),
                                 const_cast<char*>("run")};
    for (std::string& command : served)
        arguments.insert(arguments.end(), {const_cast<char*>("--serve"), command.data()});
    arguments.insert(arguments.end(), {const_cast<char*>("--"), self});
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    arguments.push_back(nullptr);
    ::execvp("bash", arguments.data());
    SkipWholeTest((std::string("cannot start the namespace lab: ") + std::strerror(errno)).c_str());
}

// Whether the lab runs in a user namespace (it does for users other than root):
// there this process is root with one user and one group, its own, and no other
// user or group exists.
inline bool IsInsideUserNamespace()
{
    std::ifstream map("/proc/self/uid_map");
    std::string inside, outside, count;
    map >> inside >> outside >> count;
    return !(inside == "0" && outside == "0" && count == "4294967295");
}

// A lab environment variable's text; empty when missing.
inline QString LabText(const char* variable)
{
    return QString::fromLocal8Bit(qgetenv(variable));
}

// A lab address from its environment variable, in network order; 0 when missing.
inline std::uint32_t LabAddress(const char* variable)
{
    const char* text = std::getenv(variable);
    in_addr address{};
    if (text == nullptr || ::inet_pton(AF_INET, text, &address) != 1)
        return 0;
    return address.s_addr;
}

} // namespace netsonde::test
