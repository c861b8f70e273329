// SPDX-License-Identifier: GPL-3.0-or-later
// RDAP answers of any shape: the readable text is bounded, made of whole
// CR LF lines, and the same for the same answer.

#include "FuzzCheck.h"
#include "FuzzInput.h"

#include "whois/RdapText.h"

using namespace netsonde;
using netsonde::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArrayView input(data, qsizetype(size));
    constexpr int kStatuses[] = {200, 404, 429, 500};
    const RdapAnswer answer{kStatuses[fuzz::TakeByte(input) % 4], input.toByteArray(), "120", "example.test"};
    const QString text = RdapReadableText(answer);
    Require(text.size() <= kRdapTextLimit, "the text is bounded");
    Require(text.endsWith(QStringLiteral("\r\n")), "the text ends with a line end");
    Require(text.count(QLatin1Char('\n')) == text.count(QStringLiteral("\r\n")), "every line ends in CR LF");
    Require(text.count(QLatin1Char('\r')) == text.count(QStringLiteral("\r\n")), "no CR stands alone");
    Require(text == RdapReadableText(answer), "the same answer gives the same text");
    return 0;
}
