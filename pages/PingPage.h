// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pages/PropertyPage.h"

class QCheckBox;

namespace netsonde {

class PingPage : public PropertyPage {
    Q_OBJECT
public:
    explicit PingPage(QWidget* parent);

    void DoDataExchange(bool saveAndValidate) override;
    // Number of Pings is not among them while Until stopped is ticked: it
    // stays disabled then.
    QList<QWidget*> InputControls() const override;
    void WriteInputs(RunInputs& inputs) override;
    // After the Recent List update the fields are also read back.
    void RecordRun(const RunInputs& inputs) override;

    unsigned m_timeout = 15;
    unsigned m_pings = 3;
    unsigned m_delay = 1000;
    bool m_resolve = true;
    bool m_untilStopped = false;

protected:
    void CreateControls() override;
    void OnInitDialog() override;
    void OnDestroy() override;

private:
    SpinField* m_timeoutField = nullptr;
    SpinField* m_pingsField = nullptr;
    SpinField* m_delayField = nullptr;
    QCheckBox* m_resolveCheckBox = nullptr;
    QCheckBox* m_untilStoppedCheckBox = nullptr;
};

} // namespace netsonde
