// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PrivateModule.h"

#include <unistd.h>

#include <climits>

#ifndef NETSONDE_PRIVATE_LIBDIR_FROM_BINDIR
#error "NETSONDE_PRIVATE_LIBDIR_FROM_BINDIR must name the private libraries' installed folder"
#endif

namespace netsonde {

namespace {

// The folder of the running executable, from the kernel; empty when unknown.
std::string ExecutableFolder()
{
    char path[PATH_MAX] = {};
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    const std::string executable(path, static_cast<std::size_t>(length));
    return executable.substr(0, executable.rfind('/'));
}

} // namespace

std::string PrivateModulePath(const char* fileName)
{
    const std::string folder = ExecutableFolder();
    const std::string beside = folder + '/' + fileName;
    if (::access(beside.c_str(), F_OK) == 0)
        return beside;
    return folder + '/' + NETSONDE_PRIVATE_LIBDIR_FROM_BINDIR + '/' + fileName;
}

} // namespace netsonde
