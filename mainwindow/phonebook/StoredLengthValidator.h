// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stops typing in a line edit once its text would take more bytes than a
// field holds (texts are stored as UTF-8). A longer text that the program
// puts into the edit stays whole, and the user may still shorten it.

#include <QValidator>

namespace netsonde {

class StoredLengthValidator : public QValidator {
    Q_OBJECT
public:
    StoredLengthValidator(qsizetype maxBytes, QObject* parent);

    // The text now in the edit: a change that does not make it longer is
    // accepted even when it is over the limit. The edit's textChanged keeps
    // it current; the program calls it before setting a text itself.
    void SetAcceptedText(const QString& text);

    State validate(QString& input, int& pos) const override;

private:
    qsizetype m_maxBytes;
    qsizetype m_acceptedBytes = 0;
};

} // namespace netsonde
