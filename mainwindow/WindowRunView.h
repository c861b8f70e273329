// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window as the run layer's view: status line, panes, result lists with
// their probes and the busy state of the controls.

#include "run/RunView.h"

namespace netsonde {

class MainDialog;

class WindowRunView final : public RunView {
public:
    explicit WindowRunView(MainDialog& dialog) : m_dialog(dialog) {}

    void BeginRun(const RunInputs& inputs) override;
    void RecordRecentHost(const RunInputs& inputs) override;
    void ShowStatusText(const QString& text) override;
    void SetPaneText(FunctionId id, const QString& text) override;
    void AppendPaneText(FunctionId id, const QString& text) override;
    qsizetype PaneLength(FunctionId id) const override;
    void ClearRows(FunctionId id) override;
    void ShowColumns(FunctionId id, const std::vector<ResultColumn>& columns) override;
    void InsertRow(FunctionId id, int row, unsigned number) override;
    void SetCell(FunctionId id, int row, ResultColumn column, const QString& text) override;
    FunctionId SelectedFunction() const override;
    void EndRun(FunctionId selected) override;
    void NoteProbe(FunctionId id, const ProbeResult& probe) override;

private:
    MainDialog& m_dialog;
};

} // namespace netsonde
