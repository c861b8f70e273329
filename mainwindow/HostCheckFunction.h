#pragma once
// A function whose work is not available in this build: Go checks the host
// as every function does and ends the run.

#include "mainwindow/Function.h"
#include "mainwindow/FunctionId.h"

namespace netsonde {

class CMainDialog;

class CHostCheckFunction : public CFunction {
public:
    CHostCheckFunction(CMainDialog& dialog, FunctionId id);
    void Start() override;
    void Cancel() override;

private:
    CMainDialog& m_dialog;
    FunctionId m_id;
};

} // namespace netsonde
