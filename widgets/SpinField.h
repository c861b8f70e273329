// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A read-only number field with its spin buttons: the value changes only by
// the buttons or the arrow keys, within the spin range. A value set by the
// program is shown as it is, even outside the range.

#include <QAbstractSpinBox>

namespace netsonde {

class SpinField : public QAbstractSpinBox {
    Q_OBJECT
public:
    SpinField(int editId, int spinId, int minimum, int maximum, QWidget* parent);

    int Value() const { return m_value; }
    void SetValue(int value);
    int Minimum() const { return m_minimum; }
    int Maximum() const { return m_maximum; }

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    int m_value = 0;
    int m_minimum;
    int m_maximum;
};

} // namespace netsonde
