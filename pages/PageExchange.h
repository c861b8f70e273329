// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Exchange of check boxes and spin fields between controls and members.

#include "widgets/SpinField.h"

#include <QCheckBox>

namespace netsonde {

inline void ExchangeCheck(QCheckBox* box, bool& value, bool saveAndValidate)
{
    if (saveAndValidate)
        value = box->isChecked();
    else
        box->setChecked(value);
}

inline void ExchangeUnsigned(SpinField* field, unsigned& value, bool saveAndValidate)
{
    if (saveAndValidate)
        value = static_cast<unsigned>(field->Value());
    else
        field->SetValue(static_cast<int>(value));
}

} // namespace netsonde
