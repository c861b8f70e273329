#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>

namespace netsonde {

namespace {

MessageBoxHandler& CurrentHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

QMessageBox::Icon ToQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

void ShowModalBox(const QString& text, MessageIcon icon)
{
    QMessageBox box(ToQtIcon(icon), QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace

void ShowMessageBox(const QString& text, MessageIcon icon)
{
    if (CurrentHandler())
        CurrentHandler()(text, icon);
    else
        ShowModalBox(text, icon);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    MessageBoxHandler previous = std::move(CurrentHandler());
    CurrentHandler() = std::move(handler);
    return previous;
}

CMessageBoxRecorder::CMessageBoxRecorder()
{
    m_previous = SetMessageBoxHandler(
        [this](const QString& text, MessageIcon icon) { m_entries.push_back({text, icon}); });
}

CMessageBoxRecorder::~CMessageBoxRecorder() { SetMessageBoxHandler(std::move(m_previous)); }

QStringList CMessageBoxRecorder::Texts() const
{
    QStringList texts;
    for (const Entry& entry : m_entries)
        texts << entry.text;
    return texts;
}

} // namespace netsonde
