// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MessageBox.h"

#include <QStringList>

#include <cstdio>

namespace netsonde {

namespace {

MessageBoxHandler& CurrentHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

MessageBoxHandler& DefaultHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

// Without a window, a message is one line of standard error.
void WriteMessageLine(const QString& text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    const QByteArray bytes = (QStringLiteral("netsonde: ") + line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

void ShowMessageBox(const QString& text, MessageIcon icon)
{
    if (CurrentHandler())
        CurrentHandler()(text, icon);
    else if (DefaultHandler())
        DefaultHandler()(text, icon);
    else
        WriteMessageLine(text);
}

void SetDefaultMessageBoxHandler(MessageBoxHandler handler)
{
    DefaultHandler() = std::move(handler);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    MessageBoxHandler previous = std::move(CurrentHandler());
    CurrentHandler() = std::move(handler);
    return previous;
}

MessageBoxRecorder::MessageBoxRecorder()
{
    m_previous = SetMessageBoxHandler([this](const QString& text, MessageIcon icon) {
        m_entries.push_back({text, icon});
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    SetMessageBoxHandler(std::move(m_previous));
}

QStringList MessageBoxRecorder::Texts() const
{
    QStringList texts;
    for (const Entry& entry : m_entries)
        texts << entry.text;
    return texts;
}

} // namespace netsonde
