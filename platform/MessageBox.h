// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every message box of the program goes through ShowMessageBox. The window
// makes the default a modal box with the application's name as its title
// and an OK button; without a window the text becomes the line
// "netsonde: TEXT" on standard error. Tests and report mode install a
// handler that takes the text instead.

#include <QString>

#include <functional>
#include <vector>

namespace netsonde {

enum class MessageIcon { None, Information, Exclamation, Stop };

using MessageBoxHandler = std::function<void(const QString& text, MessageIcon icon)>;

void ShowMessageBox(const QString& text, MessageIcon icon = MessageIcon::None);

// Replaces the handler (an empty one restores the default) and returns the
// one it replaced.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// What shows a message when no handler is installed: the window's modal box.
void SetDefaultMessageBoxHandler(MessageBoxHandler handler);

// Notes every message box shown while it lives, in order, and returns at once.
class MessageBoxRecorder {
public:
    struct Entry {
        QString text;
        MessageIcon icon;
    };

    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<Entry>& Entries() const { return m_entries; }
    QStringList Texts() const;
    void Clear() { m_entries.clear(); }

private:
    std::vector<Entry> m_entries;
    MessageBoxHandler m_previous;
};

} // namespace netsonde
