// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pages/PropertyPage.h"

class QCheckBox;

namespace netsonde {

class CQuoteOfDayPage : public CPropertyPage {
    Q_OBJECT
public:
    explicit CQuoteOfDayPage(QWidget* parent);

    void DoDataExchange(bool bSaveAndValidate) override;
    QList<QWidget*> InputControls() const override;

    bool m_bClearOutput = false;

protected:
    void CreateControls() override;
    void OnInitDialog() override;
    void OnDestroy() override;

private:
    QCheckBox* m_clearOutput = nullptr;
};

} // namespace netsonde
