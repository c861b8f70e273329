// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A function for controller tests: it counts Start and Cancel and runs
// what the test gives it on Start.

#include "run/RunFunction.h"
#include "platform/AppMessages.h"

#include <QList>

#include <functional>

namespace netsonde::test {

class CRecordingFunction : public CFunction {
public:
    explicit CRecordingFunction(std::function<void()> onStart = {}) : m_onStart(std::move(onStart)) {}

    void Start(const CRunInputs&) override
    {
        ++starts;
        if (m_onStart)
            m_onStart();
    }
    void Cancel() override { ++cancels; }
    void OnLookupCompleted(const CAppMessageEvent& message) override
    {
        messages << QPair<int, std::uintptr_t>(message.Message(), message.WParam());
    }

    int starts = 0;
    int cancels = 0;
    QList<QPair<int, std::uintptr_t>> messages;

private:
    std::function<void()> m_onStart;
};

} // namespace netsonde::test
