// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What Ping and TraceRoute share on the user-interface thread: the start of
// a run up to its worker, the cancel step (which wakes the worker at once),
// and the lookup of a result row's address on a double-click.

#include "icmp/IcmpRun.h"
#include "run/Function.h"

#include <QString>

#include <memory>

namespace netsonde {

class IcmpFunction : public Function {
public:
    IcmpFunction(RunController& runs, FunctionId id, std::shared_ptr<echo::EchoService> service, HostLookups lookups);

    // Wakes the run's worker, which lets go of its thread and socket.
    void Cancel() override;
    // The double-click on a result row: its Host Name from its Address.
    void ResolveRow(int row, const QString& addressText);

protected:
    // Start steps up to the worker: refuses an empty host, empties the list,
    // begins the run and records the host. False when the run has ended.
    bool PrepareRun(const RunInputs& inputs);
    // Starts the worker with a run of its own; a thread that cannot be made
    // ends the run with a message.
    void StartWorker(std::function<void(IcmpRun&)> body);

    RunController& m_runs;
    const FunctionId m_id;

private:
    // The completion of a result row's lookup.
    void OnAddressResolved(const LookupResult& result);

    std::shared_ptr<echo::EchoService> m_service;
    HostLookups m_lookups;
    std::shared_ptr<ShutdownSignal> m_wake;
    int m_lookupRow = -1;
};

// Column Response Time of an answered row.
QString FormatRoundTrip(std::uint32_t milliseconds);

} // namespace netsonde
