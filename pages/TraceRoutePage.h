// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pages/PropertyPage.h"

class QCheckBox;

namespace netsonde {

class CTraceRoutePage : public CPropertyPage {
    Q_OBJECT
public:
    explicit CTraceRoutePage(QWidget* parent);

    void DoDataExchange(bool bSaveAndValidate) override;
    QList<QWidget*> InputControls() const override;

    unsigned m_nTimeout = 5;
    unsigned m_nMaxHops = 15;
    bool m_bResolve = true;

protected:
    void CreateControls() override;
    void OnInitDialog() override;
    void OnDestroy() override;

private:
    CSpinField* m_timeout = nullptr;
    CSpinField* m_hops = nullptr;
    QCheckBox* m_resolve = nullptr;
};

} // namespace netsonde
