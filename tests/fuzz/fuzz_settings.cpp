// SPDX-License-Identifier: GPL-3.0-or-later
// Hand-edited settings values: the font record, the column widths, a
// Recent List and the "Search Type" value. The first byte picks the
// parser, the rest is the stored text.

#include "FuzzCheck.h"
#include "FuzzInput.h"

#include "settings/ColumnWidths.h"
#include "settings/FontRecord.h"
#include "settings/RecentList.h"
#include "settings/SettingsStore.h"

#include <QTemporaryDir>

using namespace netsonde;
using netsonde::fuzz::Require;

namespace {

void CheckFontRecord(const QString& text)
{
    const std::optional<FontRecord> record = ParseFontRecord(text);
    if (!record)
        return;
    Require(!record->faceName.isEmpty() && record->faceName.size() <= FontRecord::kFaceNameLimit,
            "a parsed face name has one to 31 characters");
    Require(ParseFontRecord(FormatFontRecord(*record)) == record, "a parsed font record reads back as written");
}

void CheckColumnWidths(const QString& text)
{
    const std::optional<ColumnWidths> widths = ParseColumnWidths(text);
    if (!widths)
        return;
    Require(std::all_of(widths->cbegin(), widths->cend(), [](int w) { return w >= 0; }), "no parsed width is negative");
    Require(ParseColumnWidths(FormatColumnWidths(*widths)) == widths, "parsed widths read back as written");
}

void CheckRecentList(const QString& text)
{
    const QStringList entries = RecentList::Parse(text);
    for (const QString& entry : entries)
        Require(!entry.isEmpty() && !entry.contains(QLatin1Char(';')), "an entry is never empty and holds no ';'");
    Require(RecentList::Parse(RecentList::Format(entries)) == entries, "a parsed list reads back as written");

    QStringList added = entries.mid(0, RecentList::kMaxEntries);
    RecentList::Add(added, QStringLiteral("host.example"));
    Require(added.size() <= RecentList::kMaxEntries && added.front() == QStringLiteral("host.example"),
            "an added host goes to the top of a list that stays within ten");
}

// Whatever the stored value, the index read is a number it holds or the
// default, and the store keeps the text as it was written. The settings
// folder is the run's own: a fuzzer never writes the user's.
void CheckSearchTypeIndex(const QString& text)
{
    static const QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
    const QString section = QStringLiteral("NS LookUp");
    const QString key = QStringLiteral("Search Type");
    SettingsStore::WriteText(section, key, text);
    Require(SettingsStore::ReadText(section, key) == text, "a stored text reads back unchanged");
    constexpr int kDefault = -12345;
    const int index = SettingsStore::ReadInt(section, key, kDefault);
    bool isNumber = false;
    const int number = text.trimmed().toInt(&isNumber);
    Require(index == (isNumber ? number : kDefault), "the index is the stored number or the default");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArrayView input(data, qsizetype(size));
    const std::uint8_t parser = fuzz::TakeByte(input);
    const QString text = QString::fromUtf8(input);
    constexpr void (*kChecks[])(const QString&) = {CheckFontRecord, CheckColumnWidths, CheckRecentList,
                                                   CheckSearchTypeIndex};
    kChecks[parser % 4](text);
    return 0;
}
