#pragma once
// Every message box of the program goes through ShowMessageBox: a modal box
// with the application's name as its title and an OK button. Tests and the
// report mode install a handler that takes the text instead.

#include <QString>

#include <functional>
#include <vector>

namespace netsonde {

enum class MessageIcon { None, Information, Exclamation, Stop };

using MessageBoxHandler = std::function<void(const QString& text, MessageIcon icon)>;

void ShowMessageBox(const QString& text, MessageIcon icon = MessageIcon::None);

// Replaces the handler (an empty one restores the modal box) and returns
// the one it replaced.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Notes every message box shown while it lives, in order, and returns at once.
class CMessageBoxRecorder {
public:
    struct Entry {
        QString text;
        MessageIcon icon;
    };

    CMessageBoxRecorder();
    ~CMessageBoxRecorder();
    CMessageBoxRecorder(const CMessageBoxRecorder&) = delete;
    CMessageBoxRecorder& operator=(const CMessageBoxRecorder&) = delete;

    const std::vector<Entry>& Entries() const { return m_entries; }
    QStringList Texts() const;
    void Clear() { m_entries.clear(); }

private:
    std::vector<Entry> m_entries;
    MessageBoxHandler m_previous;
};

} // namespace netsonde
