// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/resolver/TxtLookup.h"

#include <QByteArrayList>

#include <resolv.h>

#include <algorithm>
#include <array>
#include <optional>

namespace netsonde {

namespace {

constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kQuestionCountOffset = 4;
constexpr std::size_t kAnswerCountOffset = 6;
constexpr std::size_t kQuestionFieldsSize = 4; // TYPE, CLASS
constexpr std::size_t kRecordFieldsSize = 10;  // TYPE, CLASS, TTL, RDLENGTH
constexpr std::size_t kMaxNameWireLength = 255;
constexpr std::size_t kAnswerBufferSize = 4096;
constexpr std::uint16_t kTypeCname = 5;
constexpr std::uint16_t kTypeTxt = 16;
constexpr std::uint16_t kClassIn = 1;
constexpr std::uint8_t kPointerBits = 0xC0;

using Labels = std::vector<QByteArray>;

// A view of the message; callers check Has() before they read.
class MessageReader {
public:
    explicit MessageReader(std::span<const std::uint8_t> message) : m_message(message) {}

    bool Has(std::size_t offset, std::size_t count) const
    {
        return offset <= m_message.size() && count <= m_message.size() - offset;
    }
    std::uint8_t U8(std::size_t offset) const { return m_message[offset]; }
    std::uint16_t U16(std::size_t offset) const
    {
        return static_cast<std::uint16_t>(m_message[offset] << 8 | m_message[offset + 1]);
    }
    QByteArray Bytes(std::size_t offset, std::size_t count) const
    {
        return {reinterpret_cast<const char*>(m_message.data() + offset), static_cast<qsizetype>(count)};
    }

private:
    std::span<const std::uint8_t> m_message;
};

struct NameRead {
    Labels labels;
    std::size_t end = 0; // the offset after the name where it is written
};

// A name at `offset`; a compression pointer must point before the label that
// holds it, so every name read ends.
std::optional<NameRead> ReadName(const MessageReader& reader, std::size_t offset)
{
    NameRead name;
    std::optional<std::size_t> endBeforeJump;
    std::size_t wireLength = 1;
    while (reader.Has(offset, 1) && reader.U8(offset) != 0) {
        const std::uint8_t length = reader.U8(offset);
        if ((length & kPointerBits) == kPointerBits) {
            const std::size_t target = reader.Has(offset, 2) ? reader.U16(offset) & 0x3FFF : offset;
            if (target >= offset)
                return std::nullopt;
            endBeforeJump = endBeforeJump.value_or(offset + 2);
            offset = target;
            continue;
        }
        wireLength += 1 + length;
        if ((length & kPointerBits) != 0 || wireLength > kMaxNameWireLength || !reader.Has(offset + 1, length))
            return std::nullopt;
        name.labels.push_back(reader.Bytes(offset + 1, length));
        offset += 1 + length;
    }
    if (!reader.Has(offset, 1))
        return std::nullopt;
    name.end = endBeforeJump.value_or(offset + 1);
    return name;
}

bool SameName(const Labels& a, const Labels& b)
{
    return std::ranges::equal(
        a, b, [](const QByteArray& x, const QByteArray& y) { return x.compare(y, Qt::CaseInsensitive) == 0; });
}

Labels LabelsOf(const QByteArray& name)
{
    const QByteArrayList labels = (name.endsWith('.') ? name.chopped(1) : name).split('.');
    return {labels.begin(), labels.end()};
}

// The character-strings of a TXT RDATA joined; none when one overruns it.
std::optional<QByteArray> JoinedStrings(const MessageReader& reader, std::size_t offset, std::size_t end)
{
    QByteArray joined;
    while (offset < end) {
        const std::size_t length = reader.U8(offset);
        if (length > end - offset - 1)
            return std::nullopt;
        joined += reader.Bytes(offset + 1, length);
        offset += 1 + length;
    }
    return joined;
}

// The offset after the question section; none when it is cut.
std::optional<std::size_t> SkipQuestions(const MessageReader& reader)
{
    std::size_t offset = kHeaderSize;
    for (int left = reader.U16(kQuestionCountOffset); left > 0; --left) {
        const auto name = ReadName(reader, offset);
        if (!name || !reader.Has(name->end, kQuestionFieldsSize))
            return std::nullopt;
        offset = name->end + kQuestionFieldsSize;
    }
    return offset;
}

struct AnswerWalk {
    std::vector<Labels> owners; // the name asked, then the target of its CNAME
    std::vector<QByteArray> records;
};

bool IsOwnedByAsked(const AnswerWalk& walk, const Labels& owner)
{
    return std::ranges::any_of(walk.owners, [&](const Labels& asked) { return SameName(asked, owner); });
}

// The offset after a record whose fields start at `fields`; none when it runs
// past the message's end.
std::optional<std::size_t> RecordEnd(const MessageReader& reader, std::size_t fields)
{
    if (!reader.Has(fields, kRecordFieldsSize))
        return std::nullopt;
    const std::size_t rdata = fields + kRecordFieldsSize;
    const std::size_t rdLength = reader.U16(fields + 8);
    if (!reader.Has(rdata, rdLength))
        return std::nullopt;
    return rdata + rdLength;
}

void TakeRecord(const MessageReader& reader, AnswerWalk& walk, const Labels& owner, std::size_t fields, std::size_t end)
{
    const std::uint16_t type = reader.U16(fields);
    const std::size_t rdata = fields + kRecordFieldsSize;
    if (reader.U16(fields + 2) != kClassIn || !IsOwnedByAsked(walk, owner))
        return;
    if (type == kTypeCname && walk.owners.size() == 1) {
        if (const auto target = ReadName(reader, rdata); target && target->end <= end)
            walk.owners.push_back(target->labels);
    } else if (type == kTypeTxt) {
        if (auto joined = JoinedStrings(reader, rdata, end))
            walk.records.push_back(std::move(*joined));
    }
}

} // namespace

std::vector<QByteArray> ParseTxtAnswer(std::span<const std::uint8_t> message, const QByteArray& name)
{
    const MessageReader reader(message);
    if (!reader.Has(0, kHeaderSize))
        return {};
    std::optional<std::size_t> offset = SkipQuestions(reader);
    AnswerWalk walk{{LabelsOf(name)}, {}};
    for (int left = reader.U16(kAnswerCountOffset); offset && left > 0 && walk.records.size() < kMaxTxtRecords;
         --left) {
        const auto owner = ReadName(reader, *offset);
        const auto end = owner ? RecordEnd(reader, owner->end) : std::nullopt;
        if (end)
            TakeRecord(reader, walk, owner->labels, owner->end, *end);
        offset = end;
    }
    return walk.records;
}

std::vector<QByteArray> LookUpTxt(const QByteArray& name)
{
    if (name.isEmpty() || name.contains('\0'))
        return {};
    struct __res_state state {};
    if (res_ninit(&state) != 0)
        return {};
    std::array<std::uint8_t, kAnswerBufferSize> answer{};
    const int length = res_nquery(&state, name.constData(), kClassIn, kTypeTxt, answer.data(), answer.size());
    res_nclose(&state);
    if (length <= 0)
        return {};
    return ParseTxtAnswer(std::span(answer).first(std::min<std::size_t>(length, answer.size())), name);
}

} // namespace netsonde
