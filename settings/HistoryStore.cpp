#include "settings/HistoryStore.h"

#include "settings/RegistryKey.h"

namespace larkspur {

namespace {

QString captionName(size_t i)
{
    return QStringLiteral("C%1").arg(i);
}

QString tagName(size_t i)
{
    return QStringLiteral("T%1").arg(i);
}

} // namespace

bool saveHistory(const QString& keyPath, const std::vector<HistoryEntry>& entries)
{
    RegistryKey key(RegistryRoot::CurrentUser, keyPath);
    QSettings& settings = key.settings();
    for (size_t i = 0; i < entries.size(); ++i) {
        settings.setValue(captionName(i), entries[i].caption);
        settings.setValue(tagName(i), static_cast<int>(entries[i].tag));
    }
    settings.sync();
    return settings.status() == QSettings::NoError;
}

std::vector<HistoryEntry> loadHistory(const QString& keyPath)
{
    std::vector<HistoryEntry> entries;
    const RegistryKey key(RegistryRoot::CurrentUser, keyPath);
    if (!key.exists())
        return entries;
    const QSettings& settings = key.settings();
    for (size_t i = 0; settings.contains(captionName(i)); ++i)
        entries.push_back({settings.value(captionName(i)).toString(), settings.value(tagName(i), 0).toInt()});
    return entries;
}

} // namespace larkspur
