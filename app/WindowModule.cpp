// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

#ifndef NETSONDE_PRIVATE_LIBDIR_FROM_BINDIR
#error "NETSONDE_PRIVATE_LIBDIR_FROM_BINDIR must name the window library's installed folder"
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

int CannotLoad(const char* reason)
{
    std::fprintf(stderr, "netsonde: cannot load the window: %s\n", reason ? reason : "unknown error");
    return 1;
}

} // namespace

std::string WindowModulePath()
{
    const std::string folder = ExecutableFolder();
    const std::string beside = folder + '/' + kWindowModuleName;
    if (::access(beside.c_str(), F_OK) == 0)
        return beside;
    return folder + '/' + NETSONDE_PRIVATE_LIBDIR_FROM_BINDIR + '/' + kWindowModuleName;
}

int RunWindowModule(int argc, char* argv[], const NetsondeWindowStart& start)
{
    // The library stays loaded until the process ends: Qt's plugins and the
    // window's static objects may still be referred to at exit. Its symbols
    // are bound as they are first used, which keeps the window's start short.
    void* library = ::dlopen(WindowModulePath().c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!library)
        return CannotLoad(::dlerror());
    void* entry = ::dlsym(library, kWindowEntryName);
    if (!entry)
        return CannotLoad(::dlerror());
    return reinterpret_cast<WindowEntryFunction>(entry)(argc, argv, &start);
}

} // namespace netsonde
