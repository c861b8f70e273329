// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Exchange of check boxes and spin fields between controls and members.

#include "pages/SpinField.h"

#include <QCheckBox>

namespace netsonde {

inline void ExchangeCheck(QCheckBox* box, bool& value, bool bSaveAndValidate)
{
    if (bSaveAndValidate)
        value = box->isChecked();
    else
        box->setChecked(value);
}

inline void ExchangeUnsigned(CSpinField* field, unsigned& value, bool bSaveAndValidate)
{
    if (bSaveAndValidate)
        value = static_cast<unsigned>(field->Value());
    else
        field->SetValue(static_cast<int>(value));
}

} // namespace netsonde
