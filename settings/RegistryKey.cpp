#include "settings/RegistryKey.h"

#include <QRegularExpression>
#include <QStringList>

namespace larkspur {

namespace {

[[maybe_unused]] QSettings::Scope scopeOf(RegistryRoot root)
{
    return root == RegistryRoot::LocalMachine ? QSettings::SystemScope : QSettings::UserScope;
}

} // namespace

RegistryKey::RegistryKey(RegistryRoot root, const QString& keyPath)
{
    QStringList parts = keyPath.split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
#ifdef Q_OS_WIN
    const QString rootName = root == RegistryRoot::LocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE")
                                                                : QStringLiteral("HKEY_CURRENT_USER");
    m_settings = std::make_unique<QSettings>(rootName + QLatin1Char('\\') + parts.join(QLatin1Char('\\')),
                                             QSettings::NativeFormat);
#else
    if (!parts.isEmpty() && parts.first().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    const QString organisation = parts.isEmpty() ? QStringLiteral("Larkspur") : parts.takeFirst();
    const QString application = parts.isEmpty() ? QString() : parts.takeFirst();
    m_settings = std::make_unique<QSettings>(QSettings::NativeFormat, scopeOf(root), organisation, application);
    if (!parts.isEmpty())
        m_settings->beginGroup(parts.join(QLatin1Char('/')));
#endif
}

bool RegistryKey::exists() const
{
    return !m_settings->allKeys().isEmpty();
}

} // namespace larkspur
