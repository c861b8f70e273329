#pragma once
// What the controller needs of a function: Start, called with the busy
// state entered, and Cancel, which releases whatever the function has
// pending and must be harmless when nothing is. Completions of the
// function's asynchronous requests reach it through OnAppMessage, after the
// main window has dropped every stale one.

namespace netsonde {

class CAppMessageEvent;

class CFunction {
public:
    virtual ~CFunction() = default;
    virtual void Start() = 0;
    virtual void Cancel() = 0;
    virtual void OnAppMessage(const CAppMessageEvent&) {}
};

} // namespace netsonde
