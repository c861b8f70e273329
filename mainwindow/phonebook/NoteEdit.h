// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The multi-line note box of a dialog: it wraps its lines, refuses any
// typing or pasting that would make its text too long to store, and leaves
// Enter to the dialog's default button (Ctrl+Enter starts a new line). Tab
// moves the focus on.

#include <QPlainTextEdit>

#include <functional>

namespace netsonde {

class NoteEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    using FitRule = std::function<bool(const QString& text)>;

    NoteEdit(FitRule fits, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // The whole text as it would be with the selection replaced by inserted.
    QString TextWithInserted(const QString& inserted) const;
    bool Fits(const QString& inserted) const;
    QString LongestFittingPrefix(const QString& inserted) const;

    FitRule m_fits;
};

} // namespace netsonde
