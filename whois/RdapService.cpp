// SPDX-License-Identifier: GPL-3.0-or-later
#include "whois/RdapService.h"

#include "platform/PrivateModule.h"

#include <QCoreApplication>

#include <dlfcn.h>

namespace netsonde {

void RdapServiceDeleter::operator()(RdapService* service) const
{
    service->Cancel();
    service->deleteLater();
}

RdapServicePointer CreateRdapService(QString* failure)
{
    // The library stays loaded: the lookups' objects and Qt's TLS plugin
    // may be referred to until the process ends.
    static void* library = ::dlopen(PrivateModulePath(kRdapModuleName).c_str(), RTLD_LAZY | RTLD_LOCAL);
    static const QString loadError = library ? QString() : QString::fromLocal8Bit(::dlerror());
    if (!library) {
        *failure = loadError;
        return nullptr;
    }
    const auto entry = reinterpret_cast<RdapEntryFunction>(::dlsym(library, kRdapEntryName));
    if (!entry) {
        *failure = QString::fromLocal8Bit(::dlerror());
        return nullptr;
    }
    // A child of the application as well: a lookup whose deferred deletion
    // the event loop no longer reaches still goes with the application.
    RdapServicePointer service(entry());
    service->setParent(QCoreApplication::instance());
    return service;
}

} // namespace netsonde
