// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A blocking lookup that a worker can give up on: the lookup runs on a thread of
// its own, and the worker returns as soon as its wake-up signal is raised.

#include "platform/resolver/HostLookup.h"

#include <functional>

namespace netsonde {

class ShutdownSignal;

// Runs `lookup` and returns its outcome, with *woken false. When `wake` is raised
// first (or already is), returns at once with *woken true; the lookup then finishes
// on its own thread and its outcome is dropped. When no thread can be started, the
// outcome is kLookupNoRecovery. `woken` may be null. As `lookup` may outlive the
// caller, it holds what it uses by value or through a shared_ptr.
LookupOutcome LookUpUnlessWoken(std::function<LookupOutcome()> lookup, const ShutdownSignal& wake, bool* woken);

} // namespace netsonde
