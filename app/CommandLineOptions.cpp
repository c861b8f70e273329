// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLineOptions.h"

namespace netsonde {

namespace {

// The two-character function code of a switch letter, or an empty text.
QString FunctionCodeOf(const QString& switchText)
{
    if (switchText.size() != 1)
        return {};
    const QChar letter = switchText.at(0).toUpper();
    if (QStringLiteral("PTFWNQ").contains(letter))
        return QString(letter) + QLatin1Char(' ');
    return {};
}

} // namespace

CommandLineOptions::CommandLineOptions(bool& fromSwitch, QString& commandLine)
    : m_fromSwitch(fromSwitch), m_commandLine(commandLine)
{
}

void CommandLineOptions::ParseCommandLine(const QStringList& arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const bool flag = argument.startsWith(QLatin1Char('-')) || argument.startsWith(QLatin1Char('/'));
        ParseParam(flag ? argument.mid(1) : argument, flag, i + 1 == arguments.size());
    }
}

void CommandLineOptions::ParseParam(const QString& param, bool flag, bool)
{
    if (flag) {
        m_fromSwitch = true;
        m_commandLine.clear();
        const QString code = FunctionCodeOf(param);
        if (code.isEmpty())
            m_fromSwitch = false;
        else
            m_commandLine = code;
        return;
    }
    if (m_fromSwitch)
        m_commandLine += param;
}

} // namespace netsonde
