// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The options of ours on the command line. With --report, --help or
// --version every argument that starts with "--" is taken out and read
// here, and what is left goes to the window's own command-line rules.
// Without them the arguments are the window's alone: there an argument that
// starts with "--" is a switch it does not know, which cancels the command.
// Report mode runs one function once without a window and prints its export
// text; --help and --version print a text and end. In those modes -4 and -6
// are ours too.

#include "platform/net/IpAddress.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace netsonde {

// How report mode writes its output: the export text, one JSON object, or
// CSV rows (Ping and TraceRoute only).
enum class ReportFormat { Text, Json, Csv };

struct ReportOptions {
    enum class Mode { Window, Report, Help, Version, UsageError };

    Mode mode = Mode::Window;
    QString error; // why the command line was refused (UsageError)

    // What the window's command-line rules made of the other arguments.
    bool fromSwitch = false;
    QString commandLine;

    // Page inputs for this run only; unset ones come from the stored settings.
    bool progress = false;
    ReportFormat format = ReportFormat::Text;
    bool noResolve = false;
    bool verbose = false;
    std::optional<int> count;
    std::optional<int> timeout;
    std::optional<int> delay;
    std::optional<int> hops;
    std::optional<int> tries;          // NS LookUp
    std::optional<int> udpPayloadSize; // NS LookUp; 0 sends no OPT record
    bool oneHopAtATime = false;        // TraceRoute: the hops waited for in turn
    bool showAsNumbers = false;        // TraceRoute: the AS column
    std::optional<int> rounds;         // TraceRoute: passes over the hops; 0 until interrupted
    std::optional<int> intervalMs;     // TraceRoute: between the starts of rounds
    bool useTcp = false;               // NS LookUp: ask over TCP from the start
    bool requestDnssec = false;        // NS LookUp: the DO bit
    std::optional<QString> searchType; // the full text of the search-type entry
    std::optional<QString> server;
    std::optional<QString> user;
    // -4: OnlyIPv4, -6: OnlyIPv6; unset, the stored "Prefer IPv6" option decides.
    std::optional<AddressPreference> preference;

    // The function the switch selected (its tab index), or -1.
    int FunctionIndex() const;
    // The host text after the switch.
    QString Host() const;
};

ReportOptions ParseReportOptions(const QStringList& arguments);

// The search-type entry whose type word (the text before " - ") is word,
// case ignored; "gethostbyx" names the resolver mode.
std::optional<QString> SearchTypeOfWord(const QString& word);

QString ReportUsageLine();
QString ReportHelpText();
QString VersionText();

} // namespace netsonde
