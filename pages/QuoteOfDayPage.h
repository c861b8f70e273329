// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pages/PropertyPage.h"

class QCheckBox;

namespace netsonde {

class QuoteOfDayPage : public PropertyPage {
    Q_OBJECT
public:
    explicit QuoteOfDayPage(QWidget* parent);

    void DoDataExchange(bool saveAndValidate) override;
    QList<QWidget*> InputControls() const override;
    void WriteInputs(RunInputs& inputs) override;

    bool m_clearOutput = false;

protected:
    void CreateControls() override;
    void OnInitDialog() override;
    void OnDestroy() override;

private:
    QCheckBox* m_clearOutputCheckBox = nullptr;
};

} // namespace netsonde
