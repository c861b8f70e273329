// SPDX-License-Identifier: GPL-3.0-or-later
// A received answer read for the TXT records of one name: the whole input is
// the message, the name asked is 4.100.51.198.origin.example.

#include "FuzzCheck.h"

#include "platform/resolver/TxtLookup.h"

#include <algorithm>
#include <vector>

using namespace netsonde;
using netsonde::fuzz::Require;

namespace {

// What follows the message in memory; a read past its end would see it.
constexpr std::size_t kTrailerSize = 64;
const QByteArray kAsked("4.100.51.198.origin.example");

std::vector<QByteArray> ParsedWithTrailer(std::span<const std::uint8_t> message, std::uint8_t fill)
{
    std::vector<std::uint8_t> buffer(message.begin(), message.end());
    buffer.resize(message.size() + kTrailerSize, fill);
    return ParseTxtAnswer(std::span(buffer).first(message.size()), kAsked);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> copy(data, data + size);
    const std::vector<QByteArray> records = ParseTxtAnswer(copy, kAsked);
    Require(records.size() <= kMaxTxtRecords, "at most 16 records");
    Require(
        std::ranges::all_of(records, [size](const QByteArray& record) { return std::size_t(record.size()) < size; }),
        "no record is longer than the message");
    Require(records == ParsedWithTrailer(copy, 0x00) && records == ParsedWithTrailer(copy, 0xC0),
            "no read leaves the message");
    return 0;
}
