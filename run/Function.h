// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the run layer needs of a function: Start, called with the busy state
// entered and the run's inputs as values, and Cancel, which releases what
// the function still holds and is harmless when it holds nothing. The
// completion of a lookup reaches OnLookupCompleted only while its request
// is pending; a stale one has been dropped before.

#include "run/RunInputs.h"

namespace netsonde {

class AppMessageEvent;

class Function {
public:
    virtual ~Function() = default;
    virtual void Start(const RunInputs& inputs) = 0;
    virtual void Cancel() = 0;
    virtual void OnLookupCompleted(const AppMessageEvent&) {}
};

} // namespace netsonde
