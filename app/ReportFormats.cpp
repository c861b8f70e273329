// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReportFormats.h"

#include "app/ReportMode.h"
#include "dns/DnsMessageJson.h"
#include "dns/SearchTypeTable.h"
#include "run/ProbeWatch.h"
#include "whois/WhoIsQuery.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace netsonde {

namespace {

const char* FunctionWord(FunctionId id)
{
    switch (id) {
    case FunctionId::Ping:
        return "ping";
    case FunctionId::TraceRoute:
        return "traceroute";
    case FunctionId::Finger:
        return "finger";
    case FunctionId::WhoIs:
        return "whois";
    case FunctionId::NameServerLookUp:
        return "nslookup";
    case FunctionId::QuoteOfDay:
        return "qod";
    }
    return "";
}

bool IsGetHostByX(const RunInputs& inputs)
{
    return inputs.searchType == GetHostByXSearchType();
}

// "any" unless -4 or -6 limited the run to one family.
QString AddressFamilyWord(AddressPreference preference)
{
    switch (preference) {
    case AddressPreference::OnlyIPv4:
        return QStringLiteral("ipv4");
    case AddressPreference::OnlyIPv6:
        return QStringLiteral("ipv6");
    case AddressPreference::PreferIPv4:
    case AddressPreference::PreferIPv6:
        break;
    }
    return QStringLiteral("any");
}

// The host and the options the function used.
QJsonObject InputsObject(const RunInputs& inputs)
{
    QJsonObject object{{"host", inputs.host}, {"address_family", AddressFamilyWord(inputs.preference)}};
    switch (inputs.function) {
    case FunctionId::Ping:
        object.insert(QStringLiteral("count"), static_cast<qint64>(inputs.pings));
        object.insert(QStringLiteral("timeout"), static_cast<qint64>(inputs.timeout));
        object.insert(QStringLiteral("delay"), static_cast<qint64>(inputs.delay));
        object.insert(QStringLiteral("resolve"), inputs.resolve);
        break;
    case FunctionId::TraceRoute:
        object.insert(QStringLiteral("timeout"), static_cast<qint64>(inputs.timeout));
        object.insert(QStringLiteral("hops"), static_cast<qint64>(inputs.maxHops));
        object.insert(QStringLiteral("resolve"), inputs.resolve);
        object.insert(QStringLiteral("sequential"), inputs.probeOneHopAtATime);
        object.insert(QStringLiteral("asn"), inputs.showAsNumbers);
        object.insert(QStringLiteral("rounds"), static_cast<qint64>(inputs.rounds));
        object.insert(QStringLiteral("interval"), inputs.roundIntervalMs / 1000.0);
        break;
    case FunctionId::Finger:
        object.insert(QStringLiteral("verbose"), inputs.verboseFormat);
        [[fallthrough]];
    case FunctionId::WhoIs:
        object.insert(QStringLiteral("user"), inputs.user);
        object.insert(QStringLiteral("firewall"), inputs.fireWall);
        break;
    case FunctionId::NameServerLookUp:
        object.insert(QStringLiteral("name_server"), inputs.nameServer);
        object.insert(QStringLiteral("search_type"), inputs.searchType);
        object.insert(QStringLiteral("verbose"), inputs.verboseFormat);
        object.insert(QStringLiteral("timeout"), static_cast<qint64>(inputs.timeout));
        object.insert(QStringLiteral("tries"), static_cast<qint64>(inputs.tries));
        object.insert(QStringLiteral("bufsize"), static_cast<qint64>(inputs.udpPayloadSize));
        object.insert(QStringLiteral("tcp"), inputs.useTcp);
        object.insert(QStringLiteral("dnssec"), inputs.requestDnssec);
        break;
    case FunctionId::QuoteOfDay:
        break;
    }
    return object;
}

// The round trip of a "N ms" cell.
std::optional<qint64> RoundTripMs(const QString& cell)
{
    static const QRegularExpression time(QStringLiteral("^(\\d+) ms$"));
    const QRegularExpressionMatch match = time.match(cell);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toLongLong();
}

QJsonValue NumberOrNull(const std::optional<qint64>& number)
{
    return number ? QJsonValue(*number) : QJsonValue(QJsonValue::Null);
}

QString Cell(const QStringList& row, ResultColumn column)
{
    return row.value(ColumnIndex(column));
}

QJsonValue TextOrNull(const QString& text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonValue MillisecondsOrNull(const std::optional<double>& ms)
{
    return ms ? QJsonValue(*ms) : QJsonValue(QJsonValue::Null);
}

// The statistics of a repeated trace's hop, at full precision: the list shows them rounded.
void AddStatistics(const RoundTripStatistics& statistics, QJsonObject& object)
{
    object.insert(QStringLiteral("loss_percent"), statistics.LossPercent());
    object.insert(QStringLiteral("sent"), statistics.Sent());
    object.insert(QStringLiteral("last_ms"), MillisecondsOrNull(statistics.Last()));
    object.insert(QStringLiteral("avg_ms"), MillisecondsOrNull(statistics.Average()));
    object.insert(QStringLiteral("best_ms"), MillisecondsOrNull(statistics.Best()));
    object.insert(QStringLiteral("worst_ms"), MillisecondsOrNull(statistics.Worst()));
    object.insert(QStringLiteral("stddev_ms"), MillisecondsOrNull(statistics.StandardDeviation()));
}

bool Shows(const RunInputs& inputs, ResultColumn column)
{
    const std::vector<ResultColumn> shown = ShownResultColumns(inputs.function, inputs);
    return std::ranges::find(shown, column) != shown.end();
}

// A trace's rows carry "asn": its AS text, or null where none was found or
// none was asked for; a repeated trace's rows its statistics.
QJsonArray RowsArray(const QList<QStringList>& rows, const RunInputs& inputs, const ProbeWatch& probes)
{
    const bool trace = inputs.function == FunctionId::TraceRoute;
    const bool statistics = Shows(inputs, ResultColumn::LossPercent);
    QJsonArray array;
    for (const QStringList& row : rows) {
        QJsonObject object{{trace ? "hop" : "seq", Cell(row, ResultColumn::Number).toLongLong()},
                           {"address", Cell(row, ResultColumn::Address)},
                           {"name", Cell(row, ResultColumn::HostName)},
                           {"time_ms", NumberOrNull(RoundTripMs(Cell(row, ResultColumn::ResponseTime)))}};
        if (trace)
            object.insert(QStringLiteral("asn"), TextOrNull(Cell(row, ResultColumn::AutonomousSystem)));
        if (statistics)
            AddStatistics(probes.StatisticsOf(Cell(row, ResultColumn::Number).toUInt()), object);
        array.append(object);
    }
    return array;
}

// The whole run's, dropped rows included.
QJsonObject PingStatistics(const RoundTripStatistics& statistics)
{
    return {{"sent", statistics.Sent()},
            {"received", statistics.Received()},
            {"loss_percent", statistics.LossPercent()},
            {"min_ms", MillisecondsOrNull(statistics.Best())},
            {"avg_ms", MillisecondsOrNull(statistics.Average())},
            {"max_ms", MillisecondsOrNull(statistics.Worst())},
            {"stddev_ms", MillisecondsOrNull(statistics.StandardDeviation())},
            {"jitter_ms", MillisecondsOrNull(statistics.Jitter())}};
}

QJsonObject NoDnsAnswer()
{
    return QJsonObject{{"header", QJsonValue::Null},
                       {"questions", QJsonArray()},
                       {"answers", QJsonArray()},
                       {"authority", QJsonArray()},
                       {"additional", QJsonArray()}};
}

QJsonObject ResolvedHostObject(const std::optional<HostEntry>& entry)
{
    QJsonArray addresses;
    if (entry) {
        for (const IpAddress& address : entry->addresses)
            addresses.append(FormatIpAddress(address));
    }
    return QJsonObject{{"official_name", entry ? QJsonValue(entry->officialName) : QJsonValue(QJsonValue::Null)},
                       {"aliases", entry ? QJsonArray::fromStringList(entry->aliases) : QJsonArray()},
                       {"addresses", addresses}};
}

// How the answer reported came, or null when none did.
QJsonValue ExchangeValue(const std::optional<DnsExchange>& exchange)
{
    if (!exchange)
        return QJsonValue::Null;
    return QJsonObject{{"server", exchange->serverAddress},
                       {"port", exchange->serverPort},
                       {"transport", exchange->transport == DnsTransport::Tcp ? "tcp" : "udp"},
                       {"retried_over_tcp", exchange->retriedOverTcp},
                       {"retried_without_edns", exchange->retriedWithoutEdns},
                       {"tcp_error", TextOrNull(exchange->tcpError)},
                       {"query_time_ms", exchange->queryTimeMs},
                       {"answer_size", static_cast<qint64>(exchange->answerSize)}};
}

// The object an RDAP server sent, or null when it is not valid JSON.
QJsonValue RdapValue(const QByteArray& received)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(received, &error);
    return error.error == QJsonParseError::NoError && document.isObject() ? QJsonValue(document.object())
                                                                          : QJsonValue(QJsonValue::Null);
}

QJsonArray WhoIsHopsArray(const QList<WhoIsHop>& hops)
{
    QJsonArray array;
    for (const WhoIsHop& hop : hops) {
        const bool rdap = hop.protocol == WhoIsProtocol::Rdap;
        array.append(QJsonObject{{"protocol", rdap ? "rdap" : "whois"},
                                 {"server", hop.server},
                                 {"referred_by", TextOrNull(hop.referredBy)},
                                 {"query", hop.query},
                                 {"status", hop.status},
                                 {"time_ms", hop.timeMs},
                                 {"text", WithLfLineEnds(hop.text)},
                                 {"rdap", rdap ? RdapValue(hop.rdapJson) : QJsonValue(QJsonValue::Null)}});
    }
    return array;
}

void Merge(QJsonObject& into, const QJsonObject& from)
{
    for (auto field = from.constBegin(); field != from.constEnd(); ++field)
        into.insert(field.key(), field.value());
}

// What the function found, by function.
void AddResults(const ReportRecord& record, QJsonObject& report)
{
    const ReportView& view = record.view;
    switch (record.inputs.function) {
    case FunctionId::Ping:
        report.insert(QStringLiteral("rows"), RowsArray(view.Rows(), record.inputs, view.Probes()));
        report.insert(QStringLiteral("rows_dropped"), view.DroppedRows());
        report.insert(QStringLiteral("statistics"), PingStatistics(view.Probes().StatisticsOf(0)));
        return;
    case FunctionId::TraceRoute:
        report.insert(QStringLiteral("rows"), RowsArray(view.Rows(), record.inputs, view.Probes()));
        report.insert(QStringLiteral("destination_reached"), view.DestinationReached());
        return;
    case FunctionId::NameServerLookUp:
        if (IsGetHostByX(record.inputs))
            Merge(report, ResolvedHostObject(view.ResolvedHost()));
        else
            Merge(report, view.DnsAnswer() ? DnsMessageJson(*view.DnsAnswer()) : NoDnsAnswer());
        report.insert(QStringLiteral("exchange"), ExchangeValue(view.LastDnsExchange()));
        report.insert(QStringLiteral("text"), WithLfLineEnds(view.PaneText()));
        return;
    case FunctionId::WhoIs:
        report.insert(QStringLiteral("mode"), NamesAutomaticMode(record.inputs.host) ? "auto" : "server");
        if (NamesAutomaticMode(record.inputs.host))
            report.insert(QStringLiteral("hops"), WhoIsHopsArray(view.WhoIsHops()));
        [[fallthrough]];
    case FunctionId::Finger:
    case FunctionId::QuoteOfDay:
        report.insert(QStringLiteral("text"), WithLfLineEnds(view.PaneText()));
        report.insert(QStringLiteral("bytes_received"), view.BytesReceived());
        return;
    }
}

QString CsvField(const QString& text)
{
    static const QRegularExpression needsQuotes(QStringLiteral("[\",\\r\\n]"));
    if (!text.contains(needsQuotes))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString CsvLine(const QStringList& fields)
{
    QStringList quoted;
    for (const QString& field : fields)
        quoted.append(CsvField(field));
    return quoted.join(QLatin1Char(',')) + QLatin1String("\r\n");
}

} // namespace

QByteArray ReportJson(const ReportRecord& record)
{
    QJsonObject report{
        {"format", QLatin1String(kReportJsonFormat)}, {"function", QLatin1String(FunctionWord(record.inputs.function))},
        {"inputs", InputsObject(record.inputs)},      {"started", record.started.toUTC().toString(Qt::ISODate)},
        {"exit_status", record.exitStatus},           {"messages", QJsonArray::fromStringList(record.messages)}};
    AddResults(record, report);
    return QJsonDocument(report).toJson(QJsonDocument::Indented);
}

// The AS column comes only with the runs that show it.
QByteArray ReportCsv(const RunInputs& inputs, const QList<QStringList>& rows)
{
    const bool asn = Shows(inputs, ResultColumn::AutonomousSystem);
    QStringList heading{inputs.function == FunctionId::Ping ? QStringLiteral("seq") : QStringLiteral("hop"),
                        QStringLiteral("address"), QStringLiteral("name"), QStringLiteral("time_ms")};
    if (asn)
        heading << QStringLiteral("asn");
    QString csv = CsvLine(heading);
    for (const QStringList& row : rows) {
        const std::optional<qint64> time = RoundTripMs(Cell(row, ResultColumn::ResponseTime));
        QStringList cells{Cell(row, ResultColumn::Number), Cell(row, ResultColumn::Address),
                          Cell(row, ResultColumn::HostName), time ? QString::number(*time) : QString()};
        if (asn)
            cells << Cell(row, ResultColumn::AutonomousSystem);
        csv += CsvLine(cells);
    }
    return csv.toUtf8();
}

QByteArray ProbeCsvHeader()
{
    return CsvLine({QStringLiteral("time"), QStringLiteral("hop"), QStringLiteral("sequence"),
                    QStringLiteral("address"), QStringLiteral("time_ms"), QStringLiteral("status")})
        .toUtf8();
}

QByteArray ProbeCsvLine(const QDateTime& began, const ProbeResult& probe)
{
    const std::optional<double>& time = probe.roundTripMs;
    return CsvLine({began.addMSecs(probe.sentMs).toString(Qt::ISODateWithMs), QString::number(probe.hop),
                    QString::number(probe.sequence), probe.address, time ? QString::number(*time, 'f', 3) : QString(),
                    time ? QStringLiteral("ok") : QStringLiteral("lost")})
        .toUtf8();
}

} // namespace netsonde
