// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/SpinField.h"

#include "widgets/ControlIds.h"

#include <QLineEdit>

#include <algorithm>

namespace netsonde {

SpinField::SpinField(int editId, int spinId, int minimum, int maximum, QWidget* parent)
    : QAbstractSpinBox(parent), m_minimum(minimum), m_maximum(maximum)
{
    SetControlId(this, spinId);
    SetControlId(lineEdit(), editId);
    lineEdit()->setReadOnly(true);
    setAccelerated(true);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetValue(minimum);
}

void SpinField::SetValue(int value)
{
    m_value = value;
    lineEdit()->setText(QString::number(value));
}

void SpinField::stepBy(int steps)
{
    const long long next = static_cast<long long>(m_value) + steps;
    SetValue(static_cast<int>(std::clamp<long long>(next, m_minimum, m_maximum)));
}

QAbstractSpinBox::StepEnabled SpinField::stepEnabled() const
{
    StepEnabled enabled = StepNone;
    if (m_value < m_maximum)
        enabled |= StepUpEnabled;
    if (m_value > m_minimum)
        enabled |= StepDownEnabled;
    return enabled;
}

} // namespace netsonde
