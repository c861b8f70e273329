// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A resolver for tests: it records every request and completes one only when
// the test says so, with the result the test gives. Completions travel the
// same way as the system resolver's: delivered on the application's thread
// at the next pass of the event loop, dropped after a cancel or when the
// receiver is gone.

#include "platform/resolver/Resolver.h"

#include <QList>

#include <memory>

namespace netsonde {

class CLookupRegistry;

namespace test {

struct CScriptedRequest {
    LookupHandle handle = 0;
    int nMessage = 0;
    bool bByAddress = false;
    QString strName;          // name-to-address requests
    CIpAddress address;         // address-to-name requests
};

class CScriptedResolver final : public IResolver {
public:
    CScriptedResolver();
    ~CScriptedResolver() override;

    CScriptedResolver(const CScriptedResolver&) = delete;
    CScriptedResolver& operator=(const CScriptedResolver&) = delete;

    LookupHandle AsyncGetHostByName(QObject* receiver, int message, const QString& name) override;
    LookupHandle AsyncGetHostByAddr(QObject* receiver, int message, const CIpAddress& address) override;
    bool CancelAsyncRequest(LookupHandle handle) override;

    // The next request returns 0, as one that cannot be started.
    void RefuseNextRequest() { m_bRefuseNext = true; }

    // Queues the completion of a request.
    void Complete(LookupHandle handle, int error, const CHostEntry& entry = {});

    const QList<CScriptedRequest>& Requests() const { return m_requests; }
    const QList<LookupHandle>& CancelledHandles() const { return m_cancelled; }
    bool IsPending(LookupHandle handle) const;

private:
    LookupHandle Record(QObject* receiver, CScriptedRequest request);

    std::shared_ptr<CLookupRegistry> m_registry;
    QList<CScriptedRequest> m_requests;
    QList<LookupHandle> m_cancelled;
    bool m_bRefuseNext = false;
};

} // namespace test
} // namespace netsonde
