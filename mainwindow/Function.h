#pragma once
// What the controller needs of a function: Start, called with the busy
// state entered, and Cancel, which releases whatever the function has
// pending and must be harmless when nothing is.

namespace netsonde {

class CFunction {
public:
    virtual ~CFunction() = default;
    virtual void Start() = 0;
    virtual void Cancel() = 0;
};

} // namespace netsonde
