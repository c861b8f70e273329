// SPDX-License-Identifier: GPL-3.0-or-later
// Received datagrams of any shape: the report in both forms, its JSON form,
// and the name decoder at any offset.

#include "FuzzCheck.h"
#include "FuzzInput.h"

#include "dns/DnsDomainName.h"
#include "dns/DnsMessageJson.h"
#include "dns/DnsReport.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace netsonde;
using netsonde::fuzz::Require;

namespace {

void CheckReport(QByteArrayView message, bool verbose)
{
    const QString report = WriteDnsReport(message, {verbose});
    Require(report.endsWith(QStringLiteral("---\r\n")), "the report ends with its closing line");
    Require(report == WriteDnsReport(message, {verbose}), "the same datagram gives the same report");
}

// The "   Name=" lines that a received name or string makes by holding CR LF.
qsizetype NameLinesInside(const QJsonValue& value)
{
    if (value.isString())
        return value.toString().count(QStringLiteral("\r\n   Name="));
    qsizetype count = 0;
    for (const QJsonValue& item : value.toArray())
        count += NameLinesInside(item);
    for (const QJsonValue& item : value.toObject())
        count += NameLinesInside(item);
    return count;
}

// The JSON form parses back, and it lists one record for every "Name=" line
// of the short report (received bytes that themselves make such a line
// counted apart).
void CheckJson(QByteArrayView message)
{
    const QJsonObject decoded = DnsMessageJson(message);
    QJsonParseError error;
    const QJsonDocument parsed = QJsonDocument::fromJson(QJsonDocument(decoded).toJson(), &error);
    Require(error.error == QJsonParseError::NoError && parsed.isObject(), "the JSON form is valid JSON");
    qsizetype lines = 0;
    for (const char* section : {"answers", "authority", "additional"}) {
        const QJsonValue records = parsed.object().value(QLatin1String(section));
        lines += records.toArray().size() + NameLinesInside(records);
    }
    Require(lines == ("\r\n" + WriteDnsReport(message, {false})).count(QStringLiteral("\r\n   Name=")),
            "the JSON form has as many records as the report has Name= lines");
}

// The name at the offset: the cursor moves forwards and stays inside, and
// since every jump goes backwards no byte is read twice, so the name is
// never longer than the message.
void CheckNameAt(QByteArrayView message, qsizetype offset)
{
    DnsWireCursor cursor(message, offset, message.size());
    const qsizetype start = cursor.Position();
    const QByteArray name = DecodeDomainName(cursor);
    Require(cursor.Position() >= start && cursor.Position() <= cursor.End(),
            "the cursor rests inside the message, not before the name");
    Require(cursor.Failed() || cursor.Position() > start, "a name read whole takes at least one byte");
    Require(name.size() <= message.size(), "a name is never longer than its message");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArrayView message(data, qsizetype(size));
    const std::uint8_t nameOffset = fuzz::TakeByte(message);
    CheckReport(message, false);
    CheckReport(message, true);
    CheckJson(message);
    CheckNameAt(message, message.isEmpty() ? 0 : nameOffset % message.size());
    return 0;
}
