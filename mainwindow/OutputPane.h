// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A read-only text pane of the main window. Its text keeps CR LF line ends
// (saved, copied and printed as it is); text is added in place at its end,
// never by rewriting the whole pane, so a long pane stays fast.

#include <QPlainTextEdit>

namespace netsonde {

class OutputPane : public QPlainTextEdit {
    Q_OBJECT
public:
    OutputPane(int controlId, QWidget* parent);

    void SetText(const QString& text);
    void AppendText(const QString& text);
    const QString& Text() const { return m_text; }
    qsizetype Length() const { return m_text.size(); }

private:
    // The text as shown: CR LF and a lone CR end a line; a CR at the very
    // end waits for the next piece, which may start with its LF.
    QString DisplayTextOf(const QString& text);

    QString m_text;
    bool m_pendingCr = false;
};

} // namespace netsonde
