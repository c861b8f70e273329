// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// BIND's named on the namespace lab's destination, for the tests that look up
// names in the lab's zones (tests/dns/lab).

#include "support/LabEnvironment.h"

#include <QStandardPaths>
#include <QStringList>

#include <filesystem>
#include <string>

namespace netsonde::test {

// Outside the lab: runs this executable again inside it, with named serving the
// configuration file on the destination and writing its log to the log file;
// the zones signed when the lab starts go into the configuration file's folder
// (tests/dns/lab/start-named.sh). Skips when named is missing.
inline void RunInsideLabWithNameServer(int argc, char** argv, const char* namedConf, const char* namedLog = "/dev/null")
{
    if (IsInsideLab())
        return;
    const QStringList sbin{QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")};
    if (QStandardPaths::findExecutable(QStringLiteral("named"), sbin).isEmpty())
        SkipWholeTest("BIND's named is not installed (Debian package bind9)");
    const std::string zones = NETSONDE_LAB_ZONES;
    const std::string work = std::filesystem::path(namedConf).parent_path();
    RunInsideLab(
        argc, argv,
        {"sh " + zones + "/start-named.sh " + zones + ' ' + work + ' ' + namedConf + " > " + namedLog + " 2>&1"});
}

} // namespace netsonde::test
