// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A receiver for lookup completions in tests: every completion that reaches
// it is noted in a log that outlives the receiver.

#include "platform/AppMessages.h"
#include "platform/resolver/Resolver.h"

#include <QList>
#include <QObject>

#include <algorithm>
#include <memory>

namespace netsonde::test {

struct CCompletion {
    int nMessage = 0;
    LookupHandle handle = 0;
    std::intptr_t nError = 0;
    CHostEntry entry; // empty when the completion carries none
};

using CompletionLog = std::shared_ptr<QList<CCompletion>>;

class CCompletionRecorder : public QObject {
public:
    explicit CCompletionRecorder(CompletionLog log) : m_log(std::move(log)) {}

    bool event(QEvent* event) override
    {
        if (event->type() < WM_APP_HOST_RESOLVED || event->type() > WM_APP_ADDRESS_RESOLVED)
            return QObject::event(event);
        const auto* message = static_cast<const CAppMessageEvent*>(event);
        const CHostEntry* entry = HostEntryOf(*message);
        m_log->append({message->Message(), message->WParam(), message->LParam(), entry ? *entry : CHostEntry{}});
        return true;
    }

private:
    CompletionLog m_log;
};

inline const CCompletion* FindCompletion(const QList<CCompletion>& log, LookupHandle handle)
{
    const auto found = std::ranges::find(log, handle, &CCompletion::handle);
    return found == log.end() ? nullptr : &*found;
}

} // namespace netsonde::test
