// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the run layer needs of a function: Start, called with the busy state
// entered and the run's inputs as values, and Cancel, which releases what
// the function still holds and is harmless when it holds nothing. A
// function's lookups are made through the run controller, which calls their
// completions only while their requests are pending.

#include "run/RunInputs.h"

namespace netsonde {

class Function {
public:
    virtual ~Function() = default;
    virtual void Start(const RunInputs& inputs) = 0;
    virtual void Cancel() = 0;
};

} // namespace netsonde
