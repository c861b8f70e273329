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

CCommandLineOptions::CCommandLineOptions(bool& bCommandLine, QString& strCommandLine)
    : m_bCommandLine(bCommandLine), m_strCommandLine(strCommandLine)
{
}

void CCommandLineOptions::ParseCommandLine(const QStringList& arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const bool bFlag = argument.startsWith(QLatin1Char('-')) || argument.startsWith(QLatin1Char('/'));
        ParseParam(bFlag ? argument.mid(1) : argument, bFlag, i + 1 == arguments.size());
    }
}

void CCommandLineOptions::ParseParam(const QString& param, bool bFlag, bool)
{
    if (bFlag) {
        m_bCommandLine = true;
        m_strCommandLine.clear();
        const QString code = FunctionCodeOf(param);
        if (code.isEmpty())
            m_bCommandLine = false;
        else
            m_strCommandLine = code;
        return;
    }
    if (m_bCommandLine)
        m_strCommandLine += param;
}

} // namespace netsonde
