// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReportOptions.h"

#include "app/CommandLineOptions.h"
#include "dns/SearchTypeTable.h"

#include <algorithm>

namespace netsonde {

namespace {

enum ReportFunction { kPing = 0, kTraceRoute, kFinger, kWhoIs, kNameServerLookUp, kQuoteOfDay };

const char* const kFunctionNames[] = {"Ping", "TraceRoute", "Finger", "WhoIs", "NS LookUp", "Quote Of The Day"};

// Which functions an option of the page inputs applies to.
struct PageOption {
    const char* name;
    bool takesValue;
    std::initializer_list<int> functions;
};

const PageOption kPageOptions[] = {
    {"count", true, {kPing}},
    {"timeout", true, {kPing, kTraceRoute}},
    {"delay", true, {kPing}},
    {"hops", true, {kTraceRoute}},
    {"no-resolve", false, {kPing, kTraceRoute}},
    {"verbose", false, {kFinger, kNameServerLookUp}},
    {"type", true, {kNameServerLookUp}},
    {"server", true, {kNameServerLookUp}},
    {"user", true, {kFinger, kWhoIs}},
    {"format", true, {kPing, kTraceRoute, kFinger, kWhoIs, kNameServerLookUp, kQuoteOfDay}},
};

std::optional<ReportFormat> FormatOfWord(const QString& word)
{
    if (word == QLatin1String("text"))
        return ReportFormat::Text;
    if (word == QLatin1String("json"))
        return ReportFormat::Json;
    if (word == QLatin1String("csv"))
        return ReportFormat::Csv;
    return std::nullopt;
}

const PageOption* FindPageOption(const QString& name)
{
    for (const PageOption& option : kPageOptions) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

// Only these ask for a run without the window; without one of them the
// arguments are the window's alone.
bool AsksForModeWithoutWindow(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--report") || argument == QLatin1String("--help")
            || argument == QLatin1String("--version"))
            return true;
    }
    return false;
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

bool IsModeOption(const QString& name)
{
    return name == QLatin1String("report") || name == QLatin1String("help") || name == QLatin1String("version")
           || name == QLatin1String("progress");
}

// Reads the options of ours one by one; the other arguments are kept in
// their order for the window's command-line rules.
class OptionReader {
public:
    OptionReader(const QStringList& arguments, ReportOptions& options) : m_arguments(arguments), m_options(options)
    {
    }

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
    bool Help() const { return m_showHelp; }
    bool Version() const { return m_showVersion; }
    const QStringList& PageOptionsGiven() const { return m_given; }

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
        std::optional<QString> inlineValue;
        if (equals >= 0)
            inlineValue = text.mid(equals + 1);
        const PageOption* option = FindPageOption(name);
        if (!option && !IsModeOption(name))
            return Fail(QStringLiteral("unknown option --") + name);
        if (inlineValue && !(option && option->takesValue))
            return Fail(QStringLiteral("--%1 takes no value").arg(name));
        if (!option)
            return ReadModeOption(name);
        std::optional<QString> value = inlineValue;
        if (option->takesValue && !value) {
            if (m_next >= m_arguments.size() || m_arguments.at(m_next).startsWith(QLatin1String("--")))
                return Fail(QStringLiteral("--%1 needs a value").arg(name));
            value = m_arguments.at(m_next++);
        }
        m_given.append(name);
        return StorePageOption(name, value.value_or(QString()));
    }

    bool ReadFamilySwitch(AddressPreference preference)
    {
        if (m_options.preference && *m_options.preference != preference)
            return Fail(QStringLiteral("-4 and -6 cannot be given together"));
        m_options.preference = preference;
        return true;
    }

    // --report itself needs no reading: its presence chose this reader.
    bool ReadModeOption(const QString& name)
    {
        m_showHelp = m_showHelp || name == QLatin1String("help");
        m_showVersion = m_showVersion || name == QLatin1String("version");
        m_options.progress = m_options.progress || name == QLatin1String("progress");
        return true;
    }

    bool StoreNumber(const QString& name, const QString& value, std::optional<int>& target)
    {
        bool ok = false;
        const int number = value.toInt(&ok, 10);
        if (!ok)
            return Fail(QStringLiteral("--%1 needs a whole number, not \"%2\"").arg(name, value));
        target = number;
        return true;
    }

    bool StorePageOption(const QString& name, const QString& value)
    {
        if (name == QLatin1String("count"))
            return StoreNumber(name, value, m_options.count);
        if (name == QLatin1String("timeout"))
            return StoreNumber(name, value, m_options.timeout);
        if (name == QLatin1String("delay"))
            return StoreNumber(name, value, m_options.delay);
        if (name == QLatin1String("hops"))
            return StoreNumber(name, value, m_options.hops);
        if (name == QLatin1String("type")) {
            m_options.searchType = SearchTypeOfWord(value);
            return m_options.searchType ? true : Fail(QStringLiteral("unknown search type \"%1\"").arg(value));
        }
        if (name == QLatin1String("format")) {
            const std::optional<ReportFormat> format = FormatOfWord(value);
            if (!format)
                return Fail(QStringLiteral("unknown format \"%1\" (text, json or csv)").arg(value));
            m_options.format = *format;
            return true;
        }
        if (name == QLatin1String("server"))
            m_options.server = value;
        else if (name == QLatin1String("user"))
            m_options.user = value;
        else if (name == QLatin1String("no-resolve"))
            m_options.noResolve = true;
        else
            m_options.verbose = true;
        return true;
    }

    const QStringList& m_arguments;
    ReportOptions& m_options;
    qsizetype m_next = 0;
    QStringList m_rest;
    QStringList m_given;
    bool m_showHelp = false;
    bool m_showVersion = false;
};

ReportOptions UsageError(ReportOptions options, const QString& reason)
{
    options.mode = ReportOptions::Mode::UsageError;
    options.error = reason;
    return options;
}

// The reason an option given does not fit the selected function, or empty.
QString MisplacedOption(const QStringList& given, int function)
{
    for (const QString& name : given) {
        const PageOption* option = FindPageOption(name);
        if (!option)
            continue;
        bool applies = false;
        for (int target : option->functions)
            applies = applies || target == function;
        if (!applies)
            return QStringLiteral("--%1 does not apply to %2").arg(name, QLatin1String(kFunctionNames[function]));
    }
    return {};
}

} // namespace

int ReportOptions::FunctionIndex() const
{
    if (!fromSwitch || commandLine.size() < 2)
        return -1;
    return static_cast<int>(QStringLiteral("PTFWNQ").indexOf(commandLine.at(0)));
}

QString ReportOptions::Host() const { return commandLine.mid(2); }

ReportOptions ParseReportOptions(const QStringList& arguments)
{
    if (!AsksForModeWithoutWindow(arguments))
        return WindowOptions(arguments);
    ReportOptions options;
    OptionReader reader(arguments, options);
    if (!reader.Read())
        return UsageError(options, options.error);
    CommandLineOptions(options.fromSwitch, options.commandLine).ParseCommandLine(reader.Rest());
    if (reader.Help()) {
        options.mode = ReportOptions::Mode::Help;
        return options;
    }
    if (reader.Version()) {
        options.mode = ReportOptions::Mode::Version;
        return options;
    }
    const int function = options.FunctionIndex();
    if (function < 0)
        return UsageError(options, QStringLiteral("--report needs one of the switches -p, -t, -f, -w, -n, -q"));
    if (options.Host().isEmpty())
        return UsageError(options, QStringLiteral("--report needs a host after the switch"));
    const QString misplaced = MisplacedOption(reader.PageOptionsGiven(), function);
    if (!misplaced.isEmpty())
        return UsageError(options, misplaced);
    if (options.format == ReportFormat::Csv && function != kPing && function != kTraceRoute)
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
    return QStringLiteral("usage: netsonde --report [OPTION]... -p|-t|-f|-w|-n|-q HOST  (netsonde --help for more)");
}

QString ReportHelpText()
{
    return QStringLiteral(
        "Usage: netsonde [-p|-t|-f|-w|-n|-q] [HOST]\n"
        "       netsonde --report [-4|-6] [OPTION]... -p|-t|-f|-w|-n|-q HOST\n"
        "       netsonde --help | --version\n"
        "\n"
        "The window: a switch (\"-\" or \"/\" and one letter) selects Ping, TraceRoute,\n"
        "Finger, WhoIs, NS LookUp or Quote Of The Day; the host after it is filled in\n"
        "and the function starts at once. A switch alone only selects the tab.\n"
        "\n"
        "Report mode runs the selected function once without a window and writes its\n"
        "output, with the date and header lines of Save, to standard output.\n"
        "The page inputs are the stored ones unless set for this run:\n"
        "  --count N       Ping: number of pings\n"
        "  --timeout S     Ping, TraceRoute: time-out in seconds\n"
        "  --delay MS      Ping: pause between pings in milliseconds\n"
        "  --hops N        TraceRoute: maximum hops\n"
        "  --no-resolve    Ping, TraceRoute: do not resolve IP addresses\n"
        "  --verbose       Finger, NS LookUp: verbose format\n"
        "  --type WORD     NS LookUp: search type (A, MX, ALL, ... or gethostbyx)\n"
        "  --server HOST   NS LookUp: name server\n"
        "  --user TEXT     Finger, WhoIs: user\n"
        "  --progress      write every status-line text to standard error\n"
        "  --format WORD   text (the default), json or csv (Ping, TraceRoute)\n"
        "  -4, -6          reach the host by IPv4 only, or by IPv6 only; without\n"
        "                  them a name with addresses of both families is reached\n"
        "                  by its IPv4 address, or by its IPv6 one when the stored\n"
        "                  option Prefer IPv6 is on\n"
        "Message boxes go to standard error as lines \"netsonde: TEXT\".\n"
        "Exit status: 0 done, 1 a message box was shown, 2 usage error,\n"
        "130 interrupted (what was gathered is still written).\n"
        "Report mode reads the settings but never writes them.\n"
        "\n"
        "--format json writes one object: \"format\": \"netsonde-report/1\",\n"
        "\"function\" (ping, traceroute, finger, whois, nslookup, qod), \"inputs\"\n"
        "(host, address_family: any, ipv4 or ipv6 as -4/-6 chose, and the options\n"
        "used: count, timeout, delay, resolve, hops, user, verbose, firewall,\n"
        "name_server, search_type), \"started\" (UTC, ISO 8601),\n"
        "\"exit_status\", \"messages\" (the message-box texts), and by function:\n"
        "  ping        \"rows\": [{seq, address, name, time_ms}] (time_ms null when\n"
        "              no reply), \"statistics\": {sent, received, loss_percent,\n"
        "              min_ms, avg_ms, max_ms} (min/avg/max null when none came)\n"
        "  traceroute  \"rows\": [{hop, address, name, time_ms}],\n"
        "              \"destination_reached\": true or false\n"
        "  finger, whois, qod  \"text\" (LF line ends), \"bytes_received\"\n"
        "  nslookup    \"header\": {id, qr, opcode, aa, tc, rd, ra, z, rcode, qdcount,\n"
        "              ancount, nscount, arcount} (null without an answer),\n"
        "              \"questions\": [{name, type, type_number, class}],\n"
        "              \"answers\", \"authority\", \"additional\": [{name, type,\n"
        "              type_number, class, ttl, rdlength, and the RDATA fields:\n"
        "              address, protocol, name_server, canonical_name, mailbox,\n"
        "              mail_group_member, new_mailbox, domain_name, mname, rname,\n"
        "              serial, refresh, retry, expire, minimum, cpu, os,\n"
        "              responsible_mailbox, error_mailbox, preference, exchange,\n"
        "              strings (TXT, a list), address (AAAA), priority, weight,\n"
        "              port, target (SRV), or rdata: \"Not yet implemented\"}],\n"
        "              \"error\" (on the message or a record) where the text\n"
        "              report shows its Error line, and \"text\" (the report);\n"
        "              with --type gethostbyx: \"official_name\", \"aliases\",\n"
        "              \"addresses\" and \"text\"\n"
        "Names and texts received are UTF-8 where valid, other bytes Latin-1.\n"
        "Example: {\"format\": \"netsonde-report/1\", \"function\": \"qod\",\n"
        "  \"inputs\": {\"host\": \"q.example\", \"address_family\": \"any\"},\n"
        "  \"started\": \"2024-06-15T09:05:00Z\",\n"
        "  \"exit_status\": 0, \"messages\": [], \"text\": \"Be brief.\\n\",\n"
        "  \"bytes_received\": 11}\n"
        "--format csv writes a header line and one line per row (RFC 4180\n"
        "quoting, CR LF line ends), time_ms empty when no reply came:\n"
        "  seq,address,name,time_ms        (TraceRoute: hop,address,name,time_ms)\n"
        "  1,192.0.2.7,host.example,3\n");
}

QString VersionText() { return QStringLiteral("Netsonde Version 2.1a"); }

} // namespace netsonde
