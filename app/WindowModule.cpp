// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowModule.h"

#include "platform/PrivateModule.h"

#include <dlfcn.h>

#include <cstdio>

namespace netsonde {

namespace {

int CannotLoad(const char* reason)
{
    std::fprintf(stderr, "netsonde: cannot load the window: %s\n", reason ? reason : "unknown error");
    return 1;
}

} // namespace

std::string WindowModulePath()
{
    return PrivateModulePath(kWindowModuleName);
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
