// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pages/PropertyPage.h"

class QCheckBox;

namespace netsonde {

class TraceRoutePage : public PropertyPage {
    Q_OBJECT
public:
    explicit TraceRoutePage(QWidget* parent);

    void DoDataExchange(bool saveAndValidate) override;
    QList<QWidget*> InputControls() const override;
    void WriteInputs(RunInputs& inputs) override;
    // After the Recent List update the fields are also read back.
    void RecordRun(const RunInputs& inputs) override;

    unsigned m_timeout = 5;
    unsigned m_maxHops = 15;
    bool m_resolve = true;
    bool m_repeat = false; // until stopped

protected:
    void CreateControls() override;
    void OnInitDialog() override;
    void OnDestroy() override;

private:
    SpinField* m_timeoutField = nullptr;
    SpinField* m_hops = nullptr;
    QCheckBox* m_resolveCheckBox = nullptr;
    QCheckBox* m_repeatCheckBox = nullptr;
};

} // namespace netsonde
