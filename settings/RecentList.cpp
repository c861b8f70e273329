// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/RecentList.h"

#include <algorithm>

namespace netsonde::RecentList {

QStringList Parse(const QString& stored)
{
    QStringList entries;
    qsizetype start = 0;
    while (start < stored.size()) {
        qsizetype separator = stored.indexOf(QLatin1Char(';'), start);
        if (separator < 0)
            separator = stored.size();
        if (separator == start)
            break;
        entries << stored.sliced(start, separator - start);
        start = separator + 1;
    }
    return entries;
}

QString Format(const QStringList& entries)
{
    QString stored;
    for (const QString& entry : entries)
        stored += entry + QLatin1Char(';');
    return stored;
}

void Add(QStringList& entries, const QString& text)
{
    const auto same = std::find_if(entries.begin(), entries.end(),
                                   [&](const QString& entry) { return entry.compare(text, Qt::CaseInsensitive) == 0; });
    if (same != entries.end())
        entries.erase(same);
    else if (entries.size() == kMaxEntries)
        entries.removeAt(kMaxEntries - 1);
    entries.prepend(text);
}

int FindEntryStartingWith(const QStringList& entries, const QString& text)
{
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries.at(i).startsWith(text, Qt::CaseInsensitive))
            return static_cast<int>(i);
    }
    return -1;
}

void SortAlphabetically(QStringList& entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
}

} // namespace netsonde::RecentList
