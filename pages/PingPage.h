// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pages/PropertyPage.h"

class QCheckBox;

namespace netsonde {

class CPingPage : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPingPage(QWidget* parent);

    void DoDataExchange(bool bSaveAndValidate) override;
    QList<QWidget*> InputControls() const override;

    unsigned m_nTimeout = 15;
    unsigned m_nPings = 3;
    unsigned m_nDelay = 1000;
    bool m_bResolve = true;

protected:
    void CreateControls() override;
    void OnInitDialog() override;
    void OnDestroy() override;

private:
    CSpinField* m_timeout = nullptr;
    CSpinField* m_pings = nullptr;
    CSpinField* m_delay = nullptr;
    QCheckBox* m_resolve = nullptr;
};

} // namespace netsonde
