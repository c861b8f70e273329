// Received datagrams of any shape: the report in both forms and the name
// decoder at any offset.

#include "FuzzCheck.h"
#include "FuzzInput.h"

#include "dns/DnsDomainName.h"
#include "dns/DnsReport.h"

using namespace netsonde;
using netsonde::fuzz::Require;

namespace {

void CheckReport(QByteArrayView message, bool verbose)
{
    const QString report = WriteDnsReport(message, {verbose});
    Require(report.endsWith(QStringLiteral("---\r\n")), "the report ends with its closing line");
    Require(report == WriteDnsReport(message, {verbose}), "the same datagram gives the same report");
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
    fuzz::FuzzInput input(data, size);
    const std::uint8_t nameOffset = input.TakeByte();
    const QByteArrayView message = input.Rest();
    CheckReport(message, false);
    CheckReport(message, true);
    CheckNameAt(message, message.isEmpty() ? 0 : nameOffset % message.size());
    return 0;
}
