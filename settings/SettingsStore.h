// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings store: sections of named integer and text values, kept per
// user in an INI file (organisation "Korvelin", application name from the
// executable). Every access opens the store, reads or writes one value and
// closes it again, so a value written anywhere is seen by the next read.

#include <QString>

#include <memory>

class QSettings;

namespace netsonde {

class SettingsStore {
public:
    // The stored integer, or def when the value is absent or not a number.
    static int ReadInt(const QString& section, const QString& key, int def);
    // The stored text, or def when the value is absent.
    static QString ReadText(const QString& section, const QString& key, const QString& def = {});
    static void WriteInt(const QString& section, const QString& key, int value);
    static void WriteText(const QString& section, const QString& key, const QString& value);

    // "Yes"/"No" texts: on exactly when the text is "Yes", case included.
    static bool ReadYesNo(const QString& section, const QString& key, const QString& def);
    static void WriteYesNo(const QString& section, const QString& key, bool on);

    // Report mode runs with a store that is read but never written.
    static void SetReadOnly(bool readOnly);
    static bool IsReadOnly();

    // The INI file's path, for messages and tests.
    static QString FilePath();
};

// While a batch lives, every access of this thread's program goes to one
// open store, read once and written once when the batch ends: the window
// reads its settings at start and saves them at exit this way. Batches nest;
// the outermost one counts.
class SettingsBatch {
public:
    SettingsBatch();
    ~SettingsBatch();
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;

private:
    std::unique_ptr<QSettings> m_store;
};

} // namespace netsonde
