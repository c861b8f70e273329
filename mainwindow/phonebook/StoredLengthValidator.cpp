// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/phonebook/StoredLengthValidator.h"

namespace netsonde {

StoredLengthValidator::StoredLengthValidator(qsizetype maxBytes, QObject* parent)
    : QValidator(parent), m_maxBytes(maxBytes)
{
}

void StoredLengthValidator::SetAcceptedText(const QString& text)
{
    m_acceptedBytes = text.toUtf8().size();
}

QValidator::State StoredLengthValidator::validate(QString& input, int& /*pos*/) const
{
    const qsizetype bytes = input.toUtf8().size();
    return bytes <= m_maxBytes || bytes <= m_acceptedBytes ? Acceptable : Invalid;
}

} // namespace netsonde
