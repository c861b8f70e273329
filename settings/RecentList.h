// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Recent List of a page: the hosts used most recently, newest first,
// stored as one text in which every entry is followed by ";".

#include <QString>
#include <QStringList>

namespace netsonde {

namespace RecentList {

constexpr int kMaxEntries = 10;

// Splits the stored text at ";", stopping at the first empty part; a last
// entry without its ";" still counts. Every stored entry is kept.
QStringList Parse(const QString& stored);

// Every entry followed by ";"; no entries give the empty text.
QString Format(const QStringList& entries);

// Moves text to the top: an entry equal to it without regard to case is
// replaced, otherwise the tenth entry of a full list drops out.
void Add(QStringList& entries, const QString& text);

// The first entry that begins with text, compared without regard to case,
// or -1.
int FindEntryStartingWith(const QStringList& entries, const QString& text);

// Alphabetical order without regard to case, as the WhoIs list loads.
void SortAlphabetically(QStringList& entries);

} // namespace RecentList

} // namespace netsonde
