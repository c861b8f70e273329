// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace netsonde {

namespace {

bool g_readOnly = false;
// The store a batch keeps open, or null.
QSettings* g_batchStore = nullptr;

std::unique_ptr<QSettings> NewStore()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvelin"),
                                       QCoreApplication::applicationName());
}

// The batch's store, or one opened for this access alone (closed, and so
// written, when the holder goes).
class OpenStore {
public:
    OpenStore() : m_own(g_batchStore ? nullptr : NewStore()) {}
    QSettings& operator*() const { return m_own ? *m_own : *g_batchStore; }
    QSettings* operator->() const { return &**this; }

private:
    std::unique_ptr<QSettings> m_own;
};

// A hand-edited value with unquoted commas comes back from the INI reader
// as a list; it is still one text.
QString VariantText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

QVariant ReadValue(const QString& section, const QString& key)
{
    const OpenStore store;
    return store->value(section + QLatin1Char('/') + key);
}

void WriteValue(const QString& section, const QString& key, const QVariant& value)
{
    if (g_readOnly)
        return;
    const OpenStore store;
    const QString path = section + QLatin1Char('/') + key;
    // An unchanged value leaves the file alone: nothing to write at exit.
    if (store->contains(path) && VariantText(store->value(path)) == value.toString())
        return;
    store->setValue(path, value);
}

} // namespace

int SettingsStore::ReadInt(const QString& section, const QString& key, int def)
{
    const QVariant value = ReadValue(section, key);
    if (!value.isValid())
        return def;
    bool ok = false;
    const int number = VariantText(value).trimmed().toInt(&ok);
    return ok ? number : def;
}

QString SettingsStore::ReadText(const QString& section, const QString& key, const QString& def)
{
    const QVariant value = ReadValue(section, key);
    return value.isValid() ? VariantText(value) : def;
}

void SettingsStore::WriteInt(const QString& section, const QString& key, int value)
{
    WriteValue(section, key, value);
}

void SettingsStore::WriteText(const QString& section, const QString& key, const QString& value)
{
    WriteValue(section, key, value);
}

bool SettingsStore::ReadYesNo(const QString& section, const QString& key, const QString& def)
{
    return ReadText(section, key, def) == QLatin1String("Yes");
}

void SettingsStore::WriteYesNo(const QString& section, const QString& key, bool on)
{
    WriteText(section, key, on ? QStringLiteral("Yes") : QStringLiteral("No"));
}

void SettingsStore::SetReadOnly(bool readOnly)
{
    g_readOnly = readOnly;
}

bool SettingsStore::IsReadOnly()
{
    return g_readOnly;
}

QString SettingsStore::FilePath()
{
    return OpenStore()->fileName();
}

SettingsBatch::SettingsBatch()
{
    if (g_batchStore)
        return;
    m_store = NewStore();
    g_batchStore = m_store.get();
}

SettingsBatch::~SettingsBatch()
{
    if (!m_store)
        return;
    g_batchStore = nullptr;
    m_store.reset();
}

} // namespace netsonde
