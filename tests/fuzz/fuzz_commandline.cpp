// SPDX-License-Identifier: GPL-3.0-or-later
// Command lines of any arguments: the input's NUL bytes separate them.

#include "FuzzCheck.h"

#include "app/CommandLineOptions.h"

#include <QStringList>

#include <algorithm>

using namespace netsonde;
using netsonde::fuzz::Require;

namespace {

QStringList ArgumentsOf(QByteArrayView bytes)
{
    QStringList arguments;
    for (const QByteArray& part : bytes.toByteArray().split('\0'))
        arguments << QString::fromUtf8(part);
    return arguments;
}

bool IsSwitch(const QString& argument)
{
    return argument.startsWith(QLatin1Char('-')) || argument.startsWith(QLatin1Char('/'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QStringList arguments = ArgumentsOf(QByteArrayView(data, qsizetype(size)));
    bool fromSwitch = false;
    QString commandLine;
    CommandLineOptions(fromSwitch, commandLine).ParseCommandLine(arguments);

    const bool anySwitch = std::any_of(arguments.cbegin(), arguments.cend(), IsSwitch);
    if (!anySwitch)
        Require(!fromSwitch && commandLine.isEmpty(), "host text alone starts nothing");
    if (!fromSwitch)
        return 0;
    static const QStringList codes{"P ", "T ", "F ", "W ", "N ", "Q "};
    Require(codes.contains(commandLine.left(2)), "a started command line opens with a function code");
    Require(commandLine.size() - 2 <= arguments.join(QString()).size(), "the host text comes from the arguments");

    // Only the last switch and the host text after it count.
    const auto lastSwitch = std::find_if(arguments.crbegin(), arguments.crend(), IsSwitch);
    const QStringList fromLastSwitch = arguments.mid(arguments.crend() - lastSwitch - 1);
    bool tailFromSwitch = false;
    QString tail;
    CommandLineOptions(tailFromSwitch, tail).ParseCommandLine(fromLastSwitch);
    Require(tailFromSwitch && tail == commandLine, "arguments before the last switch change nothing");
    return 0;
}
