// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReportOptions.h"

#include "app/CommandLineOptions.h"
#include "app/ReportOptionTable.h"
#include "dns/SearchTypeTable.h"
#include "run/FunctionId.h"

#include <algorithm>

namespace netsonde {

namespace {

using enum FunctionId;
using namespace Qt::Literals::StringLiterals;

QString FunctionName(FunctionId id)
{
    return QLatin1String(FunctionTable[Index(id)].name);
}

// The function switches in tab order, "-p" to "-q", joined by separator.
QString SwitchList(QLatin1StringView separator)
{
    QStringList switches;
    for (const FunctionInfo& function : FunctionTable)
        switches << QLatin1Char('-') + QChar::fromLatin1(function.letter).toLower();
    return switches.join(separator);
}

// "  --name VALUE" in a column of 16, the functions it applies to and what it sets.
QString HelpLine(const ReportOption& option)
{
    QString usage = QStringLiteral("--") + QLatin1String(option.name);
    if (option.valueName)
        usage += QLatin1Char(' ') + QLatin1String(option.valueName);
    QStringList functions;
    for (FunctionId function : option.functions)
        functions << FunctionName(function);
    const QString applies = functions.isEmpty() ? QString() : functions.join(QLatin1String(", ")) + QLatin1String(": ");
    return QStringLiteral("  %1%2%3\n").arg(usage, -16).arg(applies, QLatin1String(option.help));
}

// Only the options that leave the window, given as they are, ask for a run
// without it; without one of them the arguments are the window's alone.
bool AsksForModeWithoutWindow(const QStringList& arguments)
{
    return std::ranges::any_of(AllReportOptions(), [&arguments](const ReportOption& option) {
        return option.leavesWindow && arguments.contains(QLatin1String("--") + QLatin1String(option.name));
    });
}

// The window's command-line rules: an option of ours given to the window is
// a switch the window does not know, so it cancels the command wherever it
// stands, and the window starts normally.
ReportOptions WindowOptions(const QStringList& arguments)
{
    ReportOptions options;
    const bool givesOptionOfOurs = std::any_of(arguments.begin(), arguments.end(), [](const QString& argument) {
        return argument.startsWith(QLatin1String("--"));
    });
    if (!givesOptionOfOurs)
        CommandLineOptions(options.fromSwitch, options.commandLine).ParseCommandLine(arguments);
    return options;
}

// The preference a family switch forces, or none for any other argument.
std::optional<AddressPreference> FamilySwitchPreference(const QString& argument)
{
    if (argument == QLatin1String("-4"))
        return AddressPreference::OnlyIPv4;
    if (argument == QLatin1String("-6"))
        return AddressPreference::OnlyIPv6;
    return std::nullopt;
}

// Reads the options of ours one by one; the other arguments are kept in
// their order for the window's command-line rules.
class OptionReader {
public:
    OptionReader(const QStringList& arguments, ReportOptions& options) : m_arguments(arguments), m_options(options) {}

    // False on a usage error, with the reason in the options.
    bool Read()
    {
        for (m_next = 0; m_next < m_arguments.size();) {
            const QString argument = m_arguments.at(m_next++);
            if (const auto preference = FamilySwitchPreference(argument)) {
                if (!ReadFamilySwitch(*preference))
                    return false;
                continue;
            }
            if (!argument.startsWith(QLatin1String("--"))) {
                m_rest.append(argument);
                continue;
            }
            if (!ReadOption(argument.mid(2)))
                return false;
        }
        return true;
    }

    const QStringList& Rest() const { return m_rest; }
    const QList<const ReportOption*>& OptionsGiven() const { return m_given; }

private:
    bool Fail(const QString& reason)
    {
        m_options.error = reason;
        return false;
    }

    bool ReadOption(const QString& text)
    {
        const qsizetype equals = text.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? text : text.left(equals);
        std::optional<QString> value;
        if (equals >= 0)
            value = text.mid(equals + 1);
        const ReportOption* option = FindReportOption(name);
        if (!option)
            return Fail(QStringLiteral("unknown option --") + name);
        if (value && !option->valueName)
            return Fail(QStringLiteral("--%1 takes no value").arg(name));
        if (option->valueName && !value) {
            if (m_next >= m_arguments.size() || m_arguments.at(m_next).startsWith(QLatin1String("--")))
                return Fail(QStringLiteral("--%1 needs a value").arg(name));
            value = m_arguments.at(m_next++);
        }
        m_given.append(option);
        const QString error = option->set(m_options, name, value.value_or(QString()));
        return error.isEmpty() || Fail(error);
    }

    bool ReadFamilySwitch(AddressPreference preference)
    {
        if (m_options.preference && *m_options.preference != preference)
            return Fail(QStringLiteral("-4 and -6 cannot be given together"));
        m_options.preference = preference;
        return true;
    }

    const QStringList& m_arguments;
    ReportOptions& m_options;
    qsizetype m_next = 0;
    QStringList m_rest;
    QList<const ReportOption*> m_given;
};

ReportOptions UsageError(ReportOptions options, const QString& reason)
{
    options.mode = ReportOptions::Mode::UsageError;
    options.error = reason;
    return options;
}

// The reason an option given does not fit the selected function, or empty.
QString MisplacedOption(const QList<const ReportOption*>& given, FunctionId function)
{
    for (const ReportOption* option : given) {
        if (!AppliesTo(*option, function))
            return QStringLiteral("--%1 does not apply to %2").arg(QLatin1String(option->name), FunctionName(function));
    }
    return {};
}

} // namespace

int ReportOptions::FunctionIndex() const
{
    if (!fromSwitch || commandLine.size() < 2)
        return -1;
    return FunctionOfLetter(commandLine.at(0).toLatin1());
}

QString ReportOptions::Host() const
{
    return commandLine.mid(2);
}

ReportOptions ParseReportOptions(const QStringList& arguments)
{
    if (!AsksForModeWithoutWindow(arguments))
        return WindowOptions(arguments);
    ReportOptions options;
    OptionReader reader(arguments, options);
    if (!reader.Read())
        return UsageError(options, options.error);
    CommandLineOptions(options.fromSwitch, options.commandLine).ParseCommandLine(reader.Rest());
    if (options.mode == ReportOptions::Mode::Help || options.mode == ReportOptions::Mode::Version)
        return options;
    if (options.FunctionIndex() < 0)
        return UsageError(options, QStringLiteral("--report needs one of the switches ") + SwitchList(", "_L1));
    const auto function = static_cast<FunctionId>(options.FunctionIndex());
    // WhoIs without a host asks in automatic mode.
    if (options.Host().isEmpty() && function != WhoIs)
        return UsageError(options, QStringLiteral("--report needs a host after the switch"));
    const QString misplaced = MisplacedOption(reader.OptionsGiven(), function);
    if (!misplaced.isEmpty())
        return UsageError(options, misplaced);
    if (options.format == ReportFormat::Csv && function != Ping && function != TraceRoute)
        return UsageError(options, QStringLiteral("--format csv applies only to Ping and TraceRoute"));
    options.mode = ReportOptions::Mode::Report;
    return options;
}

std::optional<QString> SearchTypeOfWord(const QString& word)
{
    if (word.compare(QLatin1String("gethostbyx"), Qt::CaseInsensitive) == 0)
        return GetHostByXSearchType();
    for (const SearchType& type : SearchTypeTable) {
        const QString text = QString::fromLatin1(type.text);
        const qsizetype dash = text.indexOf(QLatin1String(" - "));
        if (dash > 0 && text.left(dash).compare(word, Qt::CaseInsensitive) == 0)
            return text;
    }
    return std::nullopt;
}

QString ReportUsageLine()
{
    return QStringLiteral("usage: netsonde --report [OPTION]... %1 HOST  (netsonde --help for more)")
        .arg(SwitchList("|"_L1));
}

QString ReportHelpText()
{
    QString text = QStringLiteral("Usage: netsonde [%1] [HOST]\n"
                                  "       netsonde --report [-4|-6] [OPTION]... %1 HOST\n"
                                  "       netsonde --help | --version\n"
                                  "\n"
                                  "The window: a switch (\"-\" or \"/\" and one letter) selects Ping, TraceRoute,\n"
                                  "Finger, WhoIs, NS LookUp or Quote Of The Day; the host after it is filled in\n"
                                  "and the function starts at once. A switch alone only selects the tab.\n"
                                  "\n"
                                  "Report mode runs the selected function once without a window and writes its\n"
                                  "output, with the date and header lines of Save, to standard output.\n"
                                  "The page inputs are the stored ones unless set for this run:\n")
                       .arg(SwitchList("|"_L1));
    for (const ReportOption& option : AllReportOptions()) {
        if (option.help)
            text += HelpLine(option);
    }
    return text
           + QStringLiteral("  -4, -6          reach the host by IPv4 only, or by IPv6 only; without\n"
                            "                  them a name with addresses of both families is reached\n"
                            "                  by its IPv4 address, or by its IPv6 one when the stored\n"
                            "                  option Prefer IPv6 is on\n"
                            "WhoIs with the host \"auto\", or none, asks about the --user text itself:\n"
                            "                  whois.iana.org first, then the server each answer refers\n"
                            "                  to, five servers at most (-w auto --user example.com)\n"
                            "Message boxes go to standard error as lines \"netsonde: TEXT\".\n"
                            "Exit status: 0 done, 1 a message box was shown, 2 usage error,\n"
                            "130 interrupted (what was gathered is still written).\n"
                            "Report mode reads the settings but never writes them.\n"
                            "\n"
                            "With --rounds, --format csv writes one line per probe as its wait ends\n"
                            "(time: the send, ISO 8601 UTC; status ok or lost) instead of the rows:\n"
                            "  time,hop,sequence,address,time_ms,status\n"
                            "--format json writes one object; its fields are described in netsonde(1).\n"
                            "--format csv writes a header line and one line per row (RFC 4180\n"
                            "quoting, CR LF line ends), time_ms empty when no reply came:\n"
                            "  seq,address,name,time_ms        (TraceRoute: hop,address,name,time_ms)\n"
                            "  1,192.0.2.7,host.example,3\n");
}

QString VersionText()
{
    return QStringLiteral("Netsonde Version 2.1a");
}

} // namespace netsonde
